// What reaches the chat, as LFS (node-insim) decodes it: the siren mode the local
// player's nickname picks, the notice of a newer version and the "/o bnx" commands.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { SKIP, T, VERSION, setup, sleep, startUpgraded } from './harness.mjs';

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
  '/o bnx rescan: look for game controllers again', "/o bnx clear: remove all of the program's buttons", '/o bnx print text: echo the text, signs other than letters and digits as [code]',
  '/o bnx status: what Beaconix is doing now, and why', '/o bnx help: this list'];
const R = '^1[RZ]^7 Lights^9: ';
const STATUS = [`^1[RZ]^7 Lights^9 status: Beaconix v${VERSION}`, 'Category: Auto, decided by your name once you join',
  'Siren mode: Wail^K\xa1\xea^LYelp Cycle (1-key, Default); lights mode: 2 Extra Beacon', 'Flashing lights: off; siren: off', 'Controllers: 0', 'Beaconix.cfg: loaded'];

test('notice, then lightsmode, print, help, rescan, status and clear; an unknown word and a bad lightsmode are answered; other forms send nothing', { skip: SKIP, timeout: 120000 }, async (t) => {
  const ctx = await setup(t, { host: {} }), cfg = 'v:1\nm:0\nM:0\nc:0\nl:0\no:7:1\n';
  fs.writeFileSync(path.join(ctx.dir, 'Beaconix.cfg'), cfg);
  fs.writeFileSync(path.join(ctx.dir, 'fake-update-answer.txt'), 'Beaconix-LatestVersion:2.5\r\n');
  const app = ctx.startApp();
  const conn = await startUpgraded(ctx);
  const hud = await ctx.host.waitFor({ conn, dir: 'recv', type: 'IS_BTN' });
  const msls = ctx.host.packets({ conn, type: 'IS_MSL' }).map((p) => [p.fields.Msg.replace(/https:\/\/\S+\/Beaconix$/, 'PAGE'), p.fields.Sound]);
  assert.deepEqual(msls.slice(0, 3), [[T.greeting, 0], ['^1[RZ]^7 Lights^9: ^3there is a new version ^62.5^3 available. Get it here:', 4], ['^6PAGE', 0]]);

  for (const send of [
    mso('Player : bnx hello'), mso('bnx Hello'), mso('bnx print x', { userType: 0 }), mso('bnxcfg'), mso('bnx lightsmode 02'),
    mso('\xff'.repeat(128), { textStart: 255, terminate: false }),
    mso('bnx print ' + 'y'.repeat(118), { terminate: false }),
    mso('Bnx LightsMode 2'), mso('Player : bnx   print  a^b \xe9!', { textStart: 9 }), mso('bnx rescan'), mso('bnx Help me'), mso('bnx status'),
    mso('BNX CLEAR now'),
  ]) ctx.host.control({ conn, send });
  await ctx.host.waitFor({ conn, dir: 'recv', type: 'IS_BFN' }, { from: hud.index });
  await sleep(300);
  const replies = ctx.host.entries.slice(hud.index + 1).filter((p) => p.conn === conn && p.dir === 'recv' && ['IS_MSL', 'IS_BFN'].includes(p.type));
  assert.deepEqual(replies.map((p) => (p.type === 'IS_MSL' ? [p.fields.Msg, p.fields.Sound] : [p.subT, p.fields.UCID, p.fields.ClickID, p.fields.ClickMax])),
    [[`${R}no command "hello"; /o bnx help lists them`, 1], [`${R}lightsmode takes one number, 0 to 3 (/o bnx lightsmode 2); the mode stays`, 1],
      ['y'.repeat(118), 1], ['a^^b[32][233][33]', 1], [`${R}no game controllers found`, 1], ...[...HELP, ...STATUS].map((m) => [m, 1]),
      ['BFN_DEL_BTN', 0, 0, 200]]);
  assert.equal(fs.readFileSync(path.join(ctx.dir, 'Beaconix.cfg'), 'utf8'), cfg, 'lightsmode writes no file');
  assert.equal(app.stderr, '');
  assert.equal(app.exit, null);
});

// Auto category, behaviour 3, running lights and the HUD on. Each [TOW] that is not
// the local player's, taken for it, would announce mode 5.
test('a local [cop] announces the Emergency behaviour and re-applies the headlights; remote and AI players and other connections\' renames change nothing; a local rename does', { skip: SKIP, timeout: 120000 }, async (t) => {
  const players = [{ PName: '^1[cop]^7Name', PType: 0, UCID: 0, PLID: 3 }, { PName: '[TOW] Remote', PType: 4, UCID: 2, PLID: 1 },
    { PName: '[TOW] AI', PType: 2, UCID: 0, PLID: 2 }];
  // After the local IS_NCN (UCID 0): a remote connection, then renames.
  const steps = [[0, { type: 'IS_NCN', UCID: 2, Flags: 4, PName: 'Remote' }], [150, { type: 'IS_CPR', UCID: 2, PName: '[TOW] Remote' }],
    [300, { type: 'IS_CPR', UCID: 0, PName: 'Me' }]].map(([delay, send]) => ({ after: { type: 'IS_TINY', subT: 'TINY_NPL' }, delay, send }));
  const ctx = await setup(t, { host: { scenario: { players, connections: [{}, { steps }] } } });
  fs.writeFileSync(path.join(ctx.dir, 'Beaconix.cfg'), 'v:1\nm:3\nM:6\nc:0\no:7:1\no:8:1\n');
  const conn = await startUpgraded(ctx);
  const npl = await ctx.host.waitFor({ conn, dir: 'send', type: 'IS_NPL' });
  const msl = await ctx.host.waitFor({ conn, type: 'IS_MSL', Msg: /Active siren mode/ }, { from: npl.index });
  assert.equal(msl.fields.Sound, 0);
  const lcl = await ctx.host.waitFor({ conn, dir: 'recv', subT: 'SMALL_LCL' }, { from: msl.index });
  assert.equal(lcl.UVal, 0x40004, 'sidelights, change headlights');
  const mine = await ctx.host.waitFor({ conn, dir: 'send', type: 'IS_CPR', UCID: 0 });
  await ctx.host.waitFor({ conn, type: 'IS_MSL', Msg: /Active siren mode/ }, { from: mine.index });
  await sleep(200);
  assert.deepEqual(ctx.host.packets({ conn, type: 'IS_MSL', Msg: /Active siren mode/ }).map((p) => p.fields.Msg),
    ['Wail^K\u00a1\u00e6^LYelp^K\u00a1\u00e6^LPiercer Cycle (1-key)', 'Race/Civilian'].map((m) => `[RZ]Lights: Active siren mode changed to ^7${m}`));
});
