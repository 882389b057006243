// The simulated host's error reports, against clients made of node-insim's own packets. tests/e2e
// covers its answers, both size units, keep-alives, scenarios and actions with the real program.
import assert from 'node:assert/strict';
import net from 'node:net';
import os from 'node:os';
import { test } from 'node:test';
import * as P from 'node-insim/packets';
import { Host } from '../../../tests/e2e/harness.mjs';

test('malformed input is logged as errors and the host goes on', async (t) => {
  const h = await new Host(os.tmpdir(), 'selftest').start();
  t.after(() => h.stop());
  // A client that sends an IS_ISI for that version (packed by node-insim) if any, then the bytes, and hangs up.
  const raw = (unit, hex, InSimVer) => {
    const sock = net.connect({ host: '127.0.0.1', port: h.port }).on('error', () => {}).resume();  // read to the close
    const isi = new P.IS_ISI({ ReqI: 1, Flags: 4, InSimVer, Prefix: '!', IName: 'test' });
    if (InSimVer) sock.write(Object.assign(isi, { SIZE_MULTIPLIER: unit }).pack());
    sock.end(Buffer.from(hex, 'hex'));
    return new Promise((r) => sock.on('close', r));
  };
  await raw(4, '0203000adeadbeef0000ffff', 9); // an IS_TINY claiming 8 bytes, then a Size 0
  await raw(1, '05010000000000'); // not an IS_ISI
  await raw(1, '', 9); // InSim 9 asked for in byte units
  const errors = (await h.waitFor({ conn: 3, event: 'error' }), h.errors().map((e) => `${e.conn}: ${e.message}`));
  for (const re of [/^1: IS_TINY: IS_TINY length 8/, /^1: packet with Size 0/, /^2: first packet is not an IS_ISI/, /^3: IS_ISI asks for InSimVer 9 but is sized in bytes/]) {
    assert.ok(errors.some((m) => re.test(m)), `${re}\n${errors.join('\n')}`);
  }
  assert.equal(h.ended, null);
});
