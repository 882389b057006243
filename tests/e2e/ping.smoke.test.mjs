// Keep-alive pings: after 10 s without any send, and one that LFS leaves unanswered.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { SKIP, SLACK, T, setup, startUpgraded } from './harness.mjs';

test('after 10 s of silence one TINY_PING (ReqI 1); answered, the next follows 10 s later; unanswered, reported 5 s later and sent again, a reply with another ReqI not counting', { skip: SKIP, timeout: 120000 }, async (t) => {
  const wrongReply = { after: { type: 'IS_TINY', subT: 'TINY_PING' }, count: 3, send: { type: 'IS_TINY', SubT: 'TINY_REPLY', ReqI: 2 } };
  const ctx = await setup(t, { host: { scenario: { connections: [{}, { steps: [wrongReply] }] } } });
  const conn = await startUpgraded(ctx);
  const { host, app } = ctx;
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
  await host.waitFor({ conn, dir: 'send', subT: 'TINY_REPLY', ReqI: 1 }, { from: ping2.index });
  assert.equal(app.count(T.noPingReply), 0);

  // From the third ping on the host answers only with the wrong ReqI, once.
  host.control({ conn, set: { pingReply: false } });
  const ping3 = await host.waitFor({ conn, dir: 'recv', subT: 'TINY_PING' }, { from: ping2.index + 1, timeout: 15000 });
  const ping4 = await host.waitFor({ conn, dir: 'recv', subT: 'TINY_PING' }, { from: ping3.index + 1, timeout: 8000 });
  const again = ping4.t - ping3.t;
  assert.ok(again >= 4950 && again < 5000 + 700 * SLACK, `ping sent again after ${again} ms`);
  assert.deepEqual([ping3.ReqI, ping4.ReqI], [1, 1]);
  const said = await app.waitForText(T.noPingReply, { timeout: 2000 });
  assert.ok(Math.abs(said.at - ping4.at) < 500 * SLACK, `report ${said.at - ping4.at} ms from the ping sent again`);
  assert.ok(said.at - ping3.at > 4900, 'reported too early');
  assert.equal(app.count(T.noPingReply), 1);
  // Unanswered pings never end the connection.
  assert.deepEqual(host.find({ conn, event: 'end' }), []);
});
