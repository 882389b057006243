// The controller screens of the real program against their golden button
// lists, drawn with the bindings tools/screens/screen_gallery.cpp uses.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { SKIP } from './harness.mjs';
import { CONFIG, openScreens } from './screens.mjs';

const WHEEL = '{C24F046D-0000-0000-000-504944564944}:RzI5IFJhY2luZyBXaGVlbA==:';
const CONTROLS = `${CONFIG}k:lights:34\nk:lights:66\nb:lights:${WHEEL}4\np:lights:${WHEEL}0:90\n` +
  `k:siren:33\nk:siren2:165\nb:haz:${WHEEL}7\nk:headl:72\np:extra:${WHEEL}0:270\n`;

test('controller options, function bindings and edit control as drawn', { skip: SKIP, timeout: 60000 }, async (t) => {
  const s = await openScreens(t, CONTROLS);
  await s.matches([[1, 0], [2, 22]], 'controller_options');
  await s.matches([[5, 20]], 'function_bindings');
  await s.matches([[6, 21]], 'edit_control');  // with the capture prompts the tick sends
  await s.matches([[7, 12], [6, 9]], 'controller_options');
});

test('a button text over 239 bytes is cut to 239', { skip: SKIP, timeout: 60000 }, async (t) => {
  const name = 'A'.repeat(300);
  const s = await openScreens(t, `${CONFIG}b:haz:{C24F046D-0000-0000-000-504944564944}:${Buffer.from(name).toString('base64')}:7\n`);
  const sent = await s.click([[1, 0], [2, 22]], 33);
  const line = sent.find((e) => e.type === 'IS_BTN' && e.fields.Text.startsWith('^6A'));
  assert.equal(line.fields.Text, `^6${name}^8 : ^7Button 7`.slice(0, 239));
});
