#!/usr/bin/env node
// Replays the IS_BTN / IS_BFN traffic of one connection from a fake-lfs log, or
// reads button lists (docs/screens/*.json), and draws the buttons as LFS would
// lay them out on its 200 x 200 grid.
//   node render-buttons.mjs log.jsonl out.html [--conn N] [--at MS] [--scale PX]
//   node render-buttons.mjs --buttons a.json [--buttons b.json ...] out.html [--bare] [--scale PX]
// --bare draws the grid alone (for a screenshot of exactly 200 x scale pixels);
// --crop L,T,W,H draws only that part of it (W x scale by H x scale pixels).
import fs from 'node:fs';
import { parseArgs } from 'node:util';

const { values: opt, positionals } = parseArgs({
  allowPositionals: true,
  options: {
    conn: { type: 'string' }, at: { type: 'string' }, scale: { type: 'string' },
    buttons: { type: 'string', multiple: true }, bare: { type: 'boolean' }, crop: { type: 'string' },
  },
});
if (positionals.length !== (opt.buttons ? 1 : 2)) {
  process.stderr.write('usage: node render-buttons.mjs log.jsonl out.html [--conn N] [--at MS] [--scale PX]\n' +
    '       node render-buttons.mjs --buttons a.json [--buttons b.json ...] out.html [--bare] [--scale PX]\n');
  process.exit(2);
}
const [logFile, outFile] = opt.buttons ? [null, positionals[0]] : positionals;
const scale = Number(opt.scale ?? 4);
const until = opt.at === undefined ? Infinity : Number(opt.at);

const entries = (logFile ? fs.readFileSync(logFile, 'utf8') : '')
  .split('\n')
  .filter(Boolean)
  .flatMap((l) => {
    try {
      return [JSON.parse(l)];
    } catch {
      return [];
    }
  });

let conn = opt.conn === undefined ? undefined : Number(opt.conn);
if (conn === undefined) {
  const withButtons = entries.filter((e) => e.type === 'IS_BTN' && e.dir === 'recv');
  conn = withButtons.length ? withButtons[withButtons.length - 1].conn : 1;
}

// ---- replay ----
const buttons = new Map();
let last = 0;
for (const e of entries) {
  if (e.conn !== conn || e.t > until || !e.hex) continue;
  const b = Buffer.from(e.hex, 'hex');
  if (e.dir === 'recv' && e.type === 'IS_BTN' && b.length >= 12) {
    const old = buttons.get(b[4]);
    const btn = {
      ReqI: b[2], UCID: b[3], ClickID: b[4], Inst: b[5], BStyle: b[6], TypeIn: b[7],
      L: b[8], T: b[9], W: b[10], H: b[11], ...splitText(b.subarray(12), b[7]), t: e.t,
    };
    // A button sent again with no size keeps its place and style: only its text changes.
    if (old && !btn.W && !btn.H) Object.assign(btn, { BStyle: old.BStyle, L: old.L, T: old.T, W: old.W, H: old.H });
    buttons.set(b[4], btn);
    last = e.t;
  } else if (e.type === 'IS_BFN' && b.length >= 8) {
    const [subT, , clickId, clickMax] = [b[3], b[4], b[5], b[6]];
    if (e.dir === 'recv' && subT === 0) {
      const hi = clickMax > clickId ? clickMax : clickId;
      for (let id = clickId; id <= hi; id++) buttons.delete(id);
    } else if ((e.dir === 'recv' && subT === 1) || (e.dir === 'send' && subT === 2)) {
      buttons.clear(); // BFN_CLEAR from the program, or the user cleared them in LFS
    }
    last = e.t;
  }
}

// Button lists: later files draw over earlier ones, as later IS_BTN would.
for (const file of opt.buttons ?? []) {
  for (const b of JSON.parse(fs.readFileSync(file, 'utf8'))) {
    buttons.set(b.ClickID, { ...b, text: Buffer.from(b.Text, 'latin1'), caption: null });
  }
}

function splitText(bytes, typeIn) {
  let p = 0;
  let caption = null;
  const zero = (from) => {
    const i = bytes.indexOf(0, from);
    return i < 0 ? bytes.length : i;
  };
  if (typeIn !== 0 && bytes.length && bytes[0] === 0) {
    const end = zero(1);
    caption = bytes.subarray(1, end);
    p = Math.min(end + 1, bytes.length);
  }
  return { text: bytes.subarray(p, zero(p)), caption };
}

// ---- LFS text ----
const COLOURS = ['#000000', '#ff3030', '#30ff30', '#ffff30', '#4060ff', '#ff40ff', '#30ffff', '#ffffff'];
// Default text colour by the low 3 bits of BStyle.
const STYLE_COLOURS = ['#c8c8c8', '#ffff40', '#000000', '#ffffff', '#40ff40', '#ff4040', '#90c8ff', '#888888'];
const ESCAPES = { v: '|', a: '*', c: ':', d: '\\', s: '/', q: '?', t: '"', l: '<', r: '>', h: '#', '^': '^' };
// Two-byte glyphs of the Korean code page used by the program, then a decoder for the rest.
const KOREAN = { a1ea: '\u2194', a1e6: '\u2192', a2b8: '\u25c0', a2ba: '\u25b6', a1e1: '\u25a0' };
const DOUBLE_BYTE = new Set(['K', 'J', 'H', 'S']);
const decoders = {};
function decoder(name) {
  if (!(name in decoders)) {
    try {
      decoders[name] = new TextDecoder(name);
    } catch {
      decoders[name] = null;
    }
  }
  return decoders[name];
}
// Windows-1252 by hand: Node's decoder of that name reads 0x80..0x9F as Latin-1 controls.
const CP1252 = '\u20ac\u0081\u201a\u0192\u201e\u2026\u2020\u2021\u02c6\u2030\u0160\u2039\u0152\u008d\u017d\u008f' +
  '\u0090\u2018\u2019\u201c\u201d\u2022\u2013\u2014\u02dc\u2122\u0161\u203a\u0153\u009d\u017e\u0178';
const latin = (bytes) => [...bytes].map((c) => (c >= 0x80 && c < 0xa0 ? CP1252[c - 0x80] : String.fromCharCode(c))).join('');

// Runs of { colour (null = default), text }.
function parseText(bytes) {
  const runs = [];
  let colour = null;
  let page = 'L';
  let cur = '';
  const flush = () => {
    if (cur) runs.push({ colour, text: cur });
    cur = '';
  };
  for (let i = 0; i < bytes.length; i++) {
    const c = bytes[i];
    if (c === 0x5e && i + 1 < bytes.length) {
      const n = String.fromCharCode(bytes[i + 1]);
      if (n >= '0' && n <= '9') {
        flush();
        colour = n === '8' || n === '9' ? null : COLOURS[Number(n)];
        i++;
        continue;
      }
      if (ESCAPES[n] !== undefined) {
        cur += ESCAPES[n];
        i++;
        continue;
      }
      if (/[A-Z]/.test(n)) {
        page = n;
        i++;
        continue;
      }
    }
    if (DOUBLE_BYTE.has(page) && c >= 0x81 && i + 1 < bytes.length) {
      const pair = bytes.subarray(i, i + 2);
      const key = Buffer.from(pair).toString('hex');
      cur += KOREAN[key] ?? (page === 'K' && decoder('euc-kr') ? decoder('euc-kr').decode(pair) : '\u25a1');
      i++;
      continue;
    }
    cur += latin(bytes.subarray(i, i + 1));
  }
  flush();
  return runs;
}

const esc = (s) => String(s).replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]);
const plain = (bytes) => parseText(bytes).map((r) => r.text).join('');

// LFS scales text with the button's height, squeezes text that is too wide
// for the button (the script below), and draws the light and dark backgrounds
// see-through. Buttons are drawn in the order they were first sent.
function buttonHtml(b) {
  const bg = b.BStyle & 0x20 ? 'rgba(8,8,10,0.74)' : b.BStyle & 0x10 ? 'rgba(190,190,190,0.55)' : 'transparent';
  const align = b.BStyle & 0x40 ? 'left' : b.BStyle & 0x80 ? 'right' : 'center';
  const def = STYLE_COLOURS[b.BStyle & 7];
  const px = (u) => `${(u * scale).toFixed(1)}px`;
  const textH = b.H * 0.68;
  const inner = parseText(b.text).map((r) => `<span style="color:${r.colour ?? def}">${esc(r.text)}</span>`).join('');
  const tip = `ClickID ${b.ClickID} ReqI ${b.ReqI} BStyle ${b.BStyle} TypeIn ${b.TypeIn} L${b.L} T${b.T} W${b.W} H${b.H}` +
    (b.caption ? ` caption: ${plain(b.caption)}` : '');
  return `<div class="btn${b.BStyle & 8 ? ' click' : ''}" title="${esc(tip)}" style="left:${px(b.L)};top:${px(b.T)};` +
    `width:${px(b.W)};height:${px(b.H)};line-height:${px(b.H)};font-size:${px(textH)};` +
    `padding:0 ${px(Math.min(1, b.H / 5))};background:${bg};text-align:${align}"><span class="fit">${inner}</span></div>`;
}

const drawn = [...buttons.values()];
const sorted = [...drawn].sort((a, b) => a.ClickID - b.ClickID);
const rows = sorted
  .map((b) => `<tr><td>${b.ClickID}</td><td>${b.ReqI}</td><td>${b.BStyle}</td><td>${b.TypeIn}</td>` +
    `<td>${b.L},${b.T} ${b.W}x${b.H}</td><td>${esc(plain(b.text))}</td><td>${b.caption ? esc(plain(b.caption)) : ''}</td></tr>`)
  .join('\n');

const [cropL, cropT, cropW, cropH] = (opt.crop ?? '0,0,200,200').split(',').map(Number);
const screen = `<div class="view"><div class="screen" style="left:${-cropL * scale}px;top:${-cropT * scale}px">
${drawn.map(buttonHtml).join('\n')}
</div>
<script>
for (const f of document.querySelectorAll('.fit')) {
  const room = f.parentElement.clientWidth - parseFloat(getComputedStyle(f.parentElement).paddingLeft) * 2;
  if (f.offsetWidth <= room) continue;
  f.parentElement.style.textAlign = 'left';
  f.style.transformOrigin = 'left';
  f.style.transform = 'scaleX(' + room / f.offsetWidth + ')';
}
</script></div>`;
const style = `
body { background:#1b1f24; color:#ddd; font-family: Arial, Helvetica, sans-serif; margin: ${opt.bare ? 0 : 12}px; }
.view { position:relative; overflow:hidden; width:${cropW * scale}px; height:${cropH * scale}px; }
.screen { position:absolute; width:${200 * scale}px; height:${200 * scale}px; overflow:hidden;
  background: linear-gradient(#6d8aa6 0%, #9fb3c2 38%, #59644c 40%, #3f4a37 70%, #4a4a4a 100%); }
.fit { display:inline-block; }
.btn { position:absolute; box-sizing:border-box; overflow:hidden; white-space:pre;
  font-family: "DejaVu Sans Condensed", "Arial Narrow", Arial, sans-serif; font-weight: bold; }
table { border-collapse: collapse; margin-top: 12px; font-size: 12px; }
td, th { border: 1px solid #444; padding: 2px 6px; text-align: left; white-space: pre; }`;
const source = logFile ? `connection ${conn}` : opt.buttons.join(', ');
const html = opt.bare
  ? `<!doctype html>\n<html><head><meta charset="utf-8"><style>${style}</style></head><body>\n${screen}\n</body></html>\n`
  : `<!doctype html>
<html><head><meta charset="utf-8"><title>Buttons of ${esc(source)}</title>
<style>${style}</style></head><body>
<div>${esc(source)}, ${sorted.length} buttons${logFile ? `, state at ${until === Infinity ? last : until} ms` : ''}</div>
${screen}
<table><tr><th>ClickID</th><th>ReqI</th><th>BStyle</th><th>TypeIn</th><th>L,T WxH</th><th>text</th><th>caption</th></tr>
${rows}
</table>
</body></html>
`;
fs.writeFileSync(outFile, html);
process.stdout.write(`${outFile}: ${source}, ${sorted.length} buttons\n`);
