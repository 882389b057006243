// A short drive with Beaconix against the simulated LFS host, then what it
// showed: the console, a summary of the wire, a timeline picture of the car's
// lights and sounds, and the screens it drew.
//   node tools/demo/drive.mjs wine <Beaconix.exe> <lfs_window.exe> <wineprefix>
//   node tools/demo/drive.mjs native <beaconix>
// Under Wine (inside Xvfb) real keystrokes reach the program through a
// stand-in "Live for Speed" window; the native build has no keyboard, so it
// only connects and draws its screens.
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import readline from 'node:readline';
import { fileURLToPath } from 'node:url';
import { deriveLanes, readLog, renderSvg, screenshot } from '../fake-lfs/timeline.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
const [mode, exe, windowExe, prefix] = process.argv.slice(2);
const wine = mode === 'wine';
const out = path.join(root, 'build', 'demo');
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const children = [];

fs.rmSync(out, { recursive: true, force: true });
fs.mkdirSync(path.join(out, 'lfs', 'data', 'script'), { recursive: true });
// HUD on, hazards with the lights, fast flashing for Yelp; a key for each function the drive uses.
fs.writeFileSync(path.join(out, 'lfs', 'Beaconix.cfg'), ['v:1', 'm:0', 'M:0', 'c:1', 'l:0', 'o:0:1', 'o:1:1', 'o:7:1',
  'k:lights:34', 'k:siren:33', 'k:indl:90', 'k:indr:88', 'k:haz:67', 'k:headl:72', ''].join('\n'));
fs.writeFileSync(path.join(out, 'scenario.json'), JSON.stringify({ insimVersion: 9, localName: '^1[cop]^7Demo',
  players: [{ PName: '^1[cop]^7Demo', PType: 0, UCID: 0, PLID: 1 }] }));

const env = { ...process.env };
if (wine) Object.assign(env, { WINEPREFIX: path.resolve(prefix), WINEDEBUG: '-all', WINEDLLOVERRIDES: 'mscoree,mshtml=' });
function start(cmd, args, opts) {
  const p = spawn(cmd, args, { env, ...opts });
  children.push(p);
  return p;
}
function cleanUp() {
  for (const p of children) if (p.exitCode === null) p.kill();
  if (wine) spawnSync('wineserver', ['-k'], { env, stdio: 'ignore', timeout: 10000 });
}
process.on('exit', cleanUp);
process.on('SIGINT', () => process.exit(130));

const host = start(process.execPath, [path.join(root, 'tools/fake-lfs/fake-lfs.mjs'), '--scenario',
  path.join(out, 'scenario.json'), '--log', path.join(out, 'lfs.jsonl')], { stdio: ['pipe', 'pipe', 'inherit'] });
const port = await new Promise((resolve) => {
  readline.createInterface({ input: host.stdout }).on('line', (l) => l.startsWith('listening') && resolve(l.split(' ')[1]));
});
fs.writeFileSync(path.join(out, 'lfs', 'data', 'script', 'autoexec.lfs'), `/insim ${port}\n`);
const control = (step) => host.stdin.write(JSON.stringify(step) + '\n');
const note = (key) => control({ note: key });

let console_ = '';
let windowId = null;
if (wine) {
  start('wine', [windowExe], { stdio: 'ignore' });
  for (let i = 0; i < 1200 && !windowId; i++) {  // up to 2 min on a loaded machine
    windowId = spawnSync('xdotool', ['search', '--name', '^Live for Speed$'], { encoding: 'utf8' }).stdout.split('\n')[0] || null;
    if (!windowId) await sleep(100);
  }
  if (!windowId) throw new Error('the stand-in LFS window did not appear');
}
const app = start(wine ? 'wine' : path.resolve(exe), wine ? [path.resolve(exe)] : [], { cwd: path.join(out, 'lfs'), stdio: ['ignore', 'pipe', 'pipe'] });
for (const s of [app.stdout, app.stderr]) s.on('data', (d) => { console_ += d; });
for (let i = 0; i < 600 && !/InSim Version: 9/.test(console_); i++) await sleep(100);
await sleep(1500);  // the greeting and the HUD

// One xdotool run per gesture, so its own start-up does not stretch the gaps.
async function key(name, label, ms = 80, times = 1) {
  note(label);
  const press = ['keydown', name, 'sleep', String(ms / 1000), 'keyup', name];
  const args = ['windowfocus', '--sync', windowId, ...press];
  for (let i = 1; i < times; i++) args.push('sleep', '0.12', ...press);
  spawnSync('xdotool', args);
}
const click = (reqi, clickId) => control({ send: { type: 'IS_BTC', ReqI: reqi, ClickID: clickId } });
const chat = (msg) => control({ send: { type: 'IS_MSO', Msg: msg } });

const screens = [];  // [log time, name] of each screen to draw
const mark = async (name) => {
  await sleep(700);
  control({ note: `screen ${name}` });
  await sleep(100);
  screens.push(name);
};

if (wine) {
  await key('Next', 'PageDown: flashing lights'); await sleep(2500);
  await key('Prior', 'PageUp: Wail'); await sleep(2000);
  await key('Prior', 'PageUp: Yelp'); await sleep(2500);
  await key('Prior', 'PageUp held: bullhorn', 1200); await sleep(800);
  await key('Prior', 'PageUp double tap: siren off', 60, 2); await sleep(1500);
  await key('Next', 'PageDown: lights off'); await sleep(1000);
  await key('z', 'Z: left indicator'); await sleep(2000); await key('z', 'Z: cancel'); await sleep(500);
  await key('x', 'X: right indicator'); await sleep(2000); await key('x', 'X: cancel'); await sleep(500);
  await key('c', 'C: hazards'); await sleep(2000); await key('c', 'C: hazards off'); await sleep(500);
  for (const n of [1, 2, 3, 4]) { await key('h', `H: headlights ${n}`); await sleep(900); }
}
click(1, 0); await mark('main-menu');
click(2, 21); await mark('lights-mode');
click(4, 41); await mark('lights-mode-details');
click(4, 12); await sleep(500); click(2, 23); await mark('misc-options');
click(8, 8); await sleep(500);
chat('bnx lightsmode 1');  // LFS hands over what follows "/o "
if (wine) {
  await sleep(500);
  await key('Next', 'PageDown: lights, mode 1'); await sleep(3000); await key('Next', 'PageDown: off'); await sleep(1000);
}
app.kill();
await sleep(500);
control({ action: 'shutdown' });
await sleep(500);
cleanUp();

// ---- what it showed ----
const log = readLog(path.join(out, 'lfs.jsonl'));
fs.writeFileSync(path.join(out, 'console.txt'), console_);
console.log(`== Beaconix console ==\n${console_.trimEnd()}\n`);

const kinds = new Map();
for (const e of log) if (e.dir === 'recv') kinds.set(e.subT ?? e.type, (kinds.get(e.subT ?? e.type) ?? 0) + 1);
console.log('== What Beaconix sent ==');
console.log([...kinds].map(([k, n]) => `${k} x${n}`).join(', '));
const words = spawnSync(process.execPath, [path.join(root, 'tools/fake-lfs/summarize.mjs'), path.join(out, 'lfs.jsonl')], { encoding: 'utf8' }).stdout;
fs.writeFileSync(path.join(out, 'wire.txt'), words);
console.log(words.split('\n').filter((l) => /IS_MSL|IS_MSO|IS_BTC|SMALL_LC/.test(l)).slice(0, 40).join('\n'));

const conn = Math.max(...log.filter((e) => e.conn).map((e) => e.conn));
const model = deriveLanes(log, { conn });
const first = log.find((e) => e.conn === conn && e.type === 'IS_SMALL')?.t ?? 0;
const svg = renderSvg({ ...model, marks: model.marks.filter((m) => !/^(screen|click) /.test(m.label)) },
  { from: Math.max(0, first - 500), to: model.end, title: 'What the car did' });
fs.writeFileSync(path.join(out, 'timeline.html'), `<!doctype html><meta charset="utf-8"><body style="margin:0;background:#1b1d22">${svg}</body>`);
const pictures = [];
if (screenshot(path.join(out, 'timeline.html'), path.join(out, 'timeline.png'), 1000, Number(svg.match(/height="(\d+)"/)[1]))) {
  pictures.push('timeline.png');
}
for (const name of screens) {
  const at = log.find((e) => e.event === 'note' && e.key === `screen ${name}`)?.t;
  const html = path.join(out, `screen-${name}.html`);
  spawnSync(process.execPath, [path.join(root, 'tools/fake-lfs/render-buttons.mjs'), path.join(out, 'lfs.jsonl'), html,
    '--at', String(at)], { stdio: 'ignore' });
  if (fs.existsSync(html) && screenshot(html, path.join(out, `screen-${name}.png`), 840, 1000)) pictures.push(`screen-${name}.png`);
}
console.log(`\n== Pictures (${out}) ==\n${pictures.join('\n')}`);
process.exit(pictures.length === screens.length + 1 ? 0 : 1);
