// Prints a host log (JSON lines) as one readable line per packet or event.
// Usage: node summarize.mjs log.jsonl
import { readFileSync } from 'node:fs';

const lines = readFileSync(process.argv[2], 'utf8').split('\n').filter(Boolean);
for (const line of lines) {
  const e = JSON.parse(line);
  const t = `${(e.t / 1000).toFixed(3).padStart(8)}s #${e.conn ?? '-'}`;
  if (!e.dir) {
    console.log(`${t}   ${e.event}${e.message ? ': ' + e.message : ''}`);
    continue;
  }
  const arrow = e.dir === 'recv' ? 'Beaconix ->' : '-> Beaconix';
  const f = e.fields ?? {};
  let what = e.type + (e.subT ? ' ' + e.subT : '');
  if (e.UValHex) what += ` ${e.UValHex} [${(f.UValNames ?? []).join(' ')}]`;
  if (e.type === 'IS_MSL' || e.type === 'IS_MSO') what += ` "${f.Msg}"`;
  if (e.type === 'IS_BTN') what += ` id ${f.ClickID} style ${f.BStyle} at ${f.L},${f.T} ${f.W}x${f.H} "${f.Text}"`;
  if (e.type === 'IS_BFN') what += ` ucid ${f.UCID} ids ${f.ClickID}..${f.ClickMax}`;
  if (e.type === 'IS_ISI') what += ` InSimVer ${f.InSimVer} "${f.IName}"`;
  if (e.type === 'IS_VER') what += ` ${f.Version} ${f.Product} InSimVer ${f.InSimVer}`;
  if (e.type === 'IS_NPL' || e.type === 'IS_CPR') what += ` "${f.PName}"`;
  console.log(`${t} ${arrow.padEnd(11)} ${what}  (ReqI ${e.ReqI})`);
}
