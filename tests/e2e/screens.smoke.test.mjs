// The configuration screens as LFS (node-insim) decodes them: every screen
// against its golden button list in docs/screens, and what each click does to
// the screen, the live settings and Beaconix.cfg.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { test } from 'node:test';
import { SKIP } from './harness.mjs';
import { CONFIG, asGolden, brief, changed, golden, openScreens } from './screens.mjs';

const menu = golden('main_menu').map((b) => `btn 2/${b.ClickID}`);
const misc = golden('misc_options').map((b) => `btn 8/${b.ClickID}`);
const MENU_DRAWN = { type: 'IS_BTN', ReqI: 2, ClickID: 24 };

test('every screen as drawn, and what its clicks do; Saves write through a linked Beaconix.cfg', { skip: SKIP, timeout: 180000 }, async (t) => {
  const s = await openScreens(t, CONFIG, { linked: true });
  const hud = s.sent(0).filter((e) => e.type === 'IS_BTN').map(asGolden);
  assert.deepEqual(hud, golden('hud'));

  // Clicks that name no open screen do nothing: ReqI 0, 1 (but the HUD title) and above 8,
  // the title while a screen is open, and clicks on a screen that is not the open one.
  let sent = await s.matches([[0, 20], [1, 20], [9, 20], [200, 23], [1, 0]], 'main_menu');
  assert.deepEqual(sent.map(brief), menu);
  // "Refresh Controllers" says so each time and leaves the menu as it is.
  for (let i = 0; i < 2; i++) {
    sent = await s.click([[2, 24]], { type: 'IS_MSL' });
    assert.deepEqual(sent.map(brief), ['msl ^1[RZ]^7 Lights^9: Refreshing Controllers (may take a few seconds)']);
    assert.equal(sent[0].fields.Sound, 1);
  }
  sent = await s.matches([[1, 0], [3, 20], [8, 20], [4, 15], [2, 23]], 'misc_options');
  assert.deepEqual(sent.map(brief), ['del 5-84', ...misc]);

  // Toggles redraw in place; Cancel and close drop them, file and live settings untouched.
  sent = await s.click([[8, 20]], 49);
  assert.deepEqual(sent.map(brief), misc, 'no clear before a toggle');
  assert.equal(sent.find((e) => e.fields.ClickID === 20).fields.Text, '^K\u00a1\u00e1');
  assert.deepEqual((await s.click([[8, 12]], MENU_DRAWN)).map(brief), ['del 5-84', ...menu]);
  await s.click([[2, 23]], 49);
  await s.click([[8, 27]], 49);
  await s.click([[8, 8]], { type: 'IS_BFN' });
  await s.matches([[1, 0]], 'main_menu');
  await s.matches([[2, 23]], 'misc_options');
  assert.equal(fs.readFileSync(s.cfg, 'latin1'), CONFIG);

  // Save: clear, working copy live, file, menu, HUD deleted ("Show HUD" off), sidelights off.
  await s.click([[8, 27]], 49);
  await s.click([[8, 28]], 49);
  sent = await s.click([[8, 15]], { type: 'IS_SMALL' });
  assert.deepEqual(sent.map(brief), ['del 5-84', ...menu, 'del 0-4', 'SMALL_LCL 0x4']);
  const saved = await changed(s.cfg, CONFIG);
  assert.match(saved, /^o:0:1\n(o:\d:0\n){6}o:7:0\n$/m, 'o:8 is written only when on');

  // Siren screen: a name shows its description; a choice clears and redraws; Save applies the category.
  await s.matches([[2, 20]], 'siren_mode');
  await s.matches([[3, 47]], 'siren_mode_category');
  sent = await s.click([[3, 21], [3, 15]], MENU_DRAWN);
  assert.deepEqual(sent.filter((e) => e.type === 'IS_MSL').map((e) => e.fields.Msg),
    ['[RZ]Lights: Active siren mode changed to ^7Wail^K\u00a1\u00ea^LYelp Cycle + BullHorn A (2-key)']);
  const siren = await changed(s.cfg, saved);
  assert.match(siren, /^m:1\nM:1\nc:1$/m);

  // Lights screen: a choice, both options toggled in place, Save.
  await s.matches([[2, 21]], 'lights_mode');
  await s.click([[4, 22]], 45);
  sent = await s.click([[4, 24]], 45);
  assert.ok(!sent.some((e) => e.type === 'IS_BFN'));
  await s.click([[4, 25]], 45);
  await s.click([[4, 15]], MENU_DRAWN);
  const lights = await changed(s.cfg, siren);
  assert.match(lights, /^l:2\no:0:0\n(.*\n)*o:9:1$/m);
  assert.ok(fs.lstatSync(s.cfg).isSymbolicLink(), 'Beaconix.cfg is still the link');

  // The player clearing every button closes the screen: the title opens the menu again.
  s.ctx.host.control({ conn: s.conn, send: { type: 'IS_BFN', SubT: 2 } });
  await s.matches([[1, 0]], 'main_menu');
});
