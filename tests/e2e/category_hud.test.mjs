// The local player's nickname picks the siren mode, as LFS (node-insim) decodes it.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { SKIP, setup, sleep, startUpgraded } from './harness.mjs';

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
  assert.deepEqual(ctx.host.errors(), []);
});
