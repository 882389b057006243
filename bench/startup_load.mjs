#!/usr/bin/env node
// The running program's start-up with a 100,000-line Beaconix.cfg against one of 13 lines:
// start to the "Failed to connect" text (no LFS), rounds alternating, medians and their difference.
//   node bench/startup_load.mjs native build/native/beaconix [rounds]
//   node bench/startup_load.mjs wine build/windows/Beaconix.exe [rounds]   (WINEPREFIX, default build/tmp/wineprefix)
import fs from 'node:fs';
import path from 'node:path';
import { performance } from 'node:perf_hooks';

const [mode, exe, rounds = '3'] = process.argv.slice(2);
if (!['native', 'wine'].includes(mode) || !exe) {
  console.error('usage: startup_load.mjs native|wine <program> [rounds]');
  process.exit(2);
}
process.env.BEACONIX_CMD = JSON.stringify(mode === 'wine' ? ['wine', path.resolve(exe)] : [path.resolve(exe)]);
const { setup, T } = await import('../tests/e2e/harness.mjs');

const head = 'v:1\nm:1\nM:1\nc:0\nl:2\no:0:1\no:1:0\no:2:0\no:3:0\no:4:0\no:5:0\no:6:0\no:7:1\n';
// As bench/config_load_bench.cpp makes it: keys, buttons and hats of 500 devices, one line in ten a repeat.
const functions = ['lights', 'siren', 'siren2', 'indl', 'indr', 'headl', 'haz', 'side', 'dip', 'full', 'flash', 'ffog', 'rfog', 'extra'];
let seed = 7;
const rnd = (n) => (seed = (seed * 1103515245 + 12345) % 2147483648) % n;
const lines = [head];
for (let i = 0, previous = ''; i < 100000; i++) {
  if (i % 10 !== 9) {
    const f = functions[rnd(14)];
    const device = `{${rnd(500).toString(16).toUpperCase().padStart(8, '0')}-0000-0000-0000-504944564944}:UGFk`;
    const kind = rnd(3);
    previous = kind === 0 ? `k:${f}:${0x41 + rnd(26)}\n` : kind === 1 ? `b:${f}:${device}:${rnd(128)}\n` : `p:${f}:${device}:${rnd(4)}:${rnd(8) * 45}\n`;
  }
  lines.push(previous);
}
const files = { small: head, big: lines.join('') };

const took = { small: [], big: [] };
for (let r = 0; r < Number(rounds) + 1; r++) {
  for (const name of ['small', 'big']) {
    const cleanups = [];
    const ctx = await setup({ after: (f) => cleanups.push(f), diagnostic: () => {} }, { host: false });
    fs.writeFileSync(path.join(ctx.dir, 'Beaconix.cfg'), files[name]);
    const start = performance.now();
    const app = ctx.startApp();
    await app.waitForText(T.failed, { timeout: 60000 });
    if (r > 0) took[name].push(performance.now() - start);  // the first round warms up (Wine starts slowly once)
    if (app.stderr) console.error(app.stderr);
    for (const f of cleanups) await f();
  }
}
const median = (a) => a.sort((x, y) => x - y)[a.length >> 1];
const [small, big] = [median(took.small), median(took.big)];
console.log(`RESULT startup_load mode=${mode} small_ms=${small.toFixed(0)} big_ms=${big.toFixed(0)} load_100k_ms=${(big - small).toFixed(0)}`);
