// One copy per LFS folder: a second copy in the same folder says so and does not
// connect; one in another folder runs beside it; a killed copy leaves no lock.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { App, SKIP, START_TIMEOUT, T, setup, sleep, startUpgraded } from './harness.mjs';

const RUNNING = 'Beaconix is already running in this folder.\n';

test('a second copy in the same folder refuses, one in another folder connects, a killed copy frees the folder', { skip: SKIP, timeout: 240000 }, async (t) => {
  const ctx = await setup(t);
  await startUpgraded(ctx);
  const start = (dir) => {
    const app = new App(dir).start();
    t.after(() => app.kill());
    return app;
  };
  const second = start(ctx.dir);
  await second.waitForText(RUNNING, { timeout: START_TIMEOUT });
  await sleep(300);
  assert.equal(second.exit, null, 'exited without waiting for Enter');
  second.proc.stdin.write('\n');
  assert.equal((await second.waitExit()).code, 0);
  assert.equal(second.count('Connecting'), 0);
  assert.equal(ctx.host.find({ event: 'connect' }).length, 2, 'the second copy connected');

  const other = await setup(t, { host: false });
  fs.writeFileSync(path.join(other.dir, 'data', 'script', 'autoexec.lfs'), `/insim ${ctx.port}\n`);
  const beside = start(other.dir);
  await beside.waitForText(T.accepted(9), { timeout: START_TIMEOUT });

  await ctx.app.kill();
  const after = start(ctx.dir);
  await after.waitForText(T.connecting(ctx.port), { timeout: START_TIMEOUT });
  assert.equal(after.count(RUNNING), 0);
});
