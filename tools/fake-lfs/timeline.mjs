// Draws what the car did as a timeline: one lane per output (indicators,
// headlights, fogs, extra light, flash, siren, horn), time along the bottom,
// key presses and host actions marked. Input: a host log (JSON lines).
// Usage: node timeline.mjs log.jsonl out.html [--conn N] [--title T] [--png out.png]
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

// Each lane reads one field of SMALL_LCL or SMALL_LCS: [change bit, value mask, shift].
const LANES = [
  { name: 'Left indicator', subT: 'SMALL_LCL', change: 0x1, mask: 0x30000, shift: 16, value: (v) => (v & 1 ? 'on' : null) },
  { name: 'Right indicator', subT: 'SMALL_LCL', change: 0x1, mask: 0x30000, shift: 16, value: (v) => (v & 2 ? 'on' : null) },
  { name: 'Headlights', subT: 'SMALL_LCL', change: 0x4, mask: 0xc0000, shift: 18, value: (v) => [null, 'side', 'dipped', 'full'][v] },
  { name: 'Front fog', subT: 'SMALL_LCL', change: 0x20, mask: 0x200000, shift: 21, value: (v) => (v ? 'on' : null) },
  { name: 'Rear fog', subT: 'SMALL_LCL', change: 0x10, mask: 0x100000, shift: 20, value: (v) => (v ? 'on' : null) },
  { name: 'Extra light', subT: 'SMALL_LCL', change: 0x40, mask: 0x400000, shift: 22, value: (v) => (v ? 'on' : null) },
  { name: 'Flash', subT: 'SMALL_LCS', change: 0x2, mask: 0x400, shift: 10, value: (v) => (v ? 'on' : null) },
  { name: 'Siren', subT: 'SMALL_LCS', change: 0x10, mask: 0x300000, shift: 20, value: (v) => [null, 'Yelp', 'Wail', '?'][v] },
  { name: 'Horn', subT: 'SMALL_LCS', change: 0x8, mask: 0x70000, shift: 16,
    value: (v) => [null, 'horn 1', 'horn 2', 'horn 3', 'bullhorn', 'piercer', 'horn 6', 'horn 7'][v] },
];

const COLOURS = {
  on: '#f5a623', side: '#8a7a3a', dipped: '#d8c35a', full: '#fff6b0', Wail: '#e03030', Yelp: '#ff8c1a',
  bullhorn: '#a050e0', piercer: '#ff40c0', '?': '#888',
};
const LANE_COLOUR = { 'Front fog': '#7fd0ff', 'Rear fog': '#ff5050', 'Extra light': '#4a7dff', Flash: '#ffffff' };

// What each lane did: its changes in time order, starting from "off" (null).
// Only packets Beaconix sent count; `conn` limits them to one connection.
export function deriveLanes(entries, { conn } = {}) {
  const mine = (e) => conn === undefined || e.conn === conn;
  const lanes = LANES.map((l) => ({ name: l.name, changes: [] }));
  const marks = [];
  let end = 0;
  for (const e of entries) {
    if (!mine(e)) continue;
    end = Math.max(end, e.t ?? 0);
    if (e.event === 'note' && e.key) marks.push({ t: e.t, label: e.key });
    if (e.dir === 'send' && e.type === 'IS_BTC') marks.push({ t: e.t, label: `click ${e.fields?.ClickID}` });
    if (e.dir === 'send' && e.type === 'IS_MSO') marks.push({ t: e.t, label: `chat: ${e.fields?.Msg}` });
    if (e.dir !== 'recv' || e.type !== 'IS_SMALL') continue;
    LANES.forEach((l, i) => {
      if (e.subT !== l.subT || !(e.UVal & l.change)) return;
      const value = l.value((e.UVal & l.mask) >>> l.shift);
      const ch = lanes[i].changes;
      const last = ch.length ? ch[ch.length - 1].value : null;
      if (value !== last) ch.push({ t: e.t, value });
    });
  }
  return { lanes, marks, end };
}

const esc = (s) => String(s).replace(/[&<>"]/g, (c) => `&#${c.charCodeAt(0)};`);

export function renderSvg({ lanes, marks, end }, { from = 0, to = end, title = '' } = {}) {
  const labelW = 120, plotW = 790, laneH = 22, top = 28 + (marks.length ? 70 : 0), span = Math.max(1, to - from);
  const x = (t) => labelW + ((Math.min(Math.max(t, from), to) - from) / span) * plotW;
  const h = top + lanes.length * laneH + 30;
  const out = [`<svg xmlns="http://www.w3.org/2000/svg" width="${labelW + plotW + 90}" height="${h}" font-family="DejaVu Sans, sans-serif" font-size="12">`,
    `<rect width="100%" height="100%" fill="#1b1d22"/>`, `<text x="8" y="18" fill="#eee" font-weight="bold">${esc(title)}</text>`];
  lanes.forEach((lane, i) => {
    const y = top + i * laneH;
    out.push(`<rect x="${labelW}" y="${y + 3}" width="${plotW}" height="${laneH - 6}" fill="#2a2d34"/>`,
      `<text x="8" y="${y + 15}" fill="#ccc">${esc(lane.name)}</text>`);
    lane.changes.forEach((c, k) => {
      if (c.value === null) return;
      const stop = k + 1 < lane.changes.length ? lane.changes[k + 1].t : to;
      if (stop <= from || c.t >= to) return;
      const x0 = x(c.t), w = Math.max(1, x(stop) - x0);
      const fill = LANE_COLOUR[lane.name] ?? COLOURS[c.value] ?? '#f5a623';
      out.push(`<rect x="${x0.toFixed(1)}" y="${y + 3}" width="${w.toFixed(1)}" height="${laneH - 6}" fill="${fill}"/>`);
      if (c.value !== 'on' && w > 40) out.push(`<text x="${(x0 + 4).toFixed(1)}" y="${y + 15}" fill="#111">${esc(c.value)}</text>`);
    });
  });
  const axisY = top + lanes.length * laneH;
  const step = span <= 3000 ? 250 : span <= 20000 ? 1000 : 5000;
  for (let t = from; t <= to; t += step) {
    out.push(`<line x1="${x(t)}" y1="${top}" x2="${x(t)}" y2="${axisY + 4}" stroke="#555" stroke-width="0.5"/>`,
      `<text x="${x(t)}" y="${axisY + 18}" fill="#aaa" text-anchor="middle">${((t - from) / 1000).toFixed(step < 1000 ? 2 : 0)} s</text>`);
  }
  for (const m of marks) {
    if (m.t < from || m.t > to) continue;
    out.push(`<line x1="${x(m.t)}" y1="${top - 4}" x2="${x(m.t)}" y2="${axisY}" stroke="#6cf" stroke-dasharray="3,3"/>`,
      `<text transform="translate(${x(m.t) + 3},${top - 6}) rotate(-35)" fill="#6cf" font-size="11">${esc(m.label)}</text>`);
  }
  out.push('</svg>');
  return out.join('\n');
}

// Headless Chromium's screenshot of an HTML file.
export function screenshot(html, png, width, height) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'bnx-chromium-'));
  const r = spawnSync('chromium', ['--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--no-first-run', '--hide-scrollbars', `--user-data-dir=${profile}`,
    `--window-size=${width},${height}`, `--screenshot=${path.resolve(png)}`, `file://${path.resolve(html)}`],
  { stdio: 'ignore', timeout: 60000 });
  fs.rmSync(profile, { recursive: true, force: true });
  return r.status === 0 && fs.existsSync(png);
}

export function readLog(file) {
  return fs.readFileSync(file, 'utf8').split('\n').filter(Boolean).map((l) => JSON.parse(l));
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const [log, html, ...rest] = process.argv.slice(2);
  const opt = (name) => { const i = rest.indexOf(name); return i >= 0 ? rest[i + 1] : undefined; };
  if (!log || !html) {
    console.error('usage: node timeline.mjs log.jsonl out.html [--conn N] [--title T] [--png out.png]');
    process.exit(2);
  }
  const conn = opt('--conn') === undefined ? undefined : Number(opt('--conn'));
  const model = deriveLanes(readLog(log), { conn });
  const svg = renderSvg(model, { title: opt('--title') ?? path.basename(log) });
  fs.writeFileSync(html, `<!doctype html><meta charset="utf-8"><body style="margin:0;background:#1b1d22">${svg}</body>`);
  const png = opt('--png');
  if (png && !screenshot(html, png, Number(svg.match(/width="(\d+)"/)[1]), Number(svg.match(/height="(\d+)"/)[1]))) {
    console.error('timeline: no PNG (is chromium installed?)');
    process.exit(1);
  }
}
