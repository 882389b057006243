// Draws each flashing-light mode's rhythm, in its normal, Yelp and piercer
// variant, from what the engine itself sends (pattern_log).
// Usage: node tools/patterns/pictures.mjs <pattern_log program> <output folder>
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { deriveLanes, renderSvg, screenshot } from '../fake-lfs/timeline.mjs';

const [program, outDir] = process.argv.slice(2);
const MODES = ['Classic', 'Fog lights are lightbar', 'Extra Beacon', 'Extra Beacon + OEM Fogs'];
const VARIANTS = { normal: 'normal (Wail or no siren)', yelp: 'with the Yelp siren', piercer: 'with the piercer' };
fs.mkdirSync(outDir, { recursive: true });

MODES.forEach((name, mode) => {
  const runs = Object.keys(VARIANTS).map((v) => {
    const log = execFileSync(program, [String(mode), v], { encoding: 'utf8' });
    return [v, deriveLanes(log.split('\n').filter(Boolean).map((l) => JSON.parse(l)))];
  });
  // Only the lanes that any variant of this mode uses, so the rhythm stands out.
  const used = runs[0][1].lanes.map((l, i) => runs.some(([, m]) => m.lanes[i].changes.length > 0));
  const svgs = runs.map(([v, m]) => renderSvg({ ...m, lanes: m.lanes.filter((l, i) => used[i]) },
    { from: 0, to: 2000, title: `${mode} ${name}: ${VARIANTS[v]}` }));
  const html = path.join(outDir, `lights-mode-${mode}.html`);
  fs.writeFileSync(html, `<!doctype html><meta charset="utf-8"><body style="margin:0;background:#1b1d22">${svgs.join('<br>')}</body>`);
  const height = svgs.reduce((h, s) => h + Number(s.match(/height="(\d+)"/)[1]) + 4, 0);
  if (!screenshot(html, path.join(outDir, `lights-mode-${mode}.png`), 1000, height)) {
    throw new Error(`no picture for lights mode ${mode} (is chromium installed?)`);
  }
  fs.rmSync(html);
});
