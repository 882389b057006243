// LFS going away for good, then coming back on the same port.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { SKIP, SLACK, T, setup, sleep, startUpgraded } from './harness.mjs';

test('LFS gone: refusal reported once, the program keeps trying and reconnects when LFS is back', { skip: SKIP, timeout: 120000 }, async (t) => {
  const leave = { after: { type: 'IS_MSL' }, delay: 200, action: 'shutdown' };
  const ctx = await setup(t, { host: { scenario: { connections: [{}, { steps: [leave] }] } } });
  await startUpgraded(ctx);
  const { app } = ctx;
  const accepted = await app.waitForText(T.accepted(9));
  const lost = await app.waitForText(T.closed, { from: accepted.end });
  const again = await app.waitForText(T.connecting(ctx.port), { from: lost.end });
  const refused = await app.waitForText(T.refusedRetry, { from: again.end });
  await ctx.host.exited;
  // Let at least one more attempt (2 s after the first refusal) fail silently.
  await sleep(2500 - (performance.now() - refused.at));
  const back = await ctx.startHost({ port: ctx.port });
  // Attempts follow the refusal after 2, 5, 9, 14 s: the first one after the
  // host listens again gets through, however long the host took to start.
  const listening = performance.now() - refused.at;
  const due = [2000, 5000, 9000, 14000].find((at) => at >= listening - 100) ?? 14000;
  const isi = await back.waitFor({ conn: 1, dir: 'recv', type: 'IS_ISI' }, { timeout: 16000 });
  const waited = isi.at - refused.at;
  assert.ok(waited >= 2500 && waited < due + 1000 * SLACK, `reconnected ${waited} ms after the refusal, host listening at ${listening} ms`);
  assert.equal(isi.fields.InSimVer, 9);
  await app.waitForText(T.accepted(9), { from: refused.end });
  assert.equal(app.count('Connection refused'), 1);
  assert.equal(app.count(T.connecting(ctx.port), refused.end), 0, 'connecting line printed while retrying');
  assert.deepEqual(back.errors(), []);
});
