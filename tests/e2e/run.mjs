#!/usr/bin/env node
// Runs the end-to-end tests against one build of the program; files after "--" replace the default set.
//   node tests/e2e/run.mjs native <path/to/beaconix>
//   node tests/e2e/run.mjs wine <path/to/Beaconix.exe> [wineprefix]   (the *.smoke.test.mjs subset)
// Without Wine or the exe it exits 77 (skipped), but under CI (CI set, not "false") 1, as does a Wine
// run in which a test skipped: there a Windows program that was never run must not pass for a tested one.
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '..', '..');
const fakeLfs = path.join(root, 'tools', 'fake-lfs');
const SKIP = 77;
const CI = !!process.env.CI && process.env.CI !== 'false' && process.env.CI !== '0';

const die = (why, code = 1) => (console.error(why), process.exit(code));
function cannotRun(why) {
  if (CI) die(`FAIL: ${why}; under CI the Windows program must be tested`);
  console.log(`SKIP: ${why}; the Windows program was not tested`);
  process.exit(SKIP);
}

const [mode, exe, ...rest] = process.argv.slice(2);
const dash = rest.indexOf('--');
const files = dash >= 0 ? rest.slice(dash + 1) : [];
const extra = dash >= 0 ? rest.slice(0, dash) : rest;
if (!['native', 'wine'].includes(mode) || !exe) die('usage: run.mjs native|wine <program> [wineprefix] [-- test files]', 2);

function which(cmd) {
  return spawnSync('sh', ['-c', `command -v ${cmd}`], { encoding: 'utf8' }).stdout.trim() || null;
}

// node-insim comes from tools/fake-lfs/node_modules, which tools/setup.sh installs.
if (!fs.existsSync(path.join(fakeLfs, 'node_modules', 'node-insim', 'package.json'))) die('e2e: tools/fake-lfs/node_modules is missing; run tools/setup.sh');

const env = { ...process.env, FAKE_LFS: path.join(fakeLfs, 'fake-lfs.mjs') };
let testFiles;
let wineserver = null;

if (mode === 'native') {
  if (!fs.existsSync(exe)) die(`e2e: program not found: ${exe}`);
  env.BEACONIX_CMD = JSON.stringify([path.resolve(exe)]);
  testFiles = files.length ? files : [here + path.sep];
} else {
  const wine = which('wine');
  if (!wine) cannotRun('wine is not installed (tools/setup.sh installs it)');
  if (!fs.existsSync(exe)) cannotRun(`${exe} does not exist; build the Windows program first (see README)`);
  const prefix = path.resolve(extra[0] ?? path.join(root, 'build', 'tmp', 'wineprefix'));
  fs.mkdirSync(prefix, { recursive: true });
  Object.assign(env, { WINEPREFIX: prefix, WINEDEBUG: '-all', WINEDLLOVERRIDES: 'mscoree,mshtml=' });
  // A wineserver of our own, detached from our output: one that inherits the
  // test run's pipes keeps CTest waiting after the tests have ended.
  const ws = which('wineserver');
  if (ws) {
    wineserver = spawn(ws, ['-f', '-p'], { env, stdio: 'ignore', detached: true });
    wineserver.unref();
  }
  if (!fs.existsSync(path.join(prefix, 'system.reg'))) console.log(`e2e: creating Wine prefix ${prefix} (once)`);
  const boot = spawnSync(wine, ['wineboot', '-i'], { env, stdio: ['ignore', 'ignore', 'inherit'], timeout: 180000 });
  if (boot.status !== 0) console.error(`e2e: wineboot failed (${boot.status ?? boot.signal})`);
  env.BEACONIX_CMD = JSON.stringify([wine, path.resolve(exe)]);
  testFiles = files.length
    ? files
    : fs.readdirSync(here).filter((f) => f.endsWith('.smoke.test.mjs')).sort().map((f) => path.join(here, f));
}

const args = ['--test', '--test-concurrency=2', ...testFiles];
console.log(`e2e: ${mode}: node ${args.map((a) => (path.isAbsolute(a) ? path.relative(root, a) || a : a)).join(' ')}`);
// Under CI the Wine run's output is read for skipped tests (TAP "# skip N",
// the default reporter's "skipped N"); otherwise it passes straight through.
const watch = CI && mode === 'wine';
const child = spawn(process.execPath, args, { env, stdio: ['ignore', watch ? 'pipe' : 'inherit', 'inherit'], cwd: root });
let skipped = 0;
if (watch) {
  let tail = '';
  child.stdout.on('data', (chunk) => {
    process.stdout.write(chunk);
    tail = (tail + chunk).slice(-4096);
    const m = tail.match(/^(?:# skip|\S* ?skipped) (\d+)\s*$/m);
    if (m) skipped = Number(m[1]);
  });
}
child.on('close', (code, signal) => {
  if (wineserver) spawnSync(which('wineserver'), ['-k'], { env, stdio: 'ignore', timeout: 10000 });
  if (code === 0 && skipped > 0) die(`FAIL: ${skipped} Wine test(s) skipped; under CI every one must run`);
  process.exit(code ?? (signal ? 1 : 0));
});
