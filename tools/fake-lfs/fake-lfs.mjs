#!/usr/bin/env node
// Simulated Live for Speed InSim host: accepts InSim clients on loopback,
// answers them as LFS would, plays a scenario of timed packets and logs every
// packet both ways as JSON lines. See README.md.
import fs from 'node:fs';
import net from 'node:net';
import readline from 'node:readline';
import { parseArgs } from 'node:util';
import { decodeClientPacket, decodeHostPacket, encodeHostPacket, subTypeNumber, typeNumber } from './codec.mjs';

const USAGE = `usage: node fake-lfs.mjs [options]
  --port N            port on 127.0.0.1 (0 = ephemeral, default)
  --scenario FILE     JSON scenario (see README.md)
  --log FILE          JSON-lines log of every packet and connection event
  --echo              also print each log line on stdout after "listening <port>"
  --insim-version N   InSimVer in IS_VER (default 9)
  --lfs-version TEXT  Version in IS_VER (default 0.7F)
  --product TEXT      Product in IS_VER (default S3)
  --keepalive MS      send TINY_NONE every MS ms after IS_VER (default 0 = off)
  --no-ping-reply     do not answer TINY_PING
  --player NAME       answer TINY_NPL with an IS_NPL of this nickname (repeatable)
  --local-name NAME   PName in the IS_NCN of the local connection (default "Player")`;

const start = process.hrtime.bigint();
const now = () => Math.round(Number(process.hrtime.bigint() - start) / 1e5) / 10;

let opts;
try {
  opts = parseArgs({
    options: {
      port: { type: 'string' },
      scenario: { type: 'string' },
      log: { type: 'string' },
      echo: { type: 'boolean' },
      'insim-version': { type: 'string' },
      'lfs-version': { type: 'string' },
      product: { type: 'string' },
      keepalive: { type: 'string' },
      'no-ping-reply': { type: 'boolean' },
      player: { type: 'string', multiple: true },
      'local-name': { type: 'string' },
      help: { type: 'boolean' },
    },
  }).values;
} catch (e) {
  process.stderr.write(`${e.message}\n${USAGE}\n`);
  process.exit(2);
}
if (opts.help) {
  process.stdout.write(USAGE + '\n');
  process.exit(0);
}

let scenario = {};
if (opts.scenario) {
  try {
    scenario = JSON.parse(fs.readFileSync(opts.scenario, 'utf8'));
  } catch (e) {
    process.stderr.write(`cannot read scenario ${opts.scenario}: ${e.message}\n`);
    process.exit(2);
  }
}

// Settings: built-in defaults < scenario top level < command line.
const base = {
  insimVersion: 9,
  version: '0.7F',
  product: 'S3',
  keepalive: 0,
  pingReply: true,
  players: [],
  localName: 'Player',
  sta: {},
  keepOpen: false,
  ...pick(scenario, ['insimVersion', 'version', 'product', 'keepalive', 'pingReply', 'players', 'localName', 'sta', 'keepOpen']),
};
if (opts['insim-version'] !== undefined) base.insimVersion = Number(opts['insim-version']);
if (opts['lfs-version'] !== undefined) base.version = opts['lfs-version'];
if (opts.product !== undefined) base.product = opts.product;
if (opts.keepalive !== undefined) base.keepalive = Number(opts.keepalive);
if (opts['no-ping-reply']) base.pingReply = false;
if (opts.player) base.players = opts.player;
if (opts['local-name'] !== undefined) base.localName = opts['local-name'];

function pick(o, keys) {
  const r = {};
  for (const k of keys) if (o[k] !== undefined) r[k] = o[k];
  return r;
}

// ---- log ----
const logFd = opts.log ? fs.openSync(opts.log, 'w') : null;
let echo = false;
function log(entry) {
  const line = JSON.stringify({ t: now(), ...entry });
  if (logFd !== null) fs.writeSync(logFd, line + '\n');
  if (echo) process.stdout.write(line + '\n');
}

process.on('uncaughtException', (e) => {
  // A fault in the host must show in the log, not silently end the test peer.
  log({ event: 'error', message: `host fault: ${e.stack || e}` });
});

// ---- connections ----
const connections = new Map();
let nextConn = 1;
let shuttingDown = false;

function connPlan(n) {
  const list = Array.isArray(scenario.connections) ? scenario.connections : [];
  return list[n - 1] ?? scenario.default ?? {};
}

class Conn {
  constructor(socket, n) {
    this.socket = socket;
    this.n = n;
    this.plan = connPlan(n);
    this.cfg = { ...base, ...pick(this.plan, Object.keys(base)) };
    this.unit = null;
    this.buf = Buffer.alloc(0);
    this.timers = new Set();
    this.keepaliveTimer = null;
    this.afterSteps = [];
    this.verSent = false;
    this.isiSeen = false;
    this.open = true;
    socket.setNoDelay(true);
    log({ conn: n, event: 'connect', remote: `${socket.remoteAddress}:${socket.remotePort}` });
    socket.on('data', (d) => this.onData(d));
    socket.on('end', () => {
      log({ conn: n, event: 'end', detail: 'client closed its side (FIN)' });
      if (!this.cfg.keepOpen) socket.end();
    });
    socket.on('error', (e) => log({ conn: n, event: 'socket-error', code: e.code, message: e.message }));
    socket.on('close', (hadError) => {
      this.open = false;
      this.clearTimers();
      connections.delete(n);
      log({ conn: n, event: 'close', hadError });
      maybeExit();
    });
  }

  later(ms, fn) {
    const t = setTimeout(() => {
      this.timers.delete(t);
      if (this.open) fn();
    }, Math.max(0, ms));
    this.timers.add(t);
  }

  clearTimers() {
    for (const t of this.timers) clearTimeout(t);
    this.timers.clear();
    if (this.keepaliveTimer) clearInterval(this.keepaliveTimer);
    this.keepaliveTimer = null;
  }

  onData(d) {
    this.buf = this.buf.length ? Buffer.concat([this.buf, d]) : d;
    while (this.buf.length > 0 && this.open) {
      if (this.unit === null) {
        if (this.buf.length < 2) return;
        this.detectUnit();
      }
      const len = this.buf[0] * this.unit;
      if (len === 0) {
        this.error('packet with Size 0: the rest of the stream cannot be framed; dropped', this.buf);
        this.buf = Buffer.alloc(0);
        return;
      }
      if (len < 4) {
        this.error(`packet length ${len} is shorter than a header`, this.buf.subarray(0, len));
      }
      if (this.buf.length < len) return;
      const pkt = Buffer.from(this.buf.subarray(0, len));
      this.buf = this.buf.subarray(len);
      this.onPacket(pkt);
    }
  }

  detectUnit() {
    const [size, type] = this.buf;
    if (type === 1 && size === 44) this.unit = 1;
    else if (type === 1 && size === 11) this.unit = 4;
    else {
      this.unit = 1;
      this.error(`first packet is not an IS_ISI of Size 44 or 11 (Size ${size}, Type ${type}); using 1-byte units`,
        this.buf.subarray(0, 8));
    }
    log({ conn: this.n, event: 'unit', unit: this.unit, detail: this.unit === 4 ? 'InSim 9+ (Size in 4-byte units)' : 'InSim 8 (Size in bytes)' });
  }

  error(message, bytes) {
    log({ conn: this.n, event: 'error', message, ...(bytes ? { hex: Buffer.from(bytes).toString('hex') } : {}) });
  }

  onPacket(pkt) {
    let rec;
    try {
      rec = decodeClientPacket(pkt, this.unit);
    } catch (e) {
      this.error(`decode threw: ${e.message}`, pkt);
      return;
    }
    log({ conn: this.n, dir: 'recv', ...rec });
    for (const m of rec.errors ?? []) this.error(`${rec.type}: ${m}`, pkt);
    try {
      this.respond(rec);
      this.runAfterSteps(rec);
    } catch (e) {
      this.error(`handling ${rec.type} failed: ${e.message}`, pkt);
    }
  }

  respond(rec) {
    const f = rec.fields ?? {};
    if (rec.type === 'IS_ISI') return this.onIsi(rec, f);
    if (rec.type !== 'IS_TINY') return;
    switch (rec.subT) {
      case 'TINY_CLOSE':
        if (this.cfg.keepOpen) log({ conn: this.n, event: 'note', detail: 'TINY_CLOSE: connection kept open' });
        else this.close('TINY_CLOSE');
        break;
      case 'TINY_PING':
        if (this.cfg.pingReply) this.send({ type: 'IS_TINY', SubT: 'TINY_REPLY', ReqI: rec.ReqI });
        else log({ conn: this.n, event: 'note', detail: 'TINY_PING left unanswered' });
        break;
      case 'TINY_VER':
        this.sendVer(rec.ReqI);
        break;
      case 'TINY_SST':
        this.send({ type: 'IS_STA', NumConns: 1, ...this.cfg.sta, ReqI: rec.ReqI });
        break;
      case 'TINY_NCN':
        this.send({ type: 'IS_NCN', UCID: 0, Flags: 0, Total: 1, PName: this.cfg.localName, ReqI: rec.ReqI });
        break;
      case 'TINY_NPL':
        this.cfg.players.forEach((p, i) => {
          const fields = typeof p === 'string' ? { PName: p } : p;
          this.send({ type: 'IS_NPL', PLID: i + 1, UCID: 0, ...fields, ReqI: rec.ReqI });
        });
        break;
      default:
    }
  }

  onIsi(rec, f) {
    if (this.isiSeen) {
      this.error('IS_ISI received again on an open connection');
      return;
    }
    this.isiSeen = true;
    const ver = f.InSimVer;
    if (this.unit === 4 && ver < 9) this.error(`IS_ISI asks for InSimVer ${ver} but is sized in 4-byte units`);
    if (this.unit === 1 && ver >= 9) this.error(`IS_ISI asks for InSimVer ${ver} but is sized in bytes`);
    switch (this.plan.beforeVer) {
      case 'close':
        this.close('scenario: close before IS_VER');
        return;
      case 'reset':
        this.reset('scenario: reset before IS_VER');
        return;
      case 'silent':
        log({ conn: this.n, event: 'note', detail: 'scenario: IS_VER withheld' });
        return;
      default:
    }
    if (rec.ReqI !== 0) this.sendVer(rec.ReqI);
    else log({ conn: this.n, event: 'note', detail: 'IS_ISI with ReqI 0: no IS_VER, as LFS does' });
    this.startScenario();
  }

  sendVer(reqI) {
    this.send({ type: 'IS_VER', ReqI: reqI, Version: this.cfg.version, Product: this.cfg.product, InSimVer: this.cfg.insimVersion });
    this.verSent = true;
  }

  startScenario() {
    if (this.cfg.keepalive > 0) {
      this.keepaliveTimer = setInterval(() => {
        if (this.open) this.send({ type: 'IS_TINY', SubT: 'TINY_NONE', ReqI: 0 });
      }, this.cfg.keepalive);
    }
    for (const step of this.plan.steps ?? []) {
      if (step.after) this.afterSteps.push({ step, seen: 0 });
      else this.later(step.at ?? 0, () => this.runStep(step));
    }
  }

  runAfterSteps(rec) {
    for (const a of this.afterSteps) {
      if (a.done || !matches(rec, a.step.after)) continue;
      a.seen += 1;
      if (a.seen < (a.step.count ?? 1)) continue;
      a.done = true;
      this.later(a.step.delay ?? 0, () => this.runStep(a.step));
    }
  }

  runStep(step) {
    try {
      // A label in the log, e.g. the key a driver pressed at this moment.
      if (step.note !== undefined) log({ conn: this.n, event: 'note', key: String(step.note) });
      const sends = step.send === undefined ? [] : Array.isArray(step.send) ? step.send : [step.send];
      for (const s of sends) this.send(s);
      if (step.set) Object.assign(this.cfg, step.set);
      if (step.action) this.act(step.action);
    } catch (e) {
      this.error(`scenario step failed: ${e.message}`);
    }
  }

  act(action) {
    if (action === 'close') this.close('scenario');
    else if (action === 'reset') this.reset('scenario');
    else if (action === 'shutdown') shutdown('scenario');
    else this.error(`unknown action ${action}`);
  }

  send(desc) {
    if (!this.open || this.socket.destroyed) {
      this.error(`cannot send ${desc.type ?? 'raw bytes'}: connection is closed`);
      return;
    }
    const unit = this.unit ?? 1;
    const bytes = encodeHostPacket(desc, unit);
    const rec = desc.hex !== undefined ? { raw: true, ...decodeHostPacket(bytes, unit) } : decodeHostPacket(bytes, unit);
    log({ conn: this.n, dir: 'send', ...rec });
    this.socket.write(bytes);
  }

  close(reason) {
    if (!this.open) return;
    log({ conn: this.n, event: 'host-close', detail: reason });
    this.clearTimers();
    this.socket.end();
  }

  reset(reason) {
    if (!this.open) return;
    log({ conn: this.n, event: 'host-reset', detail: reason });
    this.clearTimers();
    this.socket.resetAndDestroy();
  }
}

function matches(rec, m) {
  for (const [k, want] of Object.entries(m)) {
    let have;
    if (k === 'type') {
      if (rec.type !== want && rec.typeNum !== want) return false;
      continue;
    }
    if (k === 'subT' || k === 'SubT') {
      const wantNum = typeof want === 'number' ? want : subTypeNumber(rec.typeNum, want);
      if (rec.subTNum !== wantNum) return false;
      continue;
    }
    if (k === 'ReqI') have = rec.ReqI;
    else have = rec.fields?.[k];
    if (have !== want) return false;
  }
  return true;
}

// Validates step descriptions up front so that a typo fails loudly at start.
function checkScenario() {
  const all = [...(scenario.connections ?? []), ...(scenario.default ? [scenario.default] : [])];
  for (const c of all) {
    for (const s of c.steps ?? []) {
      if (s.after?.type !== undefined) typeNumber(s.after.type);
      if (s.after?.subT !== undefined && s.after.type !== undefined) subTypeNumber(s.after.type, s.after.subT);
      for (const p of s.send === undefined ? [] : [].concat(s.send)) {
        if (p.hex === undefined) encodeHostPacket(p, 1);
      }
    }
  }
}
try {
  checkScenario();
} catch (e) {
  process.stderr.write(`bad scenario: ${e.message}\n`);
  process.exit(2);
}

// ---- server ----
// Half-open allowed, so that a connection can be kept open after the client's FIN (keepOpen).
const server = net.createServer({ allowHalfOpen: true }, (socket) => {
  if (shuttingDown) {
    socket.destroy();
    return;
  }
  const n = nextConn++;
  connections.set(n, new Conn(socket, n));
});
server.on('error', (e) => {
  log({ event: 'error', message: `server: ${e.message}` });
  process.stderr.write(`fake-lfs: ${e.message}\n`);
  process.exit(1);
});

function shutdown(reason) {
  if (shuttingDown) return;
  shuttingDown = true;
  log({ event: 'shutdown', detail: reason });
  server.close();
  for (const c of connections.values()) c.close('shutdown');
  // A client that never closes its side must not keep the host alive.
  setTimeout(() => {
    for (const c of connections.values()) c.socket.destroy();
    log({ event: 'exit', detail: 'clients still open after 2 s were destroyed' });
    process.exit(0);
  }, 2000).unref();
  maybeExit();
}

function maybeExit() {
  if (shuttingDown && connections.size === 0) {
    log({ event: 'exit' });
    process.exit(0);
  }
}

process.on('SIGTERM', () => shutdown('SIGTERM'));
process.on('SIGINT', () => shutdown('SIGINT'));

server.listen({ host: '127.0.0.1', port: Number(opts.port ?? 0) }, () => {
  const { port } = server.address();
  log({ event: 'listening', port, settings: base });
  process.stdout.write(`listening ${port}\n`);
  echo = Boolean(opts.echo);
});

// Control lines on stdin, one JSON step each: {"conn": N, "send": ..., "action": ..., "set": ...}.
// Without "conn" the newest open connection is meant.
const rl = readline.createInterface({ input: process.stdin });
rl.on('line', (line) => {
  if (!line.trim()) return;
  let cmd;
  try {
    cmd = JSON.parse(line);
  } catch (e) {
    log({ event: 'error', message: `control line is not JSON: ${e.message}`, line });
    return;
  }
  if (cmd.action === 'shutdown') {
    shutdown('control');
    return;
  }
  const n = cmd.conn ?? Math.max(0, ...connections.keys());
  const c = connections.get(n);
  if (!c) {
    log({ event: 'error', message: `control: no open connection ${n}`, line });
    return;
  }
  c.later(cmd.delay ?? 0, () => c.runStep(cmd));
});
rl.on('close', () => {});
