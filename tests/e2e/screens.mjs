// What the configuration-screen tests share: the settings the golden screens
// were drawn with, and a connection to click on as the player would.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { IS_WINE, ROOT, setup, sleep, startUpgraded } from './harness.mjs';

// The settings tools/screens/screen_gallery.cpp draws the golden screens with.
export const CONFIG = 'v:1\nm:2\nM:2\nc:1\nl:1\no:0:1\no:7:1\no:8:1\n';

export const golden = (name) => JSON.parse(fs.readFileSync(path.join(ROOT, 'docs', 'screens', `${name}.json`), 'utf8'));
const FIELDS = ['UCID', 'ClickID', 'Inst', 'BStyle', 'TypeIn', 'L', 'T', 'W', 'H', 'Text'];
export const asGolden = (e) => ({ ReqI: e.ReqI, ...Object.fromEntries(FIELDS.map((k) => [k, e.fields[k]])) });
// One line per packet the program sent, in order.
export const brief = (e) =>
  e.type === 'IS_BTN' ? `btn ${e.ReqI}/${e.fields.ClickID}`
  : e.type === 'IS_BFN' ? `del ${e.fields.ClickID}-${e.fields.ClickMax}`
  : e.type === 'IS_MSL' ? `msl ${e.fields.Msg}`
  : e.type === 'IS_SMALL' ? `${e.subT} 0x${e.UVal.toString(16)}` : e.type;

// A connection that the test clicks on, as the player would; `linked`: Beaconix.cfg is a link to real/Beaconix.cfg.
export async function openScreens(t, config = CONFIG, { linked = false } = {}) {
  const ctx = await setup(t);
  const cfg = path.join(ctx.dir, 'Beaconix.cfg');
  if (linked) fs.mkdirSync(path.join(ctx.dir, 'real'));
  fs.writeFileSync(linked ? path.join(ctx.dir, 'real', 'Beaconix.cfg') : cfg, config);
  if (linked) fs.symlinkSync(path.join('real', 'Beaconix.cfg'), cfg);
  const conn = await startUpgraded(ctx);
  await ctx.host.waitFor({ conn, dir: 'recv', type: 'IS_BTN', ClickID: 2 });
  const s = {
    ctx, conn, cfg,
    sent: (from) => ctx.host.entries.slice(from).filter((e) => e.conn === s.conn && e.dir === 'recv' && e.type && e.subT !== 'TINY_PING'),
    // Sends the clicks; returns what was sent once `until` (a ClickID, or a host-log match) arrived.
    // `also` sends anything else after the clicks. `s.conn` may be changed to a later connection.
    async click(clicks, until, also) {
      const from = ctx.host.entries.length;
      for (const [ReqI, ClickID] of clicks) ctx.host.control({ conn: s.conn, send: { type: 'IS_BTC', ReqI, ClickID } });
      also?.();
      await ctx.host.waitFor({ conn: s.conn, dir: 'recv', ...(typeof until === 'number' ? { type: 'IS_BTN', ClickID: until } : until) }, { from });
      return s.sent(from);
    },
    // The screen's buttons (the HUD's aside) that LFS shows now: each IS_BTN draws, each
    // deletion removes, and so does the player's clear.
    shown() {
      const on = new Map();
      for (const e of ctx.host.entries.filter((e) => e.conn === s.conn)) {
        if (e.type === 'IS_BTN') on.set(e.fields.ClickID, asGolden(e));
        else if (e.subT === 'BFN_DEL_BTN') for (let id = e.fields.ClickID; id <= Math.max(e.fields.ClickID, e.fields.ClickMax); id++) on.delete(id);
        else if (e.subT === 'BFN_CLEAR' || e.subT === 'BFN_USER_CLEAR') on.clear();
      }
      return [...on.values()].filter((b) => b.ClickID >= 5).sort((a, b) => a.ClickID - b.ClickID);
    },
    // Clicks until the screen `name` is drawn: it must match its golden list from the last
    // deletion on, and nothing of the screen before may be left beside it.
    async matches(clicks, name) {
      const want = golden(name);
      const sent = await s.click(clicks, { type: 'IS_BTN', ReqI: want.at(-1).ReqI, ClickID: want.at(-1).ClickID });
      const drawn = sent.slice(sent.findLastIndex((e) => e.type === 'IS_BFN') + 1).filter((e) => e.type === 'IS_BTN');
      assert.deepEqual(drawn.map(asGolden), want, name);
      assert.deepEqual(s.shown(), want.toSorted((a, b) => a.ClickID - b.ClickID), `${name} beside what was not cleared`);
      return sent;
    },
  };
  return s;
}

// Beaconix.cfg once it differs from `before`; Windows writes it with CR LF, read here as LF.
export async function changed(file, before) {
  for (let i = 0; i < 100; i++, await sleep(50)) {
    const text = fs.readFileSync(file, 'latin1');
    const now = IS_WINE ? text.replace(/\r\n/g, '\n') : text;
    if (now !== before) return now;
  }
  assert.fail('Beaconix.cfg was not written');
}
