// Real keystrokes into the real Windows build: the stand-in LFS window has the
// focus under Xvfb, xdotool presses the default keys, and the simulated host
// sees the light and siren packets. Started by tests/wine/keys_test.sh.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { setup, sleep, startUpgraded } from './harness.mjs';
import { lfsWindow, skip, tap } from './wine-window.mjs';

test('PageDown starts the Classic pattern and PageUp taps give Wail then Yelp', { skip, timeout: 180000 }, async (t) => {
  const win = await lfsWindow(t);
  const ctx = await setup(t, {});
  ctx.startApp();
  const conn = await startUpgraded(ctx);

  await tap(win, 'Next', 100);
  const on = await ctx.host.waitFor({ conn, dir: 'recv', subT: 'SMALL_LCL', UVal: 0xc0004 }, { timeout: 5000 });
  const off = await ctx.host.waitFor({ conn, dir: 'recv', subT: 'SMALL_LCL', UVal: 0x4 }, { from: on.index });
  const period = off.t - on.t;
  assert.ok(period > 400 && period < 800, `full beam on for ${period} ms`);

  await tap(win, 'Prior', 60);
  const wail = await ctx.host.waitFor(
    (e) => e.conn === conn && e.dir === 'recv' && e.subT === 'SMALL_LCS' && (e.UVal & 0x300010) === 0x200010,
    { timeout: 5000 },
  );
  await sleep(700);  // past the double-tap window
  await tap(win, 'Prior', 60);
  await ctx.host.waitFor(
    (e) => e.conn === conn && e.dir === 'recv' && e.subT === 'SMALL_LCS' && (e.UVal & 0x300010) === 0x100010,
    { from: wail.index, timeout: 5000 },
  );
  assert.deepEqual(ctx.host.errors(), []);
});
