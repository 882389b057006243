// The local player's nickname picks the siren mode, and the HUD is drawn with
// its exact geometry, as LFS (node-insim) decodes it.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { SKIP, setup, startUpgraded } from './harness.mjs';

const opts = { skip: SKIP, timeout: 120000 };
const mode3 = 'Wail^K\u00a1\u00e6^LYelp^K\u00a1\u00e6^LPiercer Cycle (1-key)';

test('a [cop] nickname in Auto announces the Emergency behaviour and re-applies the headlights', opts, async (t) => {
  const ctx = await setup(t, {
    host: { scenario: { players: [{ PName: '^1[cop]^7Name', PType: 0, UCID: 0, PLID: 3 }] } },
  });
  // Auto category, behaviour 3, running lights and the HUD on.
  fs.writeFileSync(path.join(ctx.dir, 'Beaconix.cfg'), 'v:1\nm:3\nM:6\nc:0\no:7:1\no:8:1\n');
  ctx.startApp();
  const conn = await startUpgraded(ctx);
  const npl = await ctx.host.waitFor({ conn, dir: 'send', type: 'IS_NPL' });
  const msl = await ctx.host.waitFor({ conn, dir: 'recv', type: 'IS_MSL', Msg: /Active siren mode/ }, { from: npl.index });
  assert.equal(msl.fields.Msg, `[RZ]Lights: Active siren mode changed to ^7${mode3}`);
  assert.equal(msl.fields.Sound, 0);
  const lcl = await ctx.host.waitFor({ conn, dir: 'recv', subT: 'SMALL_LCL' }, { from: msl.index });
  assert.equal(lcl.UVal, 0x40004, 'sidelights, change headlights');

  const hud = ctx.host.packets({ conn, dir: 'recv', type: 'IS_BTN' }).slice(0, 3).map((b) => {
    const f = b.fields;
    return [f.ClickID, f.BStyle, f.L, f.T, f.W, f.H, f.Text, b.ReqI, f.UCID];
  });
  assert.deepEqual(hud, [
    [0, 40, 92, 197, 8, 3, '^1[RZ] ^7Lights', 1, 0],
    [1, 32, 100, 197, 3, 3, '^0*\u00b7*', 1, 0],
    [2, 32, 103, 197, 5, 3, '^0SIREN', 1, 0],
  ]);
  assert.deepEqual(ctx.host.errors(), []);
});

test('remote and AI players, and the same nickname again, change nothing', opts, async (t) => {
  const ctx = await setup(t, {
    host: {
      scenario: {
        players: [
          { PName: '[TOW] Remote', PType: 4, UCID: 2, PLID: 1 },
          { PName: '[TOW] AI', PType: 2, UCID: 0, PLID: 2 },
        ],
      },
    },
  });
  fs.writeFileSync(path.join(ctx.dir, 'Beaconix.cfg'), 'v:1\nm:0\nM:0\nc:0\n');
  ctx.startApp();
  const conn = await startUpgraded(ctx);
  await ctx.host.waitFor({ conn, dir: 'send', type: 'IS_NPL' });
  await new Promise((r) => setTimeout(r, 300));
  const msgs = ctx.host.packets({ conn, dir: 'recv', type: 'IS_MSL' }).map((p) => p.fields.Msg);
  assert.ok(!msgs.some((m) => m.includes('Active siren mode')), msgs.join('\n'));
});
