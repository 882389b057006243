// LFS ending an established connection: closed (FIN) or reset (RST). bench/soak.mjs
// repeats these, and more ways of ending, a thousand times.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { SKIP, SLACK, T, setup, startUpgraded } from './harness.mjs';

for (const [action, text] of [['close', T.closed], ['reset', T.reset]]) {
  test(`LFS ${action}s an established connection: reported, reconnected at once with version 9`, { skip: SKIP, timeout: 120000 }, async (t) => {
    const drop = { after: { type: 'IS_MSL' }, delay: 200, action };
    const ctx = await setup(t, { host: { scenario: { connections: [{}, { steps: [drop] }] } } });
    await startUpgraded(ctx);
    const { host, app } = ctx;
    const accepted = await app.waitForText(T.accepted(9));
    const lost = await app.waitForText(text, { from: accepted.end });
    const again = await app.waitForText(T.connecting(ctx.port), { from: lost.end });
    await app.waitForText(T.accepted(9), { from: again.end });
    const dropped = await host.waitFor({ conn: 2, event: `host-${action}` });
    const isi = await host.waitFor({ conn: 3, dir: 'recv', type: 'IS_ISI' });
    assert.ok(isi.t - dropped.t < 1000 * SLACK, `reconnected ${isi.t - dropped.t} ms after the ${action}`);
    // The version is remembered: no second upgrade.
    assert.deepEqual([isi.fields.InSimVer, isi.sizeByte, app.count('Upgrading'), app.count('Connection refused')], [9, 11, 1, 0]);
    await host.waitFor({ conn: 3, dir: 'recv', type: 'IS_MSL' });
    assert.deepEqual(host.find({ conn: 3, subT: 'TINY_CLOSE' }), [], 'switched version again');
    assert.deepEqual(host.errors(), []);
  });
}
