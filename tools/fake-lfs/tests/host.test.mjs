// The simulated host against clients made of node-insim's own packets: the layouts it sends and
// decodes, and its error reports. tests/e2e covers its scenarios and actions with the real program.
import assert from 'node:assert/strict';
import net from 'node:net';
import { test } from 'node:test';
import { InSim } from 'node-insim';
import * as P from 'node-insim/packets';
import { setup, sleep } from '../../../tests/e2e/harness.mjs';

const startHost = async (t, host = {}) => (await setup(t, { host })).host;

// A client speaking raw bytes, packed and unpacked by node-insim.
function rawClient(port, unit) {
  const c = { buf: Buffer.alloc(0), sock: net.connect({ host: '127.0.0.1', port }).on('error', () => {}) };
  c.sock.on('data', (d) => (c.buf = Buffer.concat([c.buf, d])));
  c.closed = new Promise((r) => c.sock.on('close', r));
  c.send = (...pkts) => pkts.forEach((p) => c.sock.write(Object.assign(p, { SIZE_MULTIPLIER: unit }).pack()));
  c.next = async (type, subT) => { // the next packet of that type; others are skipped
    for (let i = 0; i < 300; i++, await sleep(10)) {
      for (let n; c.buf.length && c.buf.length >= (n = c.buf[0] * unit);) {
        const pkt = Object.assign(new P.packetTypeToClass[c.buf[1]](), { SIZE_MULTIPLIER: unit });
        pkt.unpack(new Uint8Array(c.buf.subarray(0, n)));
        c.buf = c.buf.subarray(n);
        if (pkt.Type === type && (subT === undefined || pkt.SubT === subT)) return pkt;
      }
    }
    throw new Error(`no packet of type ${type}`);
  };
  return c;
}
const isi = (InSimVer) => new P.IS_ISI({ ReqI: 1, Flags: 4, InSimVer, Prefix: '!', IName: 'test' });
const tiny = (SubT, ReqI = 1) => new P.IS_TINY({ SubT, ReqI });

test('node-insim client (InSim 9+): version, state, connection, players and ping answered with its ReqI', async (t) => {
  const h = await startHost(t, { args: ['--player', '^4Cop'] });
  const [c, got] = [new InSim(), []];
  c.on(P.PacketType.ISP_VER, (p) => {
    got.push(['VER', p.ReqI, p.Version, p.Product, p.InSimVer]);
    for (const [s, r] of [[P.TinyType.TINY_SST, 1], [P.TinyType.TINY_NCN, 1], [P.TinyType.TINY_NPL, 1], [P.TinyType.TINY_PING, 9]]) c.send(tiny(s, r));
  });
  c.on(P.PacketType.ISP_STA, (p) => got.push(['STA', p.ReqI]));
  c.on(P.PacketType.ISP_NCN, (p) => got.push(['NCN', p.ReqI, p.UCID, p.Flags]));
  c.on(P.PacketType.ISP_NPL, (p) => got.push(['NPL', p.ReqI, p.PName]));
  c.on(P.PacketType.ISP_TINY, (p) => got.push(['TINY', p.SubT, p.ReqI]) && c.send(tiny(P.TinyType.TINY_CLOSE, 0)));
  c.connect({ Host: '127.0.0.1', Port: h.port, IName: 'test', ReqI: 7, Flags: 4 });
  await h.waitFor({ event: 'host-close', detail: 'TINY_CLOSE' });
  assert.deepEqual(got, [['VER', 7, '0.7F', 'S3', 9], ['STA', 1], ['NCN', 1, 0, 0], ['NPL', 1, '^4Cop'], ['TINY', P.TinyType.TINY_REPLY, 9]]);
  const ping = h.find({ subT: 'TINY_PING' })[0];
  assert.deepEqual([ping.conn, ping.dir, ping.ReqI, ping.hex, h.find({ event: 'unit' })[0].unit], [1, 'recv', 9, '01030903', 4]);
  assert.deepEqual(h.errors(), []);
});

test('InSim 8 client: sizes in bytes, keep-alives, packets sent on a control line, and what the client sends decoded', async (t) => {
  const h = await startHost(t, { args: ['--insim-version', '8', '--keepalive', '100'] });
  const c = rawClient(h.port, 1);
  c.send(isi(8));
  const ver = await c.next(P.PacketType.ISP_VER);
  assert.deepEqual([ver.Size, ver.InSimVer, (await c.next(P.PacketType.ISP_TINY, P.TinyType.TINY_NONE)).Size], [20, 8, 4]);
  h.send([{ type: 'IS_MSO', Msg: '/o bnx cfg' }, { type: 'IS_BTC', ReqI: 3, ClickID: 7 }]);
  const [mso, btc] = [await c.next(P.PacketType.ISP_MSO), await c.next(P.PacketType.ISP_BTC)];
  assert.deepEqual([mso.Size, mso.UserType, mso.Msg, btc.Size, btc.ReqI, btc.ClickID], [20, P.UserType.MSO_O, '/o bnx cfg', 8, 3, 7]);
  c.send(new P.IS_SMALL({ SubT: P.SmallType.SMALL_LCL, UVal: P.LocalCarLights.LIGHTS_HIGH }), new P.IS_BTN({ ReqI: 2, ClickID: 5, BStyle: 32, Text: '^1Hi' }));
  const [small, btn] = [await h.waitFor({ type: 'IS_SMALL' }), await h.waitFor({ type: 'IS_BTN' })];
  assert.deepEqual([small.subT, small.UValHex, small.fields.UValNames], ['SMALL_LCL', '0x000c0004', ['LIGHTS_HIGH']]);
  assert.deepEqual([btn.sizeByte, btn.fields.ClickID, btn.fields.Text], [20, 5, '^1Hi']);
  assert.deepEqual(h.errors(), []);
});

test('malformed input is logged as errors and the host goes on', async (t) => {
  const h = await startHost(t);
  const raw = (unit, hex, first) => {
    const c = rawClient(h.port, unit);
    if (first) c.send(first);
    c.sock.end(Buffer.from(hex, 'hex'));
    return c.closed;
  };
  await raw(4, '0203000adeadbeef0000ffff', isi(9)); // an IS_TINY claiming 8 bytes, then a Size 0
  await raw(1, '05010000000000'); // not an IS_ISI
  await raw(1, '', isi(9)); // InSim 9 asked for in byte units
  const errors = (await h.waitFor({ conn: 3, event: 'error' }), h.errors().map((e) => `${e.conn}: ${e.message}`));
  for (const re of [/^1: IS_TINY: IS_TINY length 8/, /^1: packet with Size 0/, /^2: first packet is not an IS_ISI/, /^3: IS_ISI asks for InSimVer 9 but is sized in bytes/]) {
    assert.ok(errors.some((m) => re.test(m)), `${re}\n${errors.join('\n')}`);
  }
  assert.equal(h.ended, null);
});
