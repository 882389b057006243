#!/usr/bin/env node
// Soak of the receive path and the reconnect loop: the program against the
// simulated host (tools/fake-lfs) for N cycles of five ways LFS ends a
// connection: a clean close, a reset, a close after half a packet, a one-byte
// drip (then a close) and a burst of 10,000 packets (then a close). After each
// the program must connect again within 2 s. Its open files, threads and
// resident memory are read from /proc at cycle 10 and at the last cycle, both
// times with a connection just greeted, and must be equal.
//   node bench/soak.mjs build/native/beaconix [cycles, default 1000]
// Not part of the test run; prints a progress line every 50 cycles and a summary.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

const [exe, cyclesArg] = process.argv.slice(2);
if (!exe || !fs.existsSync(exe)) {
  console.error('usage: node bench/soak.mjs <native beaconix> [cycles]');
  process.exit(2);
}
const cycles = Number(cyclesArg ?? 1000);
process.env.BEACONIX_CMD = JSON.stringify([path.resolve(exe)]);
const { App, Host, T } = await import('../tests/e2e/harness.mjs');

const hex = (...bytes) => Buffer.from(bytes.flat()).toString('hex');
const zeros = (n) => new Array(n).fill(0);
// InSim 9 packets (Size in 4-byte units) that need no answer, and a keep-alive.
const STA = [7, 5, 0, 0, ...zeros(24)];
const KEEP_ALIVE = [1, 3, 0, 0];
const QUIET = [STA, [2, 4, 0, 9, ...zeros(4)], [1, 3, 5, 4], [14, 18, 0, 9, ...zeros(50), 4, 0], [2, 42, 0, 2, ...zeros(4)]];
// The answer to the last packet shows that the program read everything before it.
const BURST = hex(...Array.from({ length: 9999 }, (_, i) => QUIET[i % QUIET.length]), KEEP_ALIVE);
const DRIP = [...STA, ...KEEP_ALIVE];

const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'bnx-soak-'));
const host = await new Host(dir, 'host').start();
fs.mkdirSync(path.join(dir, 'data', 'script'), { recursive: true });
fs.writeFileSync(path.join(dir, 'data', 'script', 'autoexec.lfs'), `/insim ${host.port}\n`);
const app = new App(dir).start();

// Waits for the program's answer to a keep-alive on `conn`, then closes it.
async function answeredThenClose(conn) {
  await host.waitFor({ conn, dir: 'recv', subT: 'TINY_NONE' }, { timeout: 30000 });
  host.control({ conn, action: 'close' });
  return 'host-close';
}
const FAULTS = {
  close: async (conn) => (host.control({ conn, action: 'close' }), 'host-close'),
  reset: async (conn) => (host.control({ conn, action: 'reset' }), 'host-reset'),
  half: async (conn) => (host.control({ conn, send: { hex: hex(STA.slice(0, 14)) }, action: 'close' }), 'host-close'),
  drip: async (conn) => {
    DRIP.forEach((b, i) => host.control({ conn, delay: 2 * i, send: { hex: hex(b) } }));
    return answeredThenClose(conn);
  },
  burst: async (conn) => {
    host.control({ conn, send: { hex: BURST } });
    return answeredThenClose(conn);
  },
};

function sample(pid) {
  const status = fs.readFileSync(`/proc/${pid}/status`, 'utf8');
  return {
    fds: fs.readdirSync(`/proc/${pid}/fd`).length,
    threads: fs.readdirSync(`/proc/${pid}/task`).length,
    rssKiB: Number(/VmRSS:\s+(\d+)/.exec(status)[1]),
  };
}

const started = Date.now();
const gaps = [];
const samples = {};
let failures = 0;
let hostErrors = 0;
let conn = null;
try {
  // The first start upgrades to version 9 on a second connection.
  const greeted = async () => {
    const isi = await host.waitFor({ dir: 'recv', type: 'IS_ISI', sizeByte: 11 }, { timeout: 5000 });
    await host.waitFor({ conn: isi.conn, dir: 'recv', type: 'IS_MSL' }, { from: isi.index, timeout: 5000 });
    return isi;
  };
  await app.waitForText(T.accepted(9));
  conn = (await greeted()).conn;
  for (let cycle = 1; cycle <= cycles; cycle++) {
    for (const [name, fault] of Object.entries(FAULTS)) {
      if (name === 'close' && [1, 10, 100, 500, cycles].includes(cycle)) samples[cycle] = sample(app.proc.pid);
      const event = await fault(conn);
      const end = await host.waitFor({ conn, event }, { timeout: 30000 });
      hostErrors += host.entries.slice(0, end.index + 1).filter((e) => e.event === 'error').length;
      host.entries.splice(0, end.index + 1);  // a long run keeps only what is still to come
      const isi = await greeted();
      const gap = isi.t - end.t;
      gaps.push(gap);
      if (gap >= 2000) {
        failures++;
        console.log(`cycle ${cycle} ${name}: connected again after ${gap.toFixed(1)} ms`);
      }
      conn = isi.conn;
    }
    if (cycle % 50 === 0) console.log(`cycle ${cycle}: ${Math.round((Date.now() - started) / 1000)} s, ${JSON.stringify(sample(app.proc.pid))}`);
  }
} catch (e) {
  failures++;
  console.log(`stopped: ${e.message.slice(0, 2000)}\nprogram said:\n${app.stdout.slice(-3000)}`);
}

gaps.sort((a, b) => a - b);
const pct = (p) => gaps[Math.min(gaps.length - 1, Math.floor((p / 100) * gaps.length))]?.toFixed(1);
hostErrors += host.errors().length;
const same = samples[10] && samples[cycles] && JSON.stringify(samples[10]) === JSON.stringify(samples[cycles]);
console.log(`reconnects: ${gaps.length}, ms median ${pct(50)}, p99 ${pct(99)}, max ${pct(100)}; over 2 s: ${failures}`);
console.log(`console: ${app.count(T.closed)} x closed, ${app.count(T.reset)} x reset, ${app.count('WARN')} x buffer warning`);
for (const [c, s] of Object.entries(samples)) console.log(`cycle ${c}: ${s.fds} fds, ${s.threads} threads, ${s.rssKiB} KiB resident`);
console.log(`host errors: ${hostErrors}; cycle 10 and ${cycles} equal: ${Boolean(same)}; ${Math.round((Date.now() - started) / 1000)} s`);
await app.kill();
await host.stop();
fs.rmSync(dir, { recursive: true, force: true });
process.exit(failures === 0 && hostErrors === 0 && (same || cycles < 10) ? 0 : 1);
