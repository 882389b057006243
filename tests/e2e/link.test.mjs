// Hosts of other InSim versions, a host that closes before IS_VER, and keep-alives.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { SKIP, START_TIMEOUT, T, setup, sleep, startUpgraded } from './harness.mjs';

const opts = { skip: SKIP, timeout: 120000 };

test('version 10 host: upgrade to 9, accepted as Compat v9', opts, async (t) => {
  const ctx = await setup(t, { host: { args: ['--insim-version', '10'] } });
  const app = ctx.startApp();
  const up = await app.waitForText(T.upgrading(10), { timeout: START_TIMEOUT });
  await app.waitForText(T.accepted(10, 9), { from: up.end });
  const isi = await ctx.host.waitFor({ conn: 2, dir: 'recv', type: 'IS_ISI' });
  assert.deepEqual([isi.fields.InSimVer, isi.sizeByte], [9, 11]);
  assert.deepEqual(ctx.host.errors(), []);
});

test('version 8 host: accepted at once as Compat v8, no switch', opts, async (t) => {
  const ctx = await setup(t, { host: { args: ['--insim-version', '8', '--lfs-version', '0.6V', '--product', 'S2'] } });
  const app = ctx.startApp();
  await app.waitForText(T.accepted(8, 8, '0.6V', 'S2'), { timeout: START_TIMEOUT });
  const msl = await ctx.host.waitFor({ conn: 1, dir: 'recv', type: 'IS_MSL' });
  assert.deepEqual([msl.fields.Msg, msl.sizeByte], [T.greeting, 132]);
  const tinies = ctx.host.packets({ conn: 1, type: 'IS_TINY' }).map((p) => [p.subT, p.sizeByte]);
  assert.deepEqual(tinies.slice(0, 3), [['TINY_SST', 4], ['TINY_NCN', 4], ['TINY_NPL', 4]]);
  await sleep(500);
  assert.equal(ctx.host.find({ event: 'connect' }).length, 1, 'connected again');
  assert.equal(ctx.host.find({ subT: 'TINY_CLOSE' }).length + app.count('Upgrading'), 0);
  assert.deepEqual(ctx.host.errors(), []);
});

test('LFS closes before IS_VER: reported, connected again at once, then at the pace of refusals', opts, async (t) => {
  const ctx = await setup(t, { host: { scenario: { connections: [{ beforeVer: 'close' }, { beforeVer: 'close' }] } } });
  const app = ctx.startApp();
  const first = await app.waitForText(T.connecting(ctx.port), { timeout: START_TIMEOUT });
  const closed = await app.waitForText(T.closedEarly, { from: first.end });
  await app.waitForText(T.connecting(ctx.port), { from: closed.end });
  const hostClose = await ctx.host.waitFor({ conn: 1, event: 'host-close' });
  const isi = await ctx.host.waitFor({ conn: 2, dir: 'recv', type: 'IS_ISI' });
  // At once: about 100 ms (the tick thread's first sleep), against 1 s for the slowest pace.
  assert.ok(isi.t - hostClose.t < 600, `reconnected ${isi.t - hostClose.t} ms after the close`);
  // No IS_VER came, so the version stays 8.
  assert.deepEqual([isi.fields.InSimVer, isi.sizeByte], [8, 44]);
  // A second close before IS_VER in a row (a wrong admin password) is not retried at once.
  const again = await ctx.host.waitFor({ conn: 2, event: 'host-close' });
  const third = await ctx.host.waitFor({ conn: 3, dir: 'recv', type: 'IS_ISI' }, { timeout: 10000 });
  assert.ok(third.t - again.t >= 1900, `tried again ${third.t - again.t} ms after the second close`);
  await app.waitForText(T.accepted(9), { from: closed.end });
});

test('every keep-alive TINY_NONE from LFS is answered at once with TINY_NONE, ReqI 0', opts, async (t) => {
  const ctx = await setup(t, { host: { scenario: { connections: [{}, { keepalive: 250 }] } } });
  const conn = await startUpgraded(ctx);
  let answer = { index: -1 };
  for (let i = 0; i < 3; i++) {
    const sent = await ctx.host.waitFor({ conn, dir: 'send', subT: 'TINY_NONE' }, { from: answer.index + 1 });
    answer = await ctx.host.waitFor({ conn, dir: 'recv', subT: 'TINY_NONE' }, { from: sent.index, timeout: 2000 });
    assert.deepEqual([answer.ReqI, answer.sizeByte], [0, 1]);
    assert.ok(answer.t - sent.t < 200, `answered after ${answer.t - sent.t} ms`);
  }
  const upTo = (dir) => ctx.host.find({ conn, dir, subT: 'TINY_NONE' }).filter((e) => e.t <= answer.t).length;
  assert.equal(upTo('recv'), upTo('send'), 'one answer per keep-alive');
  assert.deepEqual(ctx.host.errors(), []);
});
