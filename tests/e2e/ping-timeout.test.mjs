// A ping that LFS leaves unanswered.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { SKIP, SLACK, T, setup, startUpgraded } from './harness.mjs';

test('unanswered ping: reported 5 s later and sent again; a reply with another ReqI does not count', { skip: SKIP, timeout: 120000 }, async (t) => {
  const wrongReply = { after: { type: 'IS_TINY', subT: 'TINY_PING' }, send: { type: 'IS_TINY', SubT: 'TINY_REPLY', ReqI: 2 } };
  const ctx = await setup(t, { host: { args: ['--no-ping-reply'], scenario: { connections: [{}, { steps: [wrongReply] }] } } });
  const conn = await startUpgraded(ctx);
  const { host, app } = ctx;
  const ping1 = await host.waitFor({ conn, dir: 'recv', subT: 'TINY_PING' }, { timeout: 15000 });
  const ping2 = await host.waitFor({ conn, dir: 'recv', subT: 'TINY_PING' }, { from: ping1.index + 1, timeout: 8000 });
  const again = ping2.t - ping1.t;
  assert.ok(again >= 4950 && again < 5000 + 700 * SLACK, `ping sent again after ${again} ms`);
  assert.deepEqual([ping1.ReqI, ping2.ReqI], [1, 1]);
  const said = await app.waitForText(T.noPingReply, { timeout: 2000 });
  assert.ok(Math.abs(said.at - ping2.at) < 500 * SLACK, `report ${said.at - ping2.at} ms from the second ping`);
  assert.ok(said.at - ping1.at > 4900, 'reported too early');
  assert.equal(app.count(T.noPingReply), 1);
  // Unanswered pings never end the connection.
  assert.deepEqual(host.find({ conn, event: 'end' }), []);
  assert.deepEqual(host.errors(), []);
});
