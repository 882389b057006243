// End-to-end harness: runs the program under test (BEACONIX_CMD, a JSON argv)
// in a temporary LFS folder against the simulated host in tools/fake-lfs.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { performance } from 'node:perf_hooks';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
export const ROOT = path.resolve(here, '..', '..');
export const FAKE_LFS = process.env.FAKE_LFS ?? path.join(ROOT, 'tools', 'fake-lfs', 'fake-lfs.mjs');

function parseCmd() {
  const raw = process.env.BEACONIX_CMD;
  if (!raw) return null;
  const v = JSON.parse(raw);
  if (!Array.isArray(v) || v.length === 0 || !v.every((s) => typeof s === 'string')) {
    throw new Error(`BEACONIX_CMD must be a JSON array of strings, got ${raw}`);
  }
  return v;
}
export const BEACONIX_CMD = parseCmd();
export const IS_WINE = BEACONIX_CMD !== null && /^wine(64)?$/.test(path.basename(BEACONIX_CMD[0]));
// Why a test is skipped when there is nothing to test.
export const SKIP = BEACONIX_CMD === null ? 'BEACONIX_CMD is not set' : false;

// Wine starts slowly and its timing is looser.
export const SLACK = IS_WINE ? 3 : 1;
export const START_TIMEOUT = IS_WINE ? 45000 : 10000;
export const WINEPREFIX = process.env.WINEPREFIX ?? path.join(ROOT, 'build', 'tmp', 'wineprefix');

export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Resolves to the promise's value, or to `fallback` after `ms` without keeping
// the process alive for the timer.
function within(promise, ms, fallback = null) {
  let timer;
  const t = new Promise((r) => {
    timer = setTimeout(() => r(fallback), ms);
  });
  return Promise.race([promise, t]).finally(() => clearTimeout(timer));
}

// A port on which nothing listens (bound once and released).
export function freePort() {
  return new Promise((resolve, reject) => {
    const s = net.createServer();
    s.on('error', reject);
    s.listen({ host: '127.0.0.1', port: 0 }, () => {
      const { port } = s.address();
      s.close(() => resolve(port));
    });
  });
}

// Waiters on a growing list of items; each wait looks at items from `from` on.
class Feed {
  constructor(name) {
    this.name = name;
    this.items = [];
    this.waiters = new Set();
    this.ended = null;
  }

  push(item) {
    this.items.push(item);
    for (const w of [...this.waiters]) w.check();
  }

  end(reason) {
    this.ended = reason;
    for (const w of [...this.waiters]) w.check();
  }

  wait(pred, { timeout, from = 0, describe }) {
    return new Promise((resolve, reject) => {
      const w = {
        check: () => {
          for (let i = from; i < this.items.length; i++) {
            if (pred(this.items[i])) {
              done();
              resolve({ item: this.items[i], index: i });
              return;
            }
          }
          if (this.ended !== null) {
            done();
            reject(new Error(`${this.name} ended (${this.ended}) before ${describe()}`));
          }
        },
      };
      const timer = setTimeout(() => {
        done();
        reject(new Error(`timed out after ${timeout} ms waiting for ${describe()}`));
      }, timeout);
      const done = () => {
        clearTimeout(timer);
        this.waiters.delete(w);
      };
      this.waiters.add(w);
      w.check();
    });
  }
}

// True when `entry` has every key of `m` (type, subT, dir, conn, event, ReqI at
// the top; any other key is looked up in entry.fields).
export function matchEntry(entry, m) {
  if (typeof m === 'function') return m(entry);
  for (const [k, want] of Object.entries(m)) {
    const have = k in entry ? entry[k] : entry.fields?.[k];
    if (want instanceof RegExp) {
      if (typeof have !== 'string' || !want.test(have)) return false;
    } else if (have !== want) return false;
  }
  return true;
}

export class Host {
  constructor(dir, name) {
    this.dir = dir;
    this.name = name;
    this.logFile = path.join(dir, `${name}.jsonl`);
    this.feed = new Feed(`host ${name}`);
    this.stderr = '';
    this.exit = null;
  }

  // options: { port, scenario (object), args (extra CLI args) }
  async start({ port = 0, scenario, args = [] } = {}) {
    const argv = [FAKE_LFS, '--port', String(port), '--log', this.logFile, '--echo', ...args];
    if (scenario) {
      const f = path.join(this.dir, `${this.name}.scenario.json`);
      fs.writeFileSync(f, JSON.stringify(scenario, null, 2));
      argv.push('--scenario', f);
    }
    this.proc = spawn(process.execPath, argv, { stdio: ['pipe', 'pipe', 'pipe'] });
    this.exited = new Promise((resolve) => {
      this.proc.on('exit', (code, signal) => {
        this.exit = { code, signal };
        this.feed.end(`exit ${code ?? signal}`);
        resolve(this.exit);
      });
    });
    this.proc.stderr.on('data', (d) => {
      this.stderr += d;
    });
    let pending = '';
    let listening;
    const ready = new Promise((resolve) => {
      listening = resolve;
    });
    this.proc.stdout.on('data', (d) => {
      pending += d;
      let nl;
      while ((nl = pending.indexOf('\n')) >= 0) {
        const line = pending.slice(0, nl);
        pending = pending.slice(nl + 1);
        const m = /^listening (\d+)$/.exec(line);
        if (m) {
          this.port = Number(m[1]);
          listening();
          continue;
        }
        try {
          this.feed.push({ ...JSON.parse(line), at: performance.now() });
        } catch {
          this.feed.push({ event: 'unparsed', line, at: performance.now() });
        }
      }
    });
    const r = await within(Promise.race([ready.then(() => 'ok'), this.exited.then(() => 'exit')]), 10000, 'timeout');
    if (r !== 'ok') throw new Error(`fake-lfs did not start (${r}): ${this.stderr}`);
    return this;
  }

  get entries() {
    return this.feed.items;
  }

  // Entries matching `m` (see matchEntry).
  find(m) {
    return this.entries.filter((e) => matchEntry(e, m));
  }

  packets(m = {}) {
    return this.find({ ...m, dir: m.dir ?? 'recv' }).filter((e) => e.type !== undefined);
  }

  // Waits for the next entry (from index `from`) matching `m`; returns it with .index set.
  async waitFor(m, { timeout = 10000, from = 0 } = {}) {
    const { item, index } = await this.feed.wait((e) => matchEntry(e, m), {
      timeout: timeout * SLACK,
      from,
      describe: () => `host entry ${describe(m)}; host saw:\n${this.summary()}`,
    });
    return { ...item, index };
  }

  // Sends a control step (see tools/fake-lfs/README.md) to the host.
  control(cmd) {
    this.proc.stdin.write(JSON.stringify(cmd) + '\n');
  }

  // The log file, parsed.
  readLog() {
    if (!fs.existsSync(this.logFile)) return [];
    return fs.readFileSync(this.logFile, 'utf8').split('\n').filter(Boolean).map((l) => JSON.parse(l));
  }

  errors() {
    return this.find({ event: 'error' });
  }

  summary(last = 40) {
    return this.entries
      .slice(-last)
      .map((e) => `  ${e.t} c${e.conn ?? '-'} ${e.dir ?? e.event} ${e.type ?? ''} ${e.subT ?? ''} ${e.ReqI ?? ''} ${e.message ?? e.detail ?? ''}`)
      .join('\n');
  }

  async stop() {
    if (!this.proc || this.exit) return;
    this.proc.kill('SIGTERM');
    const r = await within(this.exited, 4000);
    if (!r) {
      this.proc.kill('SIGKILL');
      await this.exited;
    }
  }
}

function describe(m) {
  if (typeof m === 'function') return m.toString();
  return JSON.stringify(m, (k, v) => (v instanceof RegExp ? v.toString() : v));
}

export class App {
  constructor(dir) {
    this.dir = dir;
    this.out = new Feed('program stdout');
    this.stdoutText = '';
    this.stderrText = '';
    this.chunks = []; // { at, offset } for every stdout chunk: when text arrived
    this.exit = null;
  }

  start() {
    if (!BEACONIX_CMD) throw new Error('BEACONIX_CMD is not set');
    const env = { ...process.env };
    if (IS_WINE) {
      env.WINEDEBUG = '-all';
      env.WINEPREFIX = WINEPREFIX;
    }
    const [cmd, ...args] = BEACONIX_CMD;
    // Own process group, so that Wine's helper processes go with it.
    this.proc = spawn(cmd, args, { cwd: this.dir, env, stdio: ['pipe', 'pipe', 'pipe'], detached: true });
    this.startedAt = performance.now();
    this.exited = new Promise((resolve) => {
      this.proc.on('exit', (code, signal) => {
        this.exit = { code, signal };
        this.out.end(`exit ${code ?? signal}`);
        resolve(this.exit);
      });
      this.proc.on('error', (e) => {
        this.exit = { code: null, signal: null, error: e };
        this.out.end(`spawn error ${e.message}`);
        resolve(this.exit);
      });
    });
    this.proc.stdin.on('error', () => {}); // writing after exit is not a test failure
    let cr = false;
    this.proc.stdout.setEncoding('latin1');
    this.proc.stdout.on('data', (d) => {
      // Console output under Wine ends lines with CRLF.
      let s = d;
      if (cr) s = '\r' + s;
      cr = s.endsWith('\r');
      if (cr) s = s.slice(0, -1);
      s = s.replace(/\r\n/g, '\n');
      if (!s) return;
      this.chunks.push({ at: performance.now(), offset: this.stdoutText.length });
      this.stdoutText += s;
      this.out.push(s);
    });
    this.proc.stderr.setEncoding('latin1');
    this.proc.stderr.on('data', (d) => {
      this.stderrText += d.replace(/\r\n/g, '\n');
    });
    return this;
  }

  get stdout() {
    return this.stdoutText;
  }

  get stderr() {
    return this.stderrText;
  }

  // Waits until stdout (from character offset `from`) contains `text` (string or
  // RegExp). Returns { index, end, at }: where the match lies and when it arrived.
  async waitForText(text, { timeout = 10000, from = 0 } = {}) {
    const find = () => {
      const hay = this.stdoutText.slice(from);
      if (typeof text === 'string') {
        const i = hay.indexOf(text);
        return i < 0 ? null : { index: from + i, end: from + i + text.length };
      }
      const re = new RegExp(text.source, text.flags.replace('g', ''));
      const m = re.exec(hay);
      return m ? { index: from + m.index, end: from + m.index + m[0].length, match: m } : null;
    };
    await this.out.wait(() => find() !== null, {
      timeout: timeout * SLACK,
      from: Math.max(0, this.out.items.length - 1),
      describe: () => `stdout text ${JSON.stringify(String(text))} (from ${from}); stdout so far:\n${this.stdoutText}\nstderr:\n${this.stderrText}`,
    }).catch((e) => {
      if (find()) return;
      throw e;
    });
    const r = find();
    return { ...r, at: this.arrivalOf(r.end - 1) };
  }

  // When the character at `offset` of stdout arrived.
  arrivalOf(offset) {
    let at = this.startedAt;
    for (const c of this.chunks) {
      if (c.offset > offset) break;
      at = c.at;
    }
    return at;
  }

  count(text, from = 0) {
    let n = 0;
    let i = from;
    while ((i = this.stdoutText.indexOf(text, i)) >= 0) {
      n++;
      i += text.length;
    }
    return n;
  }

  write(s) {
    this.proc.stdin.write(s);
  }

  closeStdin() {
    this.proc.stdin.end();
  }

  async waitExit(timeout = 10000) {
    const r = await within(this.exited, timeout * SLACK);
    if (!r) throw new Error(`program did not exit within ${timeout * SLACK} ms; stdout:\n${this.stdoutText}`);
    return r;
  }

  async kill() {
    if (!this.proc || this.exit) return;
    try {
      process.kill(-this.proc.pid, 'SIGKILL');
    } catch {
      try {
        this.proc.kill('SIGKILL');
      } catch {
        /* already gone */
      }
    }
    await within(this.exited, 3000);
  }
}

// One test's world: a temp LFS folder with autoexec.lfs naming the port, the
// host(s) and the program. Everything is torn down after the test.
export async function setup(t, { host = {}, port } = {}) {
  const base = process.env.E2E_TMP ?? os.tmpdir();
  fs.mkdirSync(base, { recursive: true });
  const dir = fs.mkdtempSync(path.join(base, 'bnx-e2e-'));
  const ctx = { dir, hosts: [], app: null };

  ctx.startHost = async (opts = {}) => {
    const h = new Host(dir, `host${ctx.hosts.length + 1}`);
    ctx.hosts.push(h);
    await h.start(opts);
    return h;
  };

  ctx.writeAutoexec = (p) => {
    fs.mkdirSync(path.join(dir, 'data', 'script'), { recursive: true });
    fs.writeFileSync(path.join(dir, 'data', 'script', 'autoexec.lfs'), `/insim ${p}\n`);
  };

  ctx.startApp = () => {
    ctx.app = new App(dir).start();
    return ctx.app;
  };

  t.after(async () => {
    if (ctx.app) await ctx.app.kill();
    for (const h of ctx.hosts) await h.stop();
    if (process.env.E2E_KEEP) {
      if (ctx.app) fs.writeFileSync(path.join(dir, 'program.out'), `${ctx.app.stdout}\n--- stderr ---\n${ctx.app.stderr}`);
      t.diagnostic(`kept ${dir}`);
    } else {
      fs.rmSync(dir, { recursive: true, force: true });
    }
  });

  if (host) {
    ctx.host = await ctx.startHost(host);
    ctx.port = ctx.host.port;
  } else {
    ctx.port = port ?? (await freePort());
  }
  ctx.writeAutoexec(ctx.port);
  return ctx;
}

// Gap in ms between two host entries by the host's own clock.
export const gap = (a, b) => b.t - a.t;

// Texts the program prints.
export const T = {
  connecting: (port) => `Connecting to LFS on port ${port}...\n`,
  refused: 'Connection refused\n',
  refusedRetry: 'Connection refused (will continue trying)\n',
  failed: 'Failed to connect to LFS.\n  Is LFS running?\n  Is Beaconix in the LFS folder?\n',
  closed: 'LFS Connection Closed.\n',
  closedEarly: 'LFS Connection Closed. Please check LFS for error messages.\n',
  reset: 'Connection forcibly closed by LFS.\n',
  upgrading: (ver, v = '0.7F', p = 'S3') => `LFS Host Version: ${v} ${p}, InSim Supported Version: ${ver}. Upgrading to v9\n`,
  accepted: (ver, compat, v = '0.7F', p = 'S3') =>
    `LFS Host Version: ${v} ${p}, InSim Version: ${ver}${compat ? ` (Compat v${compat})` : ''}\n`,
  noPingReply: 'LFS did not respond to Ping request\n',
  greeting: '^1[RZ]^7 Lights^9: to configure, type: /o bnx cfg',
};

// Starts the program against a version-9 host and waits until the second
// connection (after the upgrade) has been greeted. Returns that connection's number.
export async function startUpgraded(ctx, { timeout = START_TIMEOUT } = {}) {
  const app = ctx.app ?? ctx.startApp();
  await app.waitForText(T.accepted(9), { timeout: timeout / SLACK });
  const isi = await ctx.host.waitFor({ dir: 'recv', type: 'IS_ISI', sizeByte: 11 });
  await ctx.host.waitFor({ conn: isi.conn, dir: 'recv', type: 'IS_MSL' });
  return isi.conn;
}
