// Keep-alive ping after 10 s without any send.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { SKIP, SLACK, setup, startUpgraded } from './harness.mjs';

test('after 10 s of silence one TINY_PING (ReqI 1); answered, the next one follows 10 s later', { skip: SKIP, timeout: 120000 }, async (t) => {
  const ctx = await setup(t);
  const { host } = ctx;
  const conn = await startUpgraded(ctx);
  const ping1 = await host.waitFor({ conn, dir: 'recv', subT: 'TINY_PING' }, { timeout: 15000 });
  const quiet = ping1.t - host.packets({ conn }).filter((p) => p.t < ping1.t).pop().t;
  assert.ok(quiet >= 9950 && quiet < 10000 + 1000 * SLACK, `first ping after ${quiet} ms of silence`);
  assert.deepEqual([ping1.ReqI, ping1.sizeByte], [1, 1]);
  await host.waitFor({ conn, dir: 'send', subT: 'TINY_REPLY', ReqI: 1 }, { from: ping1.index });
  const ping2 = await host.waitFor({ conn, dir: 'recv', subT: 'TINY_PING' }, { from: ping1.index + 1, timeout: 15000 });
  const between = ping2.t - ping1.t;
  assert.ok(between >= 9950 && between < 10000 + 1000 * SLACK, `second ping ${between} ms after the first`);
  assert.equal(ping2.ReqI, 1);
  // Nothing else was sent in between: an answered ping is not repeated.
  assert.deepEqual(host.packets({ conn }).filter((p) => p.t > ping1.t && p.t < ping2.t), []);
  assert.equal(ctx.app.count('did not respond'), 0);
  assert.deepEqual(host.errors(), []);
});
