// The configuration screens of the real program: the HUD title opens the main
// menu, and a saved option reaches Beaconix.cfg and the HUD.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { SKIP } from './harness.mjs';
import { CONFIG, brief, changed, golden, openScreens } from './screens.mjs';

test('main menu, misc options, Save', { skip: SKIP, timeout: 180000 }, async (t) => {
  const s = await openScreens(t);
  await s.matches([[1, 0]], 'main_menu');
  await s.matches([[2, 23]], 'misc_options');
  await s.click([[8, 27]], 49);
  const sent = await s.click([[8, 15]], { type: 'IS_BFN', ClickID: 0 });
  const menu = golden('main_menu').map((b) => `btn 2/${b.ClickID}`);
  assert.deepEqual(sent.map(brief), ['del 5-84', ...menu, 'del 0-4'], 'Show HUD off removes the HUD');
  assert.match(await changed(s.cfg, CONFIG), /^o:7:0$/m);
  await s.click([[2, 8]], { type: 'IS_BFN' });
});
