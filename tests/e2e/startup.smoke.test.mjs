// Start-up against no LFS at all, and the version-9 upgrade at start.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { describe, test } from 'node:test';
import { SKIP, START_TIMEOUT, T, setup, sleep, startUpgraded } from './harness.mjs';

const opts = { skip: SKIP, timeout: 120000 };

// What the program prints before it first connects, after the Windows line and
// without the timer note (a loaded machine may oversleep).
async function startupText(ctx) {
  const app = ctx.startApp();
  const connecting = await app.waitForText(T.connecting(ctx.port), { timeout: START_TIMEOUT });
  const text = app.stdout.slice(0, connecting.end).replace(/\r\n/g, '\n');
  return text.slice(text.indexOf('\n') + 1).replace(/Timer test: 10ms took [0-9.e+-]+ms\.\n/, '');
}

const HELP = 'Type "/o bnx config" ingame to view or customise controls & settings.\n'
  + 'For full instructions, see the readme or the website.\n\n';

test('start-up without Beaconix.cfg: defaults and their keys, then help', opts, async (t) => {
  const ctx = await setup(t, { host: false });
  const text = await startupText(ctx);
  assert.match(text, /^\n {3}Beaconix v2\.4[^\n]*\n/);
  assert.equal(text.slice(text.indexOf('\nLoading Config')),
    '\nLoading Config... Failed. Loading defaults.\nType "/o bnx config" ingame to customise.\n'
    + 'Lights: PageDown\nSirens: PageUp ~ Tap to cycle, Double-tap to turn off.\n'
    + HELP + T.connecting(ctx.port));
});

test('start-up with a readable Beaconix.cfg: no default-key lines', opts, async (t) => {
  const ctx = await setup(t, { host: false });
  fs.writeFileSync(path.join(ctx.dir, 'Beaconix.cfg'), 'v:1\nm:2\nk:lights:34\n');
  const text = await startupText(ctx);
  assert.equal(text.slice(text.indexOf('\nLoading Config')), '\nLoading Config... \n' + HELP + T.connecting(ctx.port));
});

describe('no LFS listening at start', () => {
  for (const [how, finish] of [
    ['Enter', (app) => app.write('\n')],
    ['end of input', (app) => app.closeStdin()],
  ]) {
    test(`reports the refusal, waits, and exits 0 on ${how}`, opts, async (t) => {
      const ctx = await setup(t, { host: false });
      const app = ctx.startApp();
      const connecting = await app.waitForText(T.connecting(ctx.port), { timeout: START_TIMEOUT });
      const failed = await app.waitForText(T.refused + T.failed, { from: connecting.end });
      assert.equal(app.count('Connection refused'), 1);
      assert.equal(app.count('will continue trying'), 0);
      // It waits for the user before ending.
      await sleep(300);
      assert.equal(app.exit, null, 'exited without waiting for Enter');
      finish(app);
      const { code } = await app.waitExit();
      assert.equal(code, 0);
      assert.equal(app.stdout.indexOf(T.connecting(ctx.port), failed.end), -1, 'tried again after failing');
    });
  }
});

test('version 9 host: upgrade, second connection in 4-byte units, then the start-up requests', opts, async (t) => {
  const ctx = await setup(t, { host: { args: ['--insim-version', '9'] } });
  const { host } = ctx;
  const app = ctx.startApp();
  const conn = await startUpgraded(ctx);

  const up = await app.waitForText(T.upgrading(9));
  const closed = await app.waitForText(T.closed, { from: up.end });
  const again = await app.waitForText(T.connecting(ctx.port), { from: closed.end });
  await app.waitForText(T.accepted(9), { from: again.end });
  assert.equal(app.count('(Compat'), 0);

  // First connection: InSim 8 in bytes, closed by TINY_CLOSE after the IS_VER.
  const first = host.packets({ conn: 1 });
  assert.deepEqual(first.map((p) => [p.type, p.subT ?? null]), [['IS_ISI', null], ['IS_TINY', 'TINY_CLOSE']]);
  assert.equal(first[0].sizeByte, 44);
  assert.equal(first[0].fields.InSimVer, 8);
  assert.equal(first[0].ReqI, 1);
  assert.equal(first[0].fields.Flags, 4);
  assert.equal(first[0].fields.Prefix, '!');
  assert.equal(first[0].fields.IName, 'Beaconix');
  assert.equal(first[1].ReqI, 0);
  assert.equal(first[1].sizeByte, 4);

  // Second connection: InSim 9, Size in 4-byte units.
  assert.equal(conn, 2);
  const isi = host.packets({ conn, type: 'IS_ISI' })[0];
  assert.equal(isi.fields.InSimVer, 9);
  assert.equal(isi.sizeByte, 11);
  const npl = await host.waitFor({ conn, dir: 'recv', subT: 'TINY_NPL' });
  const seq = host.packets({ conn }).filter((p) => ['IS_ISI', 'IS_TINY', 'IS_MSL'].includes(p.type) && p.subT !== 'TINY_NONE');
  assert.deepEqual(seq.slice(0, 5).map((p) => p.subT ?? p.type), ['IS_ISI', 'TINY_SST', 'TINY_NCN', 'TINY_NPL', 'IS_MSL']);
  for (const p of seq.slice(1, 4)) {
    assert.equal(p.ReqI, 1, `${p.subT} ReqI`);
    assert.equal(p.sizeByte, 1, `${p.subT} Size`);
  }
  const ncn = seq[2];
  assert.ok(npl.t - ncn.t >= 240, `TINY_NPL ${npl.t - ncn.t} ms after TINY_NCN`);
  const msl = seq[4];
  assert.equal(msl.fields.Msg, T.greeting);
  assert.equal(msl.fields.Sound, 0);
  assert.equal(msl.sizeByte, 33);
  assert.equal(host.find({ conn, subT: 'TINY_CLOSE' }).length, 0);
  assert.deepEqual(host.errors(), []);
});
