// The player ends the program: while connected it switches off, removes its buttons
// and closes, also when LFS keeps its end open; while not connected it ends at once.
// Exit code 0 and one line either way. Between attempts: LFS going away for good,
// then coming back on the same port. Under Wine, Ctrl+C (SIGINT) while connected.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { performance } from 'node:perf_hooks';
import { test } from 'node:test';
import { IS_WINE, SKIP, SLACK, START_TIMEOUT, T, setup, sleep, startUpgraded } from './harness.mjs';

const opts = { skip: SKIP, timeout: 120000 };
const STOPPED = 'Beaconix stopped.\n';
const CFG = 'v:1\nm:0\nM:0\nc:0\no:7:1\n';  // the HUD on

// Sends `signal`; resolves to the ms until the program exited, checking that it printed the line.
async function stop(app, signal) {
  const sent = performance.now();
  app.proc.kill(signal);
  const exit = await app.waitExit(5000);
  const took = performance.now() - sent;
  assert.deepEqual([exit.code, app.stdout.endsWith(STOPPED), app.count(STOPPED), app.stderr], [0, true, 1, ''], app.stdout);
  return took;
}

// A host that keeps its end open (neither TINY_CLOSE nor the program's FIN closes it)
// must not hold the program up until the stop's 2 s bound.
for (const [signal, keepOpen] of [['SIGINT', true], ...(IS_WINE ? [] : [['SIGTERM', false]])]) {
  test(`${signal} while connected${keepOpen ? ', LFS keeping its end open' : ''}: the buttons go, TINY_CLOSE, nothing after, files untouched, exit 0`, opts, async (t) => {
    const ctx = await setup(t, { host: { scenario: { connections: [{}, { keepOpen }] } } });
    fs.writeFileSync(path.join(ctx.dir, 'Beaconix.cfg'), CFG);
    const conn = await startUpgraded(ctx);
    const hud = await ctx.host.waitFor({ conn, dir: 'recv', type: 'IS_BTN', ClickID: 0 });
    const took = await stop(ctx.app, signal);
    // "Within a second" is the program's aim; the bound here leaves room for a loaded machine.
    assert.ok(took < 1500, `exited ${took} ms after ${signal}`);
    t.diagnostic(`exited ${Math.round(took)} ms after ${signal}`);
    await ctx.host.waitFor({ conn, event: 'end' }, { from: hud.index });
    const [bfn, close] = ctx.host.packets({ conn }).slice(-2);  // and nothing after them
    assert.deepEqual([bfn.subT, bfn.fields.UCID, bfn.fields.ClickID, bfn.fields.ClickMax, close.subT],
      ['BFN_DEL_BTN', 0, 0, 239, 'TINY_CLOSE']);
    const read = (...p) => fs.readFileSync(path.join(ctx.dir, ...p), 'utf8');
    assert.deepEqual([read('Beaconix.cfg'), read('data', 'script', 'autoexec.lfs')], [CFG, `/insim ${ctx.port}\n`]);
    assert.equal(ctx.host.find({ event: 'connect' }).length, 2, 'connected again');
  });
}

if (!IS_WINE) test('SIGHUP while waiting for LFS: exit 0 at once', opts, async (t) => {
  const ctx = await setup(t, { host: false });
  const app = ctx.startApp();
  await app.waitForText(T.waiting(ctx.port), { timeout: START_TIMEOUT });
  assert.ok((await stop(app, 'SIGHUP')) < 1500);
});

// LFS shuts down once the program has connected.
async function startThenLoseLfs(t) {
  const leave = { after: { type: 'IS_MSL' }, delay: 200, action: 'shutdown' };
  const ctx = await setup(t, { host: { scenario: { connections: [{}, { steps: [leave] }] } } });
  await startUpgraded(ctx);
  const accepted = await ctx.app.waitForText(T.accepted(9));
  const lost = await ctx.app.waitForText(T.closed, { from: accepted.end });
  const again = await ctx.app.waitForText(T.connecting(ctx.port), { from: lost.end });
  return { ctx, refused: await ctx.app.waitForText(T.refusedRetry, { from: again.end }) };
}

if (!IS_WINE) test('LFS gone: refusal reported once, the program keeps trying and reconnects when LFS is back; gone again, reported again', opts, async (t) => {
  const { ctx, refused } = await startThenLoseLfs(t);
  const { app } = ctx;
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
  const back9 = await app.waitForText(T.accepted(9), { from: refused.end });
  assert.equal(app.count('Connection refused'), 1);
  assert.equal(app.count(T.connecting(ctx.port), refused.end), 0, 'connecting line printed while retrying');
  back.control({ action: 'shutdown' });
  await app.waitForText(T.refusedRetry, { from: back9.end });
});

if (!IS_WINE) test('SIGINT between attempts to reach LFS: exit 0 at once', opts, async (t) => {
  const { ctx } = await startThenLoseLfs(t);
  // The next attempt is 2 s away.
  const took = await stop(ctx.app, 'SIGINT');
  assert.ok(took < 1500, `exited ${took} ms after SIGINT`);
});
