// The simulated host against InSim clients made of node-insim's own packets.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { InSim } from 'node-insim';
import * as P from 'node-insim/packets';

const HOST = path.join(path.dirname(fileURLToPath(import.meta.url)), '..', 'fake-lfs.mjs');

async function startHost(t, { args = [], scenario } = {}) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'fake-lfs-test-'));
  const log = path.join(dir, 'log.jsonl');
  const argv = [HOST, '--log', log, ...args];
  if (scenario) {
    fs.writeFileSync(path.join(dir, 's.json'), JSON.stringify(scenario));
    argv.push('--scenario', path.join(dir, 's.json'));
  }
  const proc = spawn(process.execPath, argv, { stdio: ['pipe', 'pipe', 'inherit'] });
  const exited = new Promise((r) => proc.on('exit', (code) => r(code)));
  t.after(async () => {
    proc.kill('SIGKILL');
    await exited;
    fs.rmSync(dir, { recursive: true, force: true });
  });
  const port = await new Promise((resolve, reject) => {
    let buf = '';
    proc.stdout.on('data', (d) => {
      buf += d;
      const m = /^listening (\d+)\n/.exec(buf);
      if (m) resolve(Number(m[1]));
    });
    exited.then(() => reject(new Error('host exited')));
  });
  const entries = () => fs.readFileSync(log, 'utf8').split('\n').filter(Boolean).map((l) => JSON.parse(l));
  return { port, proc, exited, entries, control: (c) => proc.stdin.write(JSON.stringify(c) + '\n') };
}

// A client speaking raw bytes; packets are packed and unpacked with node-insim.
class RawClient {
  constructor(port, unit) {
    this.unit = unit;
    this.buf = Buffer.alloc(0);
    this.packets = [];
    this.waiters = [];
    this.sock = net.connect({ host: '127.0.0.1', port });
    this.closed = new Promise((r) => this.sock.on('close', r));
    this.error = null;
    this.sock.on('error', (e) => {
      this.error = e;
    });
    this.sock.on('data', (d) => {
      this.buf = Buffer.concat([this.buf, d]);
      while (this.buf.length && this.buf.length >= this.buf[0] * unit) {
        const n = this.buf[0] * unit;
        const bytes = new Uint8Array(this.buf.subarray(0, n));
        this.buf = this.buf.subarray(n);
        const pkt = new P.packetTypeToClass[bytes[1]]();
        pkt.SIZE_MULTIPLIER = unit;
        pkt.unpack(bytes);
        this.packets.push(pkt);
        this.waiters = this.waiters.filter((w) => !w());
      }
    });
  }

  send(pkt) {
    pkt.SIZE_MULTIPLIER = this.unit;
    this.sock.write(pkt.pack());
  }

  raw(hex) {
    this.sock.write(Buffer.from(hex, 'hex'));
  }

  next(pred, ms = 3000) {
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => reject(new Error('timed out waiting for a packet')), ms);
      const w = () => {
        const p = this.packets.find(pred);
        if (!p) return false;
        this.packets.splice(this.packets.indexOf(p), 1);
        clearTimeout(timer);
        resolve(p);
        return true;
      };
      if (!w()) this.waiters.push(w);
    });
  }
}

const isi = (ver, reqI = 1) => new P.IS_ISI({ ReqI: reqI, Flags: 4, InSimVer: ver, Prefix: '!', IName: 'test' });
const tiny = (SubT, ReqI = 1) => new P.IS_TINY({ SubT, ReqI });
const sizeByte = (e) => e.sizeByte;

test('node-insim client (InSim 10): version, state, connection, players, ping, close', async (t) => {
  const h = await startHost(t, { args: ['--player', '^4Cop', '--insim-version', '9'] });
  const c = new InSim();
  const got = [];
  const done = new Promise((resolve) => c.on('disconnect', resolve));
  c.on(P.PacketType.ISP_VER, (p) => {
    got.push(['VER', p.ReqI, p.Version, p.Product, p.InSimVer]);
    for (const s of [P.TinyType.TINY_SST, P.TinyType.TINY_NCN, P.TinyType.TINY_NPL]) c.send(tiny(s));
    c.send(tiny(P.TinyType.TINY_PING, 9));
  });
  c.on(P.PacketType.ISP_STA, (p) => got.push(['STA', p.ReqI]));
  c.on(P.PacketType.ISP_NCN, (p) => got.push(['NCN', p.ReqI, p.UCID, p.Flags]));
  c.on(P.PacketType.ISP_NPL, (p) => got.push(['NPL', p.ReqI, p.PName]));
  c.on(P.PacketType.ISP_TINY, (p) => {
    got.push(['TINY', p.SubT, p.ReqI]);
    if (p.SubT === P.TinyType.TINY_REPLY) c.send(new P.IS_TINY({ SubT: P.TinyType.TINY_CLOSE }));
  });
  c.connect({ Host: '127.0.0.1', Port: h.port, IName: 'test', ReqI: 7, Flags: 4 });
  await done;
  assert.deepEqual(got, [
    ['VER', 7, '0.7F', 'S3', 9],
    ['STA', 1],
    ['NCN', 1, 0, 0],
    ['NPL', 1, '^4Cop'],
    ['TINY', P.TinyType.TINY_REPLY, 9],
  ]);
  const log = h.entries();
  const ping = log.find((e) => e.subT === 'TINY_PING');
  assert.deepEqual([ping.conn, ping.dir, ping.type, ping.ReqI, ping.hex], [1, 'recv', 'IS_TINY', 9, '01030903']);
  assert.ok(log.some((e) => e.event === 'unit' && e.unit === 4));
  assert.ok(log.some((e) => e.event === 'host-close' && e.detail === 'TINY_CLOSE'));
  assert.ok(log.every((e) => e.event !== 'error'), JSON.stringify(log.filter((e) => e.event === 'error')));
});

test('InSim 8 client: everything sized in bytes; scenario steps by time and by received packet', async (t) => {
  const scenario = {
    keepalive: 100,
    connections: [{
      steps: [
        { at: 50, send: { type: 'IS_MSO', Msg: '/o bnx cfg' } },
        { after: { type: 'IS_TINY', subT: 'TINY_NCN' }, send: [{ type: 'IS_BTC', ReqI: 3, ClickID: 7 }, { type: 'IS_BFN' }] },
        { after: { type: 'IS_TINY', subT: 'TINY_SST' }, count: 2, send: { hex: '04030004' } },
      ],
    }],
  };
  const h = await startHost(t, { scenario, args: ['--insim-version', '8'] });
  const c = new RawClient(h.port, 1);
  c.send(isi(8));
  const ver = await c.next((p) => p.Type === P.PacketType.ISP_VER);
  assert.equal(ver.Size, 20);
  assert.equal(ver.InSimVer, 8);
  const mso = await c.next((p) => p.Type === P.PacketType.ISP_MSO);
  assert.equal(mso.Msg, '/o bnx cfg');
  assert.equal(mso.UserType, P.UserType.MSO_O);
  assert.equal(mso.Size, 20);
  const ka = await c.next((p) => p.Type === P.PacketType.ISP_TINY && p.SubT === P.TinyType.TINY_NONE);
  assert.equal(ka.Size, 4);
  c.send(tiny(P.TinyType.TINY_NCN));
  const btc = await c.next((p) => p.Type === P.PacketType.ISP_BTC);
  assert.deepEqual([btc.Size, btc.ReqI, btc.ClickID], [8, 3, 7]);
  const bfn = await c.next((p) => p.Type === P.PacketType.ISP_BFN);
  assert.equal(bfn.SubT, P.ButtonFunction.BFN_USER_CLEAR);
  c.send(tiny(P.TinyType.TINY_SST));
  await c.next((p) => p.Type === P.PacketType.ISP_STA);
  c.send(tiny(P.TinyType.TINY_SST));
  await c.next((p) => p.Type === P.PacketType.ISP_STA);
  const raw = await c.next((p) => p.Type === P.PacketType.ISP_TINY && p.SubT === P.TinyType.TINY_REPLY);
  assert.equal(raw.ReqI, 0);
  // What a client sends is decoded with names and sizes.
  c.send(new P.IS_SMALL({ SubT: P.SmallType.SMALL_LCL, UVal: P.LocalCarLights.LIGHTS_HIGH }));
  c.send(new P.IS_BTN({ ReqI: 2, ClickID: 5, BStyle: 32, L: 1, T: 2, W: 3, H: 4, Text: '^1Hi' }));
  c.sock.end();
  await c.closed;
  await new Promise((r) => setTimeout(r, 100));
  const log = h.entries();
  const small = log.find((e) => e.type === 'IS_SMALL');
  assert.deepEqual([small.subT, small.UVal, small.UValHex, small.fields.UValNames], ['SMALL_LCL', 0xc0004, '0x000c0004', ['LIGHTS_HIGH']]);
  const btn = log.find((e) => e.type === 'IS_BTN');
  assert.deepEqual([btn.sizeByte, btn.fields.ClickID, btn.fields.Text], [20, 5, '^1Hi']);
  assert.deepEqual(log.filter((e) => e.dir === 'send').map(sizeByte).slice(0, 2), [20, 20]);
  assert.ok(log.every((e) => e.event !== 'error'));
});

test('malformed input is logged as errors and the host goes on', async (t) => {
  const h = await startHost(t);
  const a = new RawClient(h.port, 4);
  a.send(isi(9));
  await a.next((p) => p.Type === P.PacketType.ISP_VER);
  a.raw('0203000a'); // an IS_TINY claiming 8 bytes, then a Size 0 packet
  a.raw('deadbeef0000ffff');
  a.sock.end();
  await a.closed;
  const b = new RawClient(h.port, 1);
  b.raw('0501'); // not an IS_ISI
  b.raw('0000000000');
  b.sock.end();
  await b.closed;
  const c = new RawClient(h.port, 1);
  c.send(isi(9)); // InSim 9 asked for in byte units
  await c.next((p) => p.Type === P.PacketType.ISP_VER);
  c.sock.destroy();
  await new Promise((r) => setTimeout(r, 200));
  const errors = h.entries().filter((e) => e.event === 'error').map((e) => `${e.conn}: ${e.message}`);
  assert.ok(errors.some((m) => /^1: IS_TINY: IS_TINY length 8/.test(m)), errors.join('\n'));
  assert.ok(errors.some((m) => /^1: packet with Size 0/.test(m)), errors.join('\n'));
  assert.ok(errors.some((m) => /^2: first packet is not an IS_ISI/.test(m)), errors.join('\n'));
  assert.ok(errors.some((m) => /^3: IS_ISI asks for InSimVer 9 but is sized in bytes/.test(m)), errors.join('\n'));
  assert.equal(h.proc.exitCode, null);
});

test('actions: close before IS_VER, reset, unanswered ping, control lines and shutdown', async (t) => {
  const scenario = {
    connections: [
      { beforeVer: 'close' },
      { steps: [{ after: { type: 'IS_TINY', subT: 'TINY_PING' }, action: 'reset' }] },
      { pingReply: false },
    ],
  };
  const h = await startHost(t, { scenario });
  const a = new RawClient(h.port, 4);
  a.send(isi(9));
  await a.closed;
  assert.equal(a.packets.length, 0);

  const b = new RawClient(h.port, 4);
  b.send(isi(9));
  await b.next((p) => p.Type === P.PacketType.ISP_VER);
  b.send(tiny(P.TinyType.TINY_PING));
  await b.closed;
  // The client may see the RST as ECONNRESET or, when it lands after its own
  // read of the stream's end, as a plain close; the host says which it sent.
  assert.ok(!b.error || b.error.code === 'ECONNRESET', String(b.error?.code));
  assert.ok(h.entries().some((e) => e.conn === 2 && e.event === 'host-reset'));

  const c = new RawClient(h.port, 4);
  c.send(isi(9));
  await c.next((p) => p.Type === P.PacketType.ISP_VER);
  c.send(tiny(P.TinyType.TINY_PING));
  h.control({ send: { type: 'IS_MSO', Msg: 'hello' } });
  const mso = await c.next((p) => p.Type === P.PacketType.ISP_MSO);
  assert.equal(mso.Msg, 'hello');
  assert.ok(!c.packets.some((p) => p.Type === P.PacketType.ISP_TINY));
  h.control({ action: 'shutdown' });
  await c.closed;
  assert.equal(await h.exited, 0);
  const events = h.entries().filter((e) => e.event).map((e) => [e.conn ?? 0, e.event]);
  assert.deepEqual(events.filter(([, e]) => ['host-close', 'host-reset', 'shutdown', 'exit'].includes(e)),
    [[1, 'host-close'], [2, 'host-reset'], [0, 'shutdown'], [3, 'host-close'], [0, 'exit']]);
});
