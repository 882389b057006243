// Start-up against no LFS at all, and the version-9 upgrade at start; LFS ending a connection.
// One copy per LFS folder: a second copy in the same folder, also by a symbolic link
// or (under Wine) another drive letter, says so and does not connect; one in another
// folder runs beside it; a killed copy leaves no lock.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { App, BEACONIX_CMD, IS_WINE, SKIP, SLACK, START_TIMEOUT, T, WINEPREFIX, setup, sleep, startUpgraded } from './harness.mjs';

const opts = { skip: SKIP, timeout: 120000 };
const HELP = 'Type "/o bnx config" ingame to view or customise controls & settings.\nFor full instructions, see the readme or the website.\n\n';

for (const [file, loading, how, finish] of [
  [null, 'Loading Config... Failed. Loading defaults.\nType "/o bnx config" ingame to customise.\n'
    + 'Lights: PageDown\nSirens: PageUp ~ Tap to cycle, Double-tap to turn off.\n', 'Enter', (app) => app.proc.stdin.write('\n')],
  ['v:1\nm:2\nk:lights:34\n', 'Loading Config... \n', 'end of input', (app) => app.proc.stdin.end()],
]) {
  test(`start-up ${file ? 'with a readable' : 'without'} Beaconix.cfg and no LFS: ${file ? 'no' : 'the'} default keys, help, the refusal; exits 0 on ${how}`, opts, async (t) => {
    const ctx = await setup(t, { host: false });
    if (file) fs.writeFileSync(path.join(ctx.dir, 'Beaconix.cfg'), file);
    const app = ctx.startApp();
    const connecting = await app.waitForText(T.connecting(ctx.port), { timeout: START_TIMEOUT });
    // After the Windows line, without the timer note (a loaded machine may oversleep).
    const text = app.stdout.slice(app.stdout.indexOf('\n') + 1, connecting.end).replace(/Timer test: 10ms took [0-9.e+-]+ms\.\n/, '');
    assert.match(text, /^\n {3}Beaconix v2\.4[^\n]*\n/);
    assert.equal(text.slice(text.indexOf('\nLoading') + 1), loading + HELP + T.connecting(ctx.port));
    const failed = await app.waitForText(T.refused + T.failed, { from: connecting.end });
    assert.deepEqual([app.count('Connection refused'), app.count('will continue trying')], [1, 0]);
    await sleep(300);
    assert.equal(app.exit, null, 'exited without waiting for Enter');
    finish(app);
    assert.equal((await app.waitExit()).code, 0);
    assert.equal(app.stdout.indexOf(T.connecting(ctx.port), failed.end), -1, 'tried again after failing');
    assert.equal(app.stderr, '');
  });
}

// bench/soak.mjs repeats the close and the reset, and more ways of ending, a thousand times.
test('version 9 host: upgrade, second connection in 4-byte units, then the start-up requests; LFS files read past Ctrl-Z; LFS closing, then resetting, the connection: reported, reconnected at once with version 9', opts, async (t) => {
  const drop = (action) => ({ steps: [{ after: { type: 'IS_MSL' }, delay: 200, action }] });
  const ctx = await setup(t, { host: { scenario: { connections: [{}, drop('close'), drop('reset')] } } });
  const { host } = ctx;
  const autoexec = path.join(ctx.dir, 'data', 'script', 'autoexec.lfs'), lfs = `/echo a\x1a\r\n/insim ${ctx.port}\r\n`;
  fs.writeFileSync(autoexec, lfs, 'latin1');
  fs.writeFileSync(path.join(ctx.dir, 'cfg.txt'), 'Skin x\x1a\r\nGame Admin pw\r\n', 'latin1');
  assert.equal((await ctx.startApp().waitForText(/Connecting to LFS on port (\d+)/, { timeout: START_TIMEOUT })).match[1], String(ctx.port));
  const conn = await startUpgraded(ctx);
  const up = await ctx.app.waitForText(T.upgrading(9));
  const closed = await ctx.app.waitForText(T.closed, { from: up.end });
  const again = await ctx.app.waitForText(T.connecting(ctx.port), { from: closed.end });
  let from = (await ctx.app.waitForText(T.accepted(9), { from: again.end })).end;
  assert.equal(ctx.app.count('(Compat'), 0);
  // First connection: InSim 8 in bytes, closed by TINY_CLOSE after the IS_VER.
  const [isi8, close, ...rest] = host.packets({ conn: 1 });
  const { InSimVer, Flags, Prefix, IName, Admin } = isi8.fields;
  assert.deepEqual([isi8.type, isi8.sizeByte, isi8.ReqI, InSimVer, Flags, Prefix, IName, Admin], ['IS_ISI', 44, 1, 8, 4, '!', 'Beaconix', 'pw']);
  assert.deepEqual([close.subT, close.ReqI, close.sizeByte, rest.length], ['TINY_CLOSE', 0, 4, 0]);
  // Second connection: InSim 9, Size in 4-byte units.
  assert.equal(conn, 2, 'greeted on the second connection');
  const npl = await host.waitFor({ conn, dir: 'recv', subT: 'TINY_NPL' });
  const seq = host.packets({ conn }).filter((p) => ['IS_ISI', 'IS_TINY', 'IS_MSL'].includes(p.type) && p.subT !== 'TINY_NONE');
  assert.deepEqual(seq.slice(0, 5).map((p) => [p.subT ?? p.type, p.ReqI, p.sizeByte]),
    [['IS_ISI', 1, 11], ['TINY_SST', 1, 1], ['TINY_NCN', 1, 1], ['TINY_NPL', 1, 1], ['IS_MSL', 0, 33]]);
  assert.deepEqual([seq[0].fields.InSimVer, seq[4].fields.Msg, seq[4].fields.Sound], [9, T.greeting, 0]);
  // The program waits 250 ms; the host may see TINY_NCN late on a loaded machine.
  assert.ok(npl.t - seq[2].t >= 150, `TINY_NPL ${npl.t - seq[2].t} ms after TINY_NCN`);
  for (const [n, action, text] of [[2, 'close', T.closed], [3, 'reset', T.reset]]) {
    const lost = await ctx.app.waitForText(text, { from });
    const next = await ctx.app.waitForText(T.connecting(ctx.port), { from: lost.end });
    from = (await ctx.app.waitForText(T.accepted(9), { from: next.end })).end;
    const dropped = await host.waitFor({ conn: n, event: `host-${action}` });
    const isi = await host.waitFor({ conn: n + 1, dir: 'recv', type: 'IS_ISI' });
    assert.ok(isi.t - dropped.t < 1000 * SLACK, `reconnected ${isi.t - dropped.t} ms after the ${action}`);
    assert.deepEqual([isi.fields.InSimVer, isi.sizeByte], [9, 11]);  // the version is remembered
    await host.waitFor({ conn: n + 1, dir: 'recv', type: 'IS_MSL' });
  }
  assert.deepEqual([ctx.app.count('Upgrading'), ctx.app.count('Connection refused')], [1, 0]);
  assert.deepEqual(host.find({ subT: 'TINY_CLOSE' }).map((e) => e.conn), [1], 'switched version again');
  assert.equal(fs.readFileSync(autoexec, 'latin1'), lfs);
});

const RUNNING = 'Beaconix is already running in this folder.\n';

test('a second copy in the same folder, by whatever path, refuses; one in another folder connects; a killed copy frees the folder', { skip: SKIP, timeout: 240000 }, async (t) => {
  const ctx = await setup(t);
  const link = path.join(ctx.dir, 'link');
  fs.symlinkSync(ctx.dir, link);
  // Under Wine each copy starts from a folder given as Windows spells it: the folder
  // as it is, through the link, and as the root of a drive of its own.
  const drive = IS_WINE && ['y:', 'x:', 'w:', 'v:'].find((d) => !fs.existsSync(path.join(WINEPREFIX, 'dosdevices', d)));
  if (drive) {
    fs.symlinkSync(ctx.dir, path.join(WINEPREFIX, 'dosdevices', drive));
    t.after(() => fs.rmSync(path.join(WINEPREFIX, 'dosdevices', drive)));
  }
  const dos = (p) => `Z:${p.replaceAll('/', '\\')}`;
  const from = (dir) => (IS_WINE ? [BEACONIX_CMD[0], 'cmd', '/c', `cd /d ${dir} && ${dos(BEACONIX_CMD[1])}`] : BEACONIX_CMD);
  const start = (dir, argv) => {
    const app = new App(dir).start(argv);
    t.after(() => app.kill());
    return app;
  };
  ctx.startApp(from(dos(ctx.dir)));
  await startUpgraded(ctx);
  for (const [dir, argv] of [[ctx.dir, from(dos(ctx.dir))], [link, from(dos(link))], ...(drive ? [[ctx.dir, from(`${drive.toUpperCase()}\\`)]] : [])]) {
    const second = start(dir, argv);
    const said = await second.waitForText(/Beaconix is already running in this folder\.\n|Connecting/, { timeout: START_TIMEOUT });
    assert.equal(said.match[0], RUNNING, argv.at(-1));
    await sleep(300);
    assert.equal(second.exit, null, 'exited without waiting for Enter');
    second.proc.stdin.write('\n');
    assert.equal((await second.waitExit()).code, 0);
  }
  assert.equal(ctx.host.find({ event: 'connect' }).length, 2, 'a second copy connected');

  const other = await setup(t, { host: false });
  fs.writeFileSync(path.join(other.dir, 'data', 'script', 'autoexec.lfs'), `/insim ${ctx.port}\n`);
  const beside = start(other.dir);
  await beside.waitForText(T.accepted(9), { timeout: START_TIMEOUT });

  await ctx.app.kill();
  const after = start(ctx.dir);
  await after.waitForText(T.connecting(ctx.port), { timeout: START_TIMEOUT });
  assert.equal(after.count(RUNNING), 0);
});
