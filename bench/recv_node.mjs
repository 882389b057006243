// node-insim's receive path on the stream recv_path wrote: its TCP framing
// (TCP.processBuf, fed as its socket 'data' handler feeds it) and
// InSim.handlePacket (header, class lookup, new packet, unpack, emit).
//   memory:   64 KiB chunks handed over in a loop, no socket (favours node-insim)
//   loopback: a real InSim client over 127.0.0.1, the server in a worker thread
// Usage: node bench/recv_node.mjs stream-unitN.bin unit [seconds]
// Prints RESULT lines, and the ratio to Beaconix when BEACONIX_PPS is set.
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import net from 'node:net';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { Worker } from 'node:worker_threads';

const here = path.dirname(fileURLToPath(import.meta.url));
const require = createRequire(path.join(here, '..', 'tools', 'fake-lfs', 'package.json'));
const { InSim } = require('node-insim');
// The framing class is internal to the package: loaded by its file.
const { TCP } = require(path.join(path.dirname(require.resolve('node-insim')), 'protocols', 'TCP.js'));
const { PacketType } = require('node-insim/packets');

const [file, unitArg, secondsArg] = process.argv.slice(2);
const round = readFileSync(file);
const unit = Number(unitArg ?? 1);
const seconds = Number(secondsArg ?? 1.5);
const perRound = (() => {
  let n = 0;
  for (let pos = 0; pos < round.length; pos += round[pos] * unit) n++;
  return n;
})();
const chunkRounds = Math.max(1, Math.floor(65536 / round.length));
const chunk = Buffer.concat(Array(chunkRounds).fill(round));

// Counts every packet node-insim hands to the application.
function countingInSim() {
  const insim = new InSim();
  insim.sizeMultiplier = unit;
  let unpacked = 0;
  for (const v of Object.values(PacketType)) {
    if (typeof v === 'number') insim.on(v, () => unpacked++);
  }
  return { insim, get unpacked() { return unpacked; } };
}

function memory() {
  const c = countingInSim();
  const { insim } = c;
  const tcp = new TCP('127.0.0.1', 0, unit);
  let framed = 0;
  tcp.on('data', (d) => { framed++; insim.handlePacket(d); });
  const t0 = process.hrtime.bigint();
  let s = 0;
  let rounds = 0;
  do {
    for (let i = 0; i < 20; i++) {
      // What TCP's socket 'data' handler does with each chunk.
      const data = Buffer.from(chunk);
      tcp.tempBuf = tcp.tempBuf === null ? data : Buffer.concat([tcp.tempBuf, data]);
      tcp.processBuf();
      rounds += chunkRounds;
    }
    s = Number(process.hrtime.bigint() - t0) / 1e9;
  } while (s < seconds);
  return { pps: framed / s, MBps: (rounds * round.length) / s / 1e6, framed, unpacked: c.unpacked };
}

function loopback(rounds) {
  return new Promise((resolve, reject) => {
    const worker = new Worker(
      `const { parentPort, workerData } = require('node:worker_threads');
       const net = require('node:net');
       const { chunk, chunkRounds, rounds } = workerData;
       const server = net.createServer((sock) => {
         let left = rounds;
         const more = () => {
           while (left > 0) {
             const n = Math.min(left, chunkRounds);
             left -= n;
             const ok = sock.write(n === chunkRounds ? chunk : chunk.subarray(0, n * (chunk.length / chunkRounds)));
             if (!ok) return sock.once('drain', more);
           }
           sock.end();
         };
         sock.once('data', more);  // after the client's IS_ISI
         sock.on('error', () => {});
       });
       server.listen(0, '127.0.0.1', () => parentPort.postMessage(server.address().port));
       parentPort.on('message', () => server.close(() => process.exit(0)));`,
      { eval: true, workerData: { chunk, chunkRounds, rounds } },
    );
    worker.once('error', reject);
    worker.once('message', (port) => {
      const c = countingInSim();
      const { insim } = c;
      let t0 = 0n;
      insim.on('connect', () => { t0 = process.hrtime.bigint(); });
      insim.on('disconnect', () => {
        const s = Number(process.hrtime.bigint() - t0) / 1e9;
        worker.postMessage('stop');
        resolve({ pps: (rounds * perRound) / s, MBps: (rounds * round.length) / s / 1e6,
                  unpacked_per_packet: c.unpacked / (rounds * perRound) });
      });
      insim.connect({ Host: '127.0.0.1', Port: port, IName: 'bench' });
      // node-insim always frames in 4-byte units; this stream may be in bytes.
      insim.sizeMultiplier = unit;
      insim.connection.packetSizeMultiplier = unit;
    });
  });
}

const m = memory();
console.log(`RESULT node_memory unit=${unit} pps=${m.pps.toFixed(0)} MBps=${m.MBps.toFixed(1)} unpacked_per_framed=${(m.unpacked / m.framed).toFixed(3)}`);
const trial = await loopback(500);
const l = await loopback(Math.max(500, Math.round((trial.pps / perRound) * seconds)));
console.log(`RESULT node_loopback unit=${unit} pps=${l.pps.toFixed(0)} MBps=${l.MBps.toFixed(1)} unpacked_per_packet=${l.unpacked_per_packet.toFixed(3)}`);
if (process.env.BEACONIX_PPS) {
  const b = Number(process.env.BEACONIX_PPS);
  console.log(`RESULT ratio_loopback unit=${unit} beaconix_over_node=${(b / l.pps).toFixed(1)}`);
  console.log(`RESULT ratio_vs_node_memory unit=${unit} beaconix_over_node=${(b / m.pps).toFixed(1)}`);
}
