// End-to-end harness: the program under test (BEACONIX_CMD, a JSON argv) in a temporary
// LFS folder against the simulated host (tools/fake-lfs, see its README).
//   const ctx = await setup(t, { host: { scenario, args } });  // host: false = nothing listens
//   const conn = await startUpgraded(ctx);  // or ctx.startApp(), then app.waitForText(text, { from })
//   ctx.host.control({ conn, send: { type: 'IS_BTC', ClickID: 3 } });  // any step of fake-lfs's README
//   const btn = await ctx.host.waitFor({ conn, dir: 'recv', type: 'IS_BTN', ClickID: 3 }, { from });
// Host entries are fake-lfs log lines with an .index (`from: entry.index + 1` waits for a later
// one); a host's errors() fail the test when it ends. Matches compare top-level keys (type, subT,
// dir, conn, event, ReqI, UVal) and otherwise decoded fields; a RegExp matches text.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { performance } from 'node:perf_hooks';
import { fileURLToPath } from 'node:url';

export const ROOT = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
const FAKE_LFS = process.env.FAKE_LFS ?? path.join(ROOT, 'tools', 'fake-lfs', 'fake-lfs.mjs');
export const BEACONIX_CMD = process.env.BEACONIX_CMD ? JSON.parse(process.env.BEACONIX_CMD) : null;
export const IS_WINE = BEACONIX_CMD !== null && /^wine(64)?$/.test(path.basename(BEACONIX_CMD[0]));
export const SKIP = BEACONIX_CMD === null ? 'BEACONIX_CMD is not set' : false;
// Wine starts slowly and its timing is looser.
export const SLACK = IS_WINE ? 3 : 1;
export const START_TIMEOUT = IS_WINE ? 45000 : 10000;
export const WINEPREFIX = process.env.WINEPREFIX ?? path.join(ROOT, 'build', 'tmp', 'wineprefix');
// The program's version as CMake wrote it: CTest passes it, a run by hand reads the native build's header.
export const VERSION = process.env.BEACONIX_VERSION ?? (() => {
  try {
    return fs.readFileSync(path.join(ROOT, 'build', 'native', 'generated', 'beaconix_version.hpp'), 'latin1').match(/BEACONIX_VERSION "(.*)"/)[1];
  } catch { return 'unknown (no BEACONIX_VERSION, no build/native)'; }
})();
export const VERSION_RE = VERSION.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// `promise`, or `fallback` after `ms`.
function within(promise, ms, fallback = null) {
  let timer;
  return Promise.race([promise, new Promise((r) => (timer = setTimeout(() => r(fallback), ms)))]).finally(() => clearTimeout(timer));
}

// test()'s first truthy value, tried now and whenever `src` (a Host or App) changes.
function until(src, test, ms, what) {
  return new Promise((resolve, reject) => {
    const timer = setTimeout(() => finish(reject, new Error(`timed out after ${ms} ms waiting for ${what()}`)), ms);
    const finish = (f, v) => {
      clearTimeout(timer);
      src.waiters.delete(check);
      f(v);
    };
    const check = () => {
      const v = test();
      if (v) finish(resolve, v);
      else if (src.ended) finish(reject, new Error(`${src.ended} before ${what()}`));
    };
    src.waiters.add(check);
    check();
  });
}
const changed = (src) => [...src.waiters].forEach((w) => w());

function matchEntry(e, m) {
  if (typeof m === 'function') return m(e);
  return Object.entries(m).every(([k, want]) => {
    const have = k in e ? e[k] : e.fields?.[k];
    return want instanceof RegExp ? typeof have === 'string' && want.test(have) : have === want;
  });
}

export class Host {
  constructor(dir, name) {
    Object.assign(this, { dir, name, entries: [], waiters: new Set(), ended: null, stderr: '' });
  }

  async start({ port = 0, scenario, args = [] } = {}) {
    const argv = [FAKE_LFS, '--port', String(port), '--echo', ...args];
    if (scenario) {
      const f = path.join(this.dir, `${this.name}.scenario.json`);
      fs.writeFileSync(f, JSON.stringify(scenario, null, 2));
      argv.push('--scenario', f);
    }
    if (process.env.E2E_KEEP) argv.push('--log', path.join(this.dir, `${this.name}.jsonl`));
    this.proc = spawn(process.execPath, argv, { stdio: ['pipe', 'pipe', 'pipe'] });
    this.exited = new Promise((r) => this.proc.on('exit', (code, signal) => r((this.ended = `host exit ${code ?? signal}`))));
    this.exited.then(() => changed(this));
    this.proc.stderr.on('data', (d) => (this.stderr += d));
    let pending = '';
    this.proc.stdout.on('data', (d) => {
      const lines = (pending + d).split('\n');
      pending = lines.pop();
      for (const line of lines) {
        const m = /^listening (\d+)$/.exec(line);
        try {
          if (m) this.port = Number(m[1]);
          else this.entries.push({ ...JSON.parse(line), at: performance.now() });
        } catch {
          this.entries.push({ event: 'unparsed', line });
        }
      }
      changed(this);
    });
    await until(this, () => this.port, 10000, () => `fake-lfs to listen: ${this.stderr}`);
    return this;
  }

  // Waits for the first entry from index `from` on that matches.
  waitFor(m, { timeout = 10000, from = 0 } = {}) {
    let i = from;
    const test = () => {
      for (; i < this.entries.length; i++) if (matchEntry(this.entries[i], m)) return { ...this.entries[i], index: i };
      return null;
    };
    const what = () => `host entry ${typeof m === 'function' ? m : JSON.stringify(m)} from ${from}; last seen:\n${this.summary()}`;
    return until(this, test, timeout * SLACK, what);
  }

  find(m) {
    return this.entries.filter((e) => matchEntry(e, m));
  }

  // Packets from the program (or, with dir: 'send', to it).
  packets(m = {}) {
    return this.find({ dir: 'recv', ...m });
  }

  errors() {
    return this.find({ event: 'error' });
  }

  // A control step (fake-lfs README): { conn, send, action, set, delay }; without conn, the newest.
  control(step) {
    this.proc.stdin.write(JSON.stringify(step) + '\n');
  }

  summary(last = 30) {
    const show = (e) => `  ${e.t} c${e.conn ?? '-'} ${e.dir ?? e.event} ${e.subT ?? e.type ?? ''} ${e.ReqI ?? ''} ${e.message ?? e.detail ?? ''}`;
    return this.entries.slice(-last).map(show).join('\n');
  }

  async stop() {
    if (!this.proc || this.ended) return;
    this.proc.kill('SIGTERM');
    if (!(await within(this.exited, 4000))) this.proc.kill('SIGKILL');
  }
}

export class App {
  constructor(dir) {
    Object.assign(this, { dir, stdout: '', stderr: '', cr: '', chunks: [], waiters: new Set(), ended: null, exit: null });
  }

  start(argv = BEACONIX_CMD) {
    const env = { ...process.env, ...(IS_WINE && { WINEDEBUG: '-all', WINEPREFIX }) };
    // Own process group, so that Wine's helper processes go with it.
    this.proc = spawn(argv[0], argv.slice(1), { cwd: this.dir, env, stdio: 'pipe', detached: true });
    this.startedAt = performance.now();
    this.exited = new Promise((resolve) => {
      const end = (exit, why) => {
        this.exit = exit;
        this.ended = `program ${why}`;
        changed(this);
        resolve(exit);
      };
      this.proc.on('exit', (code, signal) => end({ code, signal }, `exit ${code ?? signal}`));
      this.proc.on('error', (e) => end({ code: null, error: e }, `spawn error ${e.message}`));
    });
    this.proc.stdin.on('error', () => {}); // writing after exit is not a test failure
    this.proc.stdout.setEncoding('latin1');
    this.proc.stdout.on('data', (d) => {
      // Wine's console ends lines with CRLF, which may come apart between chunks.
      const s = this.cr + d;
      this.cr = s.endsWith('\r') ? '\r' : '';
      this.chunks.push([this.stdout.length, performance.now()]);
      this.stdout += s.slice(0, s.length - this.cr.length).replace(/\r\n/g, '\n');
      changed(this);
    });
    this.proc.stderr.setEncoding('latin1');
    this.proc.stderr.on('data', (d) => (this.stderr += d));
    return this;
  }

  // Waits until stdout from offset `from` holds `text` (string or RegExp):
  // { index, end, match, at } where `at` is when its last character arrived.
  waitForText(text, { timeout = 10000, from = 0 } = {}) {
    const find = () => {
      const hay = this.stdout.slice(from);
      const m = typeof text === 'string' ? (hay.includes(text) ? { index: hay.indexOf(text), 0: text } : null) : new RegExp(text.source, text.flags.replace('g', '')).exec(hay);
      if (!m) return null;
      const end = from + m.index + m[0].length;
      return { index: from + m.index, end, match: m, at: this.chunks.findLast(([o]) => o < end)?.[1] ?? this.startedAt };
    };
    const what = () => `stdout ${JSON.stringify(String(text))} from ${from}; stdout:\n${this.stdout}\nstderr:\n${this.stderr}`;
    return until(this, find, timeout * SLACK, what).catch((e) => find() ?? Promise.reject(e));
  }

  count(text, from = 0) {
    return this.stdout.slice(from).split(text).length - 1;
  }

  async waitExit(timeout = 10000) {
    const r = await within(this.exited, timeout * SLACK);
    if (!r) throw new Error(`program did not exit within ${timeout * SLACK} ms; stdout:\n${this.stdout}`);
    return r;
  }

  async kill() {
    if (!this.proc || this.exit) return;
    try {
      process.kill(-this.proc.pid, 'SIGKILL');
    } catch {
      this.proc.kill('SIGKILL');
    }
    await within(this.exited, 3000);
  }
}

// A free port (bound once and released), for a program that must find nothing.
function freePort() {
  return new Promise((resolve) => {
    const s = net.createServer().listen({ host: '127.0.0.1', port: 0 }, () => {
      const { port } = s.address();
      s.close(() => resolve(port));
    });
  });
}

// One test's world: a temp LFS folder whose autoexec.lfs names the host's port, the
// host(s) and the program; all torn down after the test (E2E_KEEP=1 keeps the folder).
export async function setup(t, { host = {} } = {}) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'bnx-e2e-'));
  const ctx = { dir, hosts: [], app: null };
  ctx.startHost = async (opts = {}) => {
    const h = new Host(dir, `host${ctx.hosts.length + 1}`);
    ctx.hosts.push(h);
    return h.start(opts);
  };
  ctx.startApp = (argv) => (ctx.app = new App(dir).start(argv));
  t.after(async () => {
    await ctx.app?.kill();
    for (const h of ctx.hosts) await h.stop();
    if (process.env.E2E_KEEP && ctx.app) fs.writeFileSync(path.join(dir, 'program.out'), `${ctx.app.stdout}\n--- stderr ---\n${ctx.app.stderr}`);
    if (process.env.E2E_KEEP) t.diagnostic(`kept ${dir}`);
    else fs.rmSync(dir, { recursive: true, force: true });
    // Whatever a host found wrong in what the program sent fails the test.
    for (const h of ctx.hosts) assert.deepEqual(h.errors(), [], `${h.name} logged errors`);
  });
  if (host) ctx.host = await ctx.startHost(host);
  ctx.port = ctx.host?.port ?? (await freePort());
  fs.mkdirSync(path.join(dir, 'data', 'script'), { recursive: true });
  fs.writeFileSync(path.join(dir, 'data', 'script', 'autoexec.lfs'), `/insim ${ctx.port}\n`);
  return ctx;
}

// Texts the program prints.
export const T = {
  connecting: (port) => `Connecting to LFS on port ${port}...\n`,
  refused: 'Connection refused\n',
  refusedRetry: 'Connection refused (will continue trying)\n',
  // Said once when the first start finds nothing listening, autoexec.lfs naming the port.
  waiting: (port) => `LFS is not listening on port ${port}. Start LFS, or if it is running, type\n/insim ${port} in LFS (needed once: `
    + 'LFS reads autoexec.lfs only when it\nstarts). Beaconix keeps trying and connects by itself as soon as LFS\nlistens. Ctrl+C quits.\n',
  closed: 'LFS Connection Closed.\n',
  closedEarly: 'LFS Connection Closed. Please check LFS for error messages.\n',
  reset: 'Connection forcibly closed by LFS.\n',
  upgrading: (ver, v = '0.7F', p = 'S3') => `LFS Host Version: ${v} ${p}, InSim Supported Version: ${ver}. Upgrading to v9\n`,
  accepted: (ver, compat, v = '0.7F', p = 'S3') => `LFS Host Version: ${v} ${p}, InSim Version: ${ver}${compat ? ` (Compat v${compat})` : ''}\n`,
  noPingReply: 'LFS did not respond to Ping request\n',
  greeting: '^1[RZ]^7 Lights^9: to configure, type: /o bnx cfg',
};

// Starts the program against a version-9 host; resolves, once the connection after
// the upgrade has been greeted (IS_MSL), to that connection's number.
export async function startUpgraded(ctx, { timeout = START_TIMEOUT } = {}) {
  await (ctx.app ?? ctx.startApp()).waitForText(T.accepted(9), { timeout: timeout / SLACK });
  const isi = await ctx.host.waitFor({ dir: 'recv', type: 'IS_ISI', sizeByte: 11 });
  await ctx.host.waitFor({ conn: isi.conn, dir: 'recv', type: 'IS_MSL' }, { from: isi.index });
  return isi.conn;
}
