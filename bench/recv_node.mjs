// node-insim's parser on the byte stream recv_path wrote: framing by the Size
// byte and each packet unpacked by its node-insim class, in memory (no socket,
// which favours node-insim). Usage: node bench/recv_node.mjs stream.bin [rounds]
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const require = createRequire(path.join(here, '..', 'tools', 'fake-lfs', 'package.json'));
const P = require('node-insim/packets');

const stream = new Uint8Array(readFileSync(process.argv[2]));
const rounds = Number(process.argv[3] ?? 50);
const classes = { 3: P.IS_TINY, 4: P.IS_SMALL, 5: P.IS_STA, 11: P.IS_MSO, 18: P.IS_NCN, 20: P.IS_CPR, 42: P.IS_BFN, 46: P.IS_BTC };

let packets = 0;
const t0 = process.hrtime.bigint();
for (let r = 0; r < rounds; r++) {
  for (let pos = 0; pos < stream.length; ) {
    const len = stream[pos];
    const Cls = classes[stream[pos + 1]];
    if (Cls) {
      const pkt = new Cls();
      pkt.SIZE_MULTIPLIER = 1;
      pkt.unpack(stream.slice(pos, pos + len));
    }
    pos += len;
    packets++;
  }
}
const s = Number(process.hrtime.bigint() - t0) / 1e9;
console.log(`node-insim: packets ${packets}  ${Math.round(packets / s)} packets/s`);
