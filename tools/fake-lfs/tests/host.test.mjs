// The simulated host against clients made of node-insim's own packets: the layouts it sends and
// decodes, and its error reports. tests/e2e covers its answers, scenarios and actions with the real program.
import assert from 'node:assert/strict';
import net from 'node:net';
import { test } from 'node:test';
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
