// First starts before LFS listens, and the version-9 upgrade at start; LFS ending a connection.
// One copy per LFS folder: a second copy in the same folder, also by a symbolic link
// or (under Wine) another drive letter, says so and does not connect; one in another
// folder runs beside it; a killed copy leaves no lock.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { App, BEACONIX_CMD, IS_WINE, ROOT, SKIP, SLACK, START_TIMEOUT, T, VERSION_RE, WINEPREFIX, setup, sleep, startUpgraded } from './harness.mjs';

const opts = { skip: SKIP, timeout: 120000 };
const HELP = 'Type "/o bnx config" ingame to view or customise controls & settings.\nFor full instructions, see the readme or the website.\n\n';

// The console of a first start, from "Loading Config" on, as docs/player-guide.txt quotes it.
const GUIDE = fs.readFileSync(path.join(ROOT, 'docs', 'player-guide.txt'), 'latin1');
const quoted = (text) => text.split('\n').map((l) => (l ? `    ${l}` : l)).join('\n');
const NO_FOLDER = 'There is no data\\script\\autoexec.lfs here: start Beaconix from the LFS folder\n(the one with LFS.exe), where it '
  + "finds LFS's InSim port and admin password.\nBeaconix keeps trying port 29999 and connects by itself as soon as LFS\nlistens. Ctrl+C quits.\n";

// Three first starts, side by side, none with LFS listening: a fresh LFS folder (autoexec.lfs gains its
// /insim line; the guide's transcript), one whose autoexec.lfs names the port the host then opens, and
// one outside any LFS folder. Nothing waits for Enter: each says once what to do and keeps trying.
test('first start before LFS listens: what to do, said once; connects by itself once LFS listens; outside the LFS folder too; Ctrl+C while waiting', opts, async (t) => {
  const [fresh, later, away] = await Promise.all([0, 1, 2].map(() => setup(t, { host: false })));
  fs.writeFileSync(path.join(fresh.dir, 'data', 'script', 'autoexec.lfs'), '/echo hi\r\n');
  fs.writeFileSync(path.join(later.dir, 'Beaconix.cfg'), 'v:1\nm:2\nk:lights:34\n');
  fs.rmSync(path.join(away.dir, 'data'), { recursive: true });
  const apps = [fresh, later, away].map((ctx) => ctx.startApp());
  const [first, second, third] = await Promise.all([
    apps[0].waitForText(/Ctrl\+C quits\.\n/, { timeout: START_TIMEOUT }),
    apps[1].waitForText(T.waiting(later.port), { timeout: START_TIMEOUT }),
    apps[2].waitForText(NO_FOLDER, { timeout: START_TIMEOUT }),
  ]);
  const lines = (app, upTo) => app.stdout.slice(app.stdout.indexOf('\nLoading') + 1, upTo).replace(/Timer test: 10ms took [0-9.e+-]+ms\.\n/, '');
  assert.match(apps[0].stdout, new RegExp(`^[^\n]*\n\n {3}Beaconix v${VERSION_RE}[^\n]*\n`));
  assert.ok(GUIDE.includes(quoted(lines(apps[0], first.end))), `the guide quotes otherwise:\n${lines(apps[0], first.end)}`);
  assert.equal(lines(apps[1], second.end), 'Loading Config... \n' + HELP + T.connecting(later.port) + T.refused + T.waiting(later.port));
  assert.equal(apps[2].stdout.slice(apps[2].stdout.indexOf(T.connecting(29999)), third.end), T.connecting(29999) + T.refused + NO_FOLDER);
  assert.equal(fs.readFileSync(path.join(fresh.dir, 'data', 'script', 'autoexec.lfs'), 'latin1'), '/echo hi\r\n\r\n/insim 29999\r\n');

  await later.startHost({ port: later.port });
  const connected = await apps[1].waitForText(T.accepted(9), { from: second.end, timeout: 20000 });
  assert.equal(apps[1].stdout.slice(second.end, connected.end), T.upgrading(9) + T.closed + T.connecting(later.port) + T.accepted(9));
  apps[0].proc.kill('SIGINT');
  assert.equal((await apps[0].waitExit(5000)).code, 0);
  assert.ok(apps[0].stdout.endsWith('Beaconix stopped.\n'), apps[0].stdout);
  for (const app of apps) assert.deepEqual([app.count('Connection refused'), app.count('Ctrl+C quits'), app.stderr], [1, 1, ''], app.stdout);
  assert.deepEqual([apps[0].count('Connecting'), apps[2].count('Connecting'), apps[2].exit], [1, 1, null], 'tried again in silence');
});

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

const RUNNING = 'Beaconix is already running in this folder.\nPress Enter to close.\n';

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
    const said = await second.waitForText(/Beaconix is already running in this folder\.\nPress Enter to close\.\n|Connecting/, { timeout: START_TIMEOUT });
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
