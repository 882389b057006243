// Real keystrokes into the real Windows build: the stand-in LFS window has the
// focus under Xvfb, xdotool presses the default keys, and the simulated host
// sees the light and siren packets. Started by tests/wine/keys_test.sh.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { setup, sleep, startUpgraded } from './harness.mjs';
import { lfsWindow, skip, tap, xdotool } from './wine-window.mjs';

// One run: an untagged nickname, where PageDown twice lights nothing and says why
// once; PageUp held while PageDown starts the Classic pattern (the o:3 flash
// must end with the horn), the pattern's rhythm, a [TOW] nickname adding
// hazards that must go when a [COP] nickname changes the mode, then PageUp taps;
// then Ctrl+C with the lights flashing and Wail sounding (under Wine, SIGINT
// to the program raises CTRL_C_EVENT).
test('an untagged player is told once why PageDown does nothing, flash follows the horn, TOW hazards end with TOW, PageUp taps cycle Wail and Yelp, Ctrl+C switches off', { skip, timeout: 180000 }, async (t) => {
  const win = await lfsWindow(t);
  const ctx = await setup(t, {});
  // Running lights: the player's headlights are sidelights.
  fs.writeFileSync(path.join(ctx.dir, 'Beaconix.cfg'), 'v:1\nm:0\nM:0\nc:0\no:3:1\no:7:1\no:8:1\nk:lights:34\nk:siren:33\n');
  const conn = await startUpgraded(ctx);
  const lcs = (mask, value) => (e) => e.conn === conn && e.dir === 'recv' && e.subT === 'SMALL_LCS' && (e.UVal & mask) === value;
  const lcl = (mask, value) => (e) => e.conn === conn && e.dir === 'recv' && e.subT === 'SMALL_LCL' && (e.UVal & mask) === value;

  const npl = (PName) => ctx.host.control({ conn, send: { type: 'IS_NPL', PName, PType: 0, UCID: 0, PLID: 1 } });
  const HINT = 'Race/Civilian: no siren or flashing lights (Auto, no [COP]-like tag in name). Tag it, or /o bnx cfg > Siren Mode > Emergency';
  npl('Joe');
  const civilian = await ctx.host.waitFor({ conn, dir: 'recv', type: 'IS_MSL', Msg: /Race\/Civilian$/ });
  await tap(win, 'Next', 60);
  const hint = await ctx.host.waitFor({ conn, dir: 'recv', type: 'IS_MSL', Msg: HINT }, { from: civilian.index, timeout: 5000 });
  await sleep(300);
  await tap(win, 'Next', 60);
  await sleep(300);  // seen as a press before the mode changes
  npl('[COP] Joe');
  const emergency = await ctx.host.waitFor({ conn, dir: 'recv', type: 'IS_MSL', Msg: /Active siren mode/ }, { from: hint.index });
  const civil = ctx.host.entries.slice(civilian.index, emergency.index);
  assert.deepEqual([hint.fields.Sound, civil.filter((e) => e.dir === 'recv' && e.type === 'IS_MSL').length, civil.filter(lcl(0xc0000, 0xc0000)).length], [1, 2, 0]);

  xdotool('windowfocus', '--sync', win);
  xdotool('keydown', 'Prior');
  const flashOn = await ctx.host.waitFor(lcs(0x40a, 0x40a), { from: emergency.index, timeout: 5000 });
  await sleep(150);
  await tap(win, 'Next', 100);
  const on = await ctx.host.waitFor({ conn, dir: 'recv', subT: 'SMALL_LCL', UVal: 0xc0004 }, { from: flashOn.index, timeout: 5000 });
  await sleep(150);
  xdotool('keyup', 'Prior');
  await ctx.host.waitFor(lcs(0x402, 0x2), { from: on.index, timeout: 5000 });  // flash off with the horn

  const off = await ctx.host.waitFor({ conn, dir: 'recv', subT: 'SMALL_LCL', UVal: 0x4 }, { from: on.index });
  const period = off.t - on.t;
  assert.ok(period > 400 && period < 800, `full beam on for ${period} ms`);

  ctx.host.control({ conn, send: { type: 'IS_NPL', PName: '[TOW] me', PType: 0, UCID: 0, PLID: 1 } });
  const hazards = await ctx.host.waitFor(lcl(0x30001, 0x30001), { from: off.index, timeout: 5000 });
  ctx.host.control({ conn, send: { type: 'IS_NPL', PName: '[COP] me', PType: 0, UCID: 0, PLID: 1 } });
  const cop = await ctx.host.waitFor({ conn, dir: 'recv', type: 'IS_MSL', Msg: /Active siren mode/ }, { from: hazards.index });
  await ctx.host.waitFor(lcl(0x30001, 0x1), { from: cop.index, timeout: 5000 });  // hazards off in mode 0

  await tap(win, 'Prior', 60);
  const wail = await ctx.host.waitFor(lcs(0x300010, 0x200010), { from: hazards.index, timeout: 5000 });
  await sleep(700);  // past the double-tap window
  await tap(win, 'Prior', 60);
  const yelp = await ctx.host.waitFor(lcs(0x300010, 0x100010), { from: wail.index, timeout: 5000 });
  await sleep(700);
  await tap(win, 'Prior', 60);
  const wailAgain = await ctx.host.waitFor(lcs(0x300010, 0x200010), { from: yelp.index, timeout: 5000 });

  ctx.app.proc.kill('SIGINT');
  assert.equal((await ctx.app.waitExit(5000)).code, 0);
  assert.ok(ctx.app.stdout.endsWith('Beaconix stopped.\n'), ctx.app.stdout);
  await ctx.host.waitFor({ conn, event: 'close' }, { from: wailAgain.index });
  const after = ctx.host.entries.slice(wailAgain.index + 1).filter((e) => e.conn === conn && e.dir === 'recv');
  const head = ctx.host.packets({ conn, subT: 'SMALL_LCL' }).filter((e) => e.UVal & 0x4).at(-1);
  assert.deepEqual([after.some(lcs(0x300010, 0x10)), head.UVal & 0xc0000], [true, 0x40000], 'siren off, sidelights back');
  assert.deepEqual(after.slice(-2).map((e) => e.subT), ['BFN_DEL_BTN', 'TINY_CLOSE']);
});

