// The controller screens of the real program against their golden button
// lists, drawn with the bindings tools/screens/screen_gallery.cpp uses; every
// screen's Cancel and red cross, and what each leaves on LFS's screen.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { SKIP } from './harness.mjs';
import { CONFIG, golden, openScreens } from './screens.mjs';

const WHEEL = '{C24F046D-0000-0000-000-504944564944}:RzI5IFJhY2luZyBXaGVlbA==:';
const CONTROLS = `${CONFIG}k:lights:34\nk:lights:66\nb:lights:${WHEEL}4\np:lights:${WHEEL}0:90\n` +
  `k:siren:33\nk:siren2:165\nb:haz:${WHEEL}7\nk:headl:72\np:extra:${WHEEL}0:270\n`;
const SCREENS = [  // the way there from the main menu, the screen, where its Cancel leads
  [[[2, 20]], 'siren_mode', 'main_menu'],
  [[[2, 21]], 'lights_mode', 'main_menu'],
  [[[2, 23]], 'misc_options', 'main_menu'],
  [[[2, 22]], 'controller_options', 'main_menu'],
  [[[2, 22], [5, 20]], 'function_bindings', 'controller_options'],
  [[[2, 22], [5, 20], [6, 21]], 'edit_control', 'function_bindings'],  // with the capture prompts the tick sends
];

test('every screen as drawn over the one before; every Cancel and red cross clears its screen', { skip: SKIP, timeout: 60000 }, async (t) => {
  const s = await openScreens(t, CONTROLS);
  await s.matches([[1, 0]], 'main_menu');
  for (const [way, name, back] of SCREENS) {
    const reqi = golden(name)[0].ReqI;
    await s.matches(way, name);
    await s.matches([[reqi, 12]], back);
    await s.matches([way.at(-1)], name);
    await s.click([[reqi, 8]], { type: 'IS_BFN' });
    assert.deepEqual(s.shown(), [], `${name} closed`);
    await s.matches([[1, 0]], 'main_menu');
  }
  await s.click([[2, 8]], { type: 'IS_BFN' });
  assert.deepEqual(s.shown(), [], 'main_menu closed');
  // OK: one screen at a time, since controller_options is drawn twice on the way.
  for (const [clicks, name] of [[[[1, 0], [2, 22], [5, 20]], 'function_bindings'], [[[6, 9]], 'controller_options']]) await s.matches(clicks, name);
});

test('a button text over 239 bytes is cut to 239', { skip: SKIP, timeout: 60000 }, async (t) => {
  const name = 'A'.repeat(300);
  const s = await openScreens(t, `${CONFIG}b:haz:{C24F046D-0000-0000-000-504944564944}:${Buffer.from(name).toString('base64')}:7\n`);
  const sent = await s.click([[1, 0], [2, 22]], 33);
  const line = sent.find((e) => e.type === 'IS_BTN' && e.fields.Text.startsWith('^6A'));
  assert.equal(line.fields.Text, `^6${name}^8 : ^7Button 7`.slice(0, 239));
});
