// Binding a key from inside the simulator with real keystrokes: the host
// clicks through the screens, xdotool presses the new key into the stand-in
// LFS window, Beaconix.exe under Wine captures it, saves Beaconix.cfg, and
// once the screens are closed the key starts the flashing lights. Started by
// tests/wine/keys_test.sh.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { setup, sleep, startUpgraded } from './harness.mjs';
import { lfsWindow, skip, tap, xdotool } from './wine-window.mjs';

test('F7 bound to Flashing Lights through the screens drives the lights', { skip, timeout: 240000 }, async (t) => {
  const win = await lfsWindow(t);
  const ctx = await setup(t, {});
  const cfg = path.join(ctx.dir, 'Beaconix.cfg');
  fs.writeFileSync(cfg, 'v:1\nm:0\nk:lights:34\nk:siren:33\n');
  ctx.startApp();
  const conn = await startUpgraded(ctx);
  const click = async (ReqI, ClickID, until) => {
    const from = ctx.host.entries.length;
    ctx.host.control({ conn, send: { type: 'IS_BTC', ReqI, ClickID } });
    return ctx.host.waitFor({ conn, dir: 'recv', type: 'IS_BTN', ...until }, { from, timeout: 10000 });
  };
  await click(1, 0, { ReqI: 2, ClickID: 24 });                  // HUD title: main menu
  await click(2, 22, { ReqI: 5, ClickID: 33 });                 // Configure Controls
  await click(5, 20, { ReqI: 6, ClickID: 40, Text: 'Keyboard / Mouse' });  // Flashing Lights
  const asked = await click(6, 21, { ReqI: 1, ClickID: 41, Text: '^7Press Button to bind' });

  xdotool('windowfocus', '--sync', win);
  xdotool('keydown', 'F7');
  const held = await ctx.host.waitFor({ conn, dir: 'recv', type: 'IS_BTN', ClickID: 41, Text: ' : ^6 F7' },
    { from: asked.index, timeout: 5000 });
  await sleep(300);
  assert.ok(!ctx.host.entries.slice(held.index).some((e) => e.type === 'IS_BFN'), 'stored while still held');
  xdotool('keyup', 'F7');
  await ctx.host.waitFor({ conn, dir: 'recv', type: 'IS_BTN', ReqI: 6, ClickID: 51, Text: 'F7' }, { from: held.index });

  const before = fs.readFileSync(cfg, 'latin1');
  await click(6, 9, { ReqI: 5, ClickID: 33 });                  // OK
  await click(5, 15, { ReqI: 2, ClickID: 24 });                 // Save
  for (let i = 0; i < 100 && fs.readFileSync(cfg, 'latin1') === before; i++) await sleep(50);
  const lines = fs.readFileSync(cfg, 'latin1').split(/\r?\n/);
  assert.deepEqual(lines.filter((l) => l.startsWith('k:')), ['k:siren:33', 'k:lights:34', 'k:lights:118']);

  const closed = ctx.host.entries.length;
  ctx.host.control({ conn, send: { type: 'IS_BTC', ReqI: 2, ClickID: 8 } });
  await ctx.host.waitFor({ conn, dir: 'recv', type: 'IS_BFN' }, { from: closed });
  await tap(win, 'F7', 100);
  await ctx.host.waitFor({ conn, dir: 'recv', subT: 'SMALL_LCL', UVal: 0xc0004 }, { from: closed, timeout: 5000 });
  assert.deepEqual(ctx.host.errors(), []);
});
