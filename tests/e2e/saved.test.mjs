// What the player saves outlives the connection: a Save on every screen, a
// lights mode tried from the chat, LFS closing the connection; the next
// connection's screens show what was saved, and its next Save keeps it all.
// Then "clear" and "config" over open screens leave no dead screen behind.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { SKIP } from './harness.mjs';
import { CONFIG, brief, changed, openScreens } from './screens.mjs';

const ON = '^2^K\u00a1\u00e1', OFF = '^K\u00a1\u00e1';
const MENU = { type: 'IS_BTN', ReqI: 2, ClickID: 24 };
const mso = (Msg) => ({ type: 'IS_MSO', Msg });

test('saved settings survive a reconnect; clear and config close the open screen', { skip: SKIP, timeout: 120000 }, async (t) => {
  const first = `${CONFIG}k:lights:34\n`;
  const s = await openScreens(t, first);
  const save = async (clicks, before) => {
    await s.click(clicks, MENU);
    return changed(s.cfg, before);
  };
  let file = await save([[1, 0], [2, 23], [8, 21], [8, 15]], first);  // Other Options: "Flash faster for Yelp siren"
  assert.match(file, /^o:1:1$/m);
  file = await save([[2, 20], [3, 23], [3, 15]], file);  // siren behaviour 3
  assert.match(file, /^m:3$/m);
  file = await save([[2, 21], [4, 23], [4, 15]], file);  // lights mode 3
  assert.match(file, /^l:3$/m);
  await s.click([[2, 22], [5, 20]], { type: 'IS_BTN', ReqI: 6, ClickID: 50 });  // Flashing Lights
  assert.deepEqual((await s.click([[6, 20]], { type: 'IS_BFN' })).map(brief), ['del 40-59']);  // Clear All: both columns
  file = await save([[6, 9], [5, 15]], file);
  assert.doesNotMatch(file, /^k:lights/m);

  // A lights mode tried from the chat, then LFS closes the connection.
  const { host } = s.ctx;
  const dropped = host.entries.length;
  host.control({ conn: s.conn, send: mso('bnx lightsmode 2') });
  host.control({ conn: s.conn, action: 'close' });
  const isi = await host.waitFor({ dir: 'recv', type: 'IS_ISI' }, { from: dropped });
  s.conn = isi.conn;
  await host.waitFor({ conn: s.conn, dir: 'recv', type: 'IS_MSL' }, { from: isi.index });

  const box = (sent, reqi, id) => sent.findLast((e) => e.type === 'IS_BTN' && e.ReqI === reqi && e.fields.ClickID === id).fields.Text;
  // "config" clears the open screen before the menu comes back (the last screen's buttons may still be arriving).
  const cancelled = (sent) => {
    const b = sent.map(brief);
    assert.deepEqual(b.slice(b.indexOf('btn 2/6') - 1, b.indexOf('btn 2/6') + 1), ['del 5-84', 'btn 2/6']);
  };
  let sent = await s.click([[1, 0], [2, 23]], { type: 'IS_BTN', ReqI: 8, ClickID: 49 });
  assert.equal(box(sent, 8, 21), ON, 'option saved before the reconnect');
  sent = await s.click([[8, 12], [2, 20]], { type: 'IS_BTN', ReqI: 3, ClickID: 50 });
  assert.deepEqual([box(sent, 3, 23), box(sent, 3, 22)], [ON, OFF], 'siren behaviour');
  sent = await s.click([[3, 12], [2, 21]], { type: 'IS_BTN', ReqI: 4, ClickID: 50 });
  assert.deepEqual([box(sent, 4, 22), box(sent, 4, 23)], [ON, OFF], 'the chat\'s lights mode');
  sent = await s.click([[4, 12], [2, 22]], { type: 'IS_BTN', ReqI: 5, ClickID: 33 });
  assert.ok(!sent.some((e) => e.type === 'IS_BTN' && e.fields.Text.startsWith('^6')), 'no binding left');
  file = await save([[5, 15]], file);
  assert.equal(file, 'v:1\nm:3\nM:3\nc:1\nl:2\no:0:1\no:1:1\no:2:0\no:3:0\no:4:0\no:5:0\no:6:0\no:7:1\no:8:1\n');

  // "config" over an open screen clears it first; "clear" closes it, so the HUD title opens the menu at once.
  await s.click([[2, 23]], { type: 'IS_BTN', ReqI: 8, ClickID: 49 });
  sent = await s.click([], MENU, () => host.control({ conn: s.conn, send: mso('bnx config') }));
  cancelled(sent);
  sent = await s.click([], { type: 'IS_BFN' }, () => host.control({ conn: s.conn, send: mso('bnx clear') }));
  assert.deepEqual(sent.map(brief), ['del 0-200']);
  await s.click([[1, 0]], MENU);
  assert.deepEqual(host.errors(), []);
});
