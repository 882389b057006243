// "/o bnx" chat commands, after the in-game notice of a newer version.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { SKIP, T, setup, sleep, startUpgraded } from './harness.mjs';

// An IS_MSO in 4-byte units (InSim 9) with the text's bytes as given.
function mso(text, { userType = 3, textStart = 0, terminate = true } = {}) {
  const bytes = Buffer.from(text, 'latin1');
  const size = Math.min(136, 8 + Math.ceil((bytes.length + (terminate ? 1 : 0)) / 4) * 4);
  const p = Buffer.alloc(size);
  p.set([size / 4, 11, 0, 0, 0, 0, userType, textStart]);
  bytes.copy(p, 8, 0, size - 8);
  return { hex: p.toString('hex') };
}

const HELP = ['^1[RZ]^7 Lights^9 chat commands:', '/o bnx config (or configure, cfg): open the settings menu', '/o bnx lightsmode 0 to 3: try a flashing-light mode without saving it',
  '/o bnx rescan: look for game controllers again', "/o bnx clear: remove all of the program's buttons", '/o bnx print text: echo the text, signs other than letters and digits as [code]', '/o bnx help: this list'];

test('notice, then lightsmode, print, help, rescan and clear; other forms send nothing', { skip: SKIP, timeout: 120000 }, async (t) => {
  const ctx = await setup(t, { host: {} }), cfg = 'v:1\nm:0\nM:0\nc:0\nl:0\no:7:1\n';
  fs.writeFileSync(path.join(ctx.dir, 'Beaconix.cfg'), cfg);
  fs.writeFileSync(path.join(ctx.dir, 'fake-update-answer.txt'), 'Beaconix-LatestVersion:2.5\r\n');
  const app = ctx.startApp();
  const conn = await startUpgraded(ctx);
  const hud = await ctx.host.waitFor({ conn, dir: 'recv', type: 'IS_BTN' });
  const msls = ctx.host.packets({ conn, type: 'IS_MSL' }).map((p) => [p.fields.Msg.replace(/https:\/\/\S+\/Beaconix$/, 'PAGE'), p.fields.Sound]);
  assert.deepEqual(msls.slice(0, 3), [[T.greeting, 0], ['^1[RZ]^7 Lights^9: ^3there is a new version ^62.5^3 available. Get it here:', 4], ['^6PAGE', 0]]);

  for (const send of [
    mso('Player : bnx hello'), mso('bnx print x', { userType: 0 }), mso('bnxcfg'), mso('bnx lightsmode 02'),
    mso('\xff'.repeat(128), { textStart: 255, terminate: false }),
    mso('bnx print ' + 'y'.repeat(118), { terminate: false }),
    mso('Bnx LightsMode 2'), mso('Player : bnx   print  a^b \xe9!', { textStart: 9 }), mso('bnx rescan'), mso('bnx Help me'), mso('BNX CLEAR now'),
  ]) ctx.host.control({ conn, send });
  await ctx.host.waitFor({ conn, dir: 'recv', type: 'IS_BFN' }, { from: hud.index });
  await sleep(300);
  const replies = ctx.host.entries.slice(hud.index + 1).filter((p) => p.conn === conn && p.dir === 'recv' && ['IS_MSL', 'IS_BFN'].includes(p.type));
  assert.deepEqual(replies.map((p) => (p.type === 'IS_MSL' ? [p.fields.Msg, p.fields.Sound] : [p.subT, p.fields.UCID, p.fields.ClickID, p.fields.ClickMax])),
    [['y'.repeat(118), 1], ['a^^b[32][233][33]', 1], ...HELP.map((m) => [m, 1]), ['BFN_DEL_BTN', 0, 0, 200]]);
  assert.equal(fs.readFileSync(path.join(ctx.dir, 'Beaconix.cfg'), 'utf8'), cfg, 'lightsmode writes no file');
  assert.equal(app.stderr, '');
  assert.equal(app.exit, null);
  assert.deepEqual(ctx.host.errors(), []);
});
