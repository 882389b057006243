// Binding a key from inside the simulator with real keystrokes: the host
// clicks through the screens, xdotool presses the new key into the stand-in
// LFS window, Beaconix.exe under Wine captures it and saves Beaconix.cfg, and
// once the screens are closed the key starts the flashing lights, also after
// LFS has closed the connection and Beaconix has connected again. Started by
// tests/wine/keys_test.sh.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { sleep } from './harness.mjs';
import { CONFIG, changed, openScreens } from './screens.mjs';
import { lfsWindow, skip, tap, xdotool } from './wine-window.mjs';

test('F7 bound to Flashing Lights through the screens drives the lights', { skip, timeout: 240000 }, async (t) => {
  const win = await lfsWindow(t);
  const file = `${CONFIG}k:lights:34\nk:siren:33\n`;
  const s = await openScreens(t, file);
  const btn = (ReqI, ClickID, Text) => ({ type: 'IS_BTN', ReqI, ClickID, ...(Text && { Text }) });
  await s.click([[1, 0], [2, 22], [5, 20]], btn(6, 40, 'Keyboard / Mouse'));  // Flashing Lights
  await s.click([[6, 21]], btn(1, 41, '^7Press Button to bind'));  // Add New

  const from = s.ctx.host.entries.length;
  xdotool('windowfocus', '--sync', win);
  xdotool('keydown', 'F7');
  const held = await s.ctx.host.waitFor({ conn: s.conn, ...btn(1, 41, ' : ^6 F7') }, { from, timeout: 5000 });
  await sleep(300);
  assert.ok(!s.sent(held.index).some((e) => e.type === 'IS_BFN'), 'stored while still held');
  xdotool('keyup', 'F7');
  await s.ctx.host.waitFor({ conn: s.conn, ...btn(6, 51, 'F7') }, { from: held.index });

  await s.click([[6, 9], [5, 15]], btn(2, 24));  // OK, Save
  const keys = (await changed(s.cfg, file)).split(/\r?\n/).filter((l) => l.startsWith('k:'));
  assert.deepEqual(keys, ['k:siren:33', 'k:lights:34', 'k:lights:118']);

  const closed = s.ctx.host.entries.length;
  await s.click([[2, 8]], { type: 'IS_BFN' });
  await tap(win, 'F7', 100);
  await s.ctx.host.waitFor({ conn: s.conn, subT: 'SMALL_LCL', UVal: 0xc0004 }, { from: closed, timeout: 5000 });

  const dropped = s.ctx.host.entries.length;
  s.ctx.host.control({ conn: s.conn, action: 'close' });
  const isi = await s.ctx.host.waitFor({ dir: 'recv', type: 'IS_ISI' }, { from: dropped, timeout: 20000 });
  await s.ctx.host.waitFor({ conn: isi.conn, dir: 'recv', type: 'IS_MSL' }, { from: isi.index });
  await tap(win, 'F7', 100);
  await s.ctx.host.waitFor({ conn: isi.conn, subT: 'SMALL_LCL', UVal: 0xc0004 }, { from: isi.index, timeout: 5000 });
});
