// LFS ending an established connection: closed (FIN) or reset (RST).
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { SKIP, SLACK, T, setup, startUpgraded } from './harness.mjs';

const opts = { skip: SKIP, timeout: 120000 };

for (const [action, text] of [
  ['close', T.closed],
  ['reset', T.reset],
]) {
  test(`LFS ${action}s an established connection: reported, reconnected at once with version 9`, opts, async (t) => {
    const drop = { after: { type: 'IS_MSL' }, delay: 200, action };
    const ctx = await setup(t, { host: { scenario: { connections: [{}, { steps: [drop] }] } } });
    const { host } = ctx;
    const app = ctx.startApp();
    await startUpgraded(ctx);
    const accepted = await app.waitForText(T.accepted(9));
    const lost = await app.waitForText(text, { from: accepted.end });
    const again = await app.waitForText(T.connecting(ctx.port), { from: lost.end });
    await app.waitForText(T.accepted(9), { from: again.end });

    const dropped = await host.waitFor({ conn: 2, event: `host-${action}` });
    const isi = await host.waitFor({ conn: 3, dir: 'recv', type: 'IS_ISI' });
    assert.ok(isi.t - dropped.t < 1000 * SLACK, `reconnected ${isi.t - dropped.t} ms after the ${action}`);
    // The version is remembered: no second upgrade.
    assert.equal(isi.fields.InSimVer, 9);
    assert.equal(isi.sizeByte, 11);
    assert.equal(app.count('Upgrading'), 1);
    assert.equal(app.count('Connection refused'), 0);
    const third = host.packets({ conn: 3 }).map((p) => p.subT ?? p.type);
    assert.ok(!third.includes('TINY_CLOSE'), 'switched version again');
    await host.waitFor({ conn: 3, dir: 'recv', type: 'IS_MSL' });
    assert.deepEqual(host.errors(), []);
  });
}
