// The local player's nickname picks the siren mode, as LFS (node-insim) decodes it.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { SKIP, setup, sleep, startUpgraded } from './harness.mjs';

const opts = { skip: SKIP, timeout: 120000 };

test('a [cop] nickname in Auto announces the Emergency behaviour and re-applies the headlights', opts, async (t) => {
  const ctx = await setup(t, { host: { scenario: { players: [{ PName: '^1[cop]^7Name', PType: 0, UCID: 0, PLID: 3 }] } } });
  // Auto category, behaviour 3, running lights and the HUD on.
  fs.writeFileSync(path.join(ctx.dir, 'Beaconix.cfg'), 'v:1\nm:3\nM:6\nc:0\no:7:1\no:8:1\n');
  const conn = await startUpgraded(ctx);
  const npl = await ctx.host.waitFor({ conn, dir: 'send', type: 'IS_NPL' });
  const msl = await ctx.host.waitFor({ conn, type: 'IS_MSL', Msg: /Active siren mode/ }, { from: npl.index });
  assert.deepEqual([msl.fields.Msg, msl.fields.Sound], ['[RZ]Lights: Active siren mode changed to ^7Wail^K\u00a1\u00e6^LYelp^K\u00a1\u00e6^LPiercer Cycle (1-key)', 0]);
  const lcl = await ctx.host.waitFor({ conn, dir: 'recv', subT: 'SMALL_LCL' }, { from: msl.index });
  assert.equal(lcl.UVal, 0x40004, 'sidelights, change headlights');
  assert.deepEqual(ctx.host.errors(), []);
});

test('remote and AI players, and renames on other connections, change nothing; a local rename does', opts, async (t) => {
  const players = [{ PName: '[TOW] Remote', PType: 4, UCID: 2, PLID: 1 }, { PName: '[TOW] AI', PType: 2, UCID: 0, PLID: 2 }];
  // After the local IS_NCN (UCID 0): a remote connection, then renames.
  const steps = [[0, { type: 'IS_NCN', UCID: 2, Flags: 4, PName: 'Remote' }], [150, { type: 'IS_CPR', UCID: 2, PName: '^1[cop] Remote' }],
    [300, { type: 'IS_CPR', UCID: 0, PName: '^1[cop] Me' }]].map(([delay, send]) => ({ after: { type: 'IS_TINY', subT: 'TINY_NPL' }, delay, send }));
  const ctx = await setup(t, { host: { scenario: { players, connections: [{}, { steps }] } } });
  fs.writeFileSync(path.join(ctx.dir, 'Beaconix.cfg'), 'v:1\nm:3\nM:6\nc:0\n');
  const conn = await startUpgraded(ctx);
  const mine = await ctx.host.waitFor({ conn, dir: 'send', type: 'IS_CPR', UCID: 0 });
  await ctx.host.waitFor({ conn, type: 'IS_MSL', Msg: /Active siren mode/ }, { from: mine.index });
  await sleep(200);
  assert.equal(ctx.host.packets({ conn, type: 'IS_MSL', Msg: /Active siren mode/ }).length, 1);
  assert.deepEqual(ctx.host.errors(), []);
});
