// The stand-in LFS window and xdotool, for real keystrokes into the Windows build.
import { spawn, spawnSync } from 'node:child_process';
import { BEACONIX_CMD, SKIP, sleep } from './harness.mjs';

const windowExe = process.env.LFS_WINDOW_EXE;
export const skip = SKIP || (!windowExe && 'LFS_WINDOW_EXE is not set') || (!process.env.DISPLAY && 'no DISPLAY');

export function xdotool(...args) {
  return spawnSync('xdotool', args, { encoding: 'utf8', timeout: 10000 }).stdout.trim();
}

export async function lfsWindow(t) {
  const proc = spawn(BEACONIX_CMD[0], [windowExe], { stdio: 'ignore', env: process.env });
  t.after(() => proc.kill());
  for (let i = 0; i < 300; i++) {
    const id = xdotool('search', '--name', '^Live for Speed$').split('\n')[0];
    if (id) return id;
    await sleep(100);
  }
  throw new Error('the stand-in LFS window did not appear');
}

// One xdotool run, so that a loaded machine cannot stretch a tap into a hold.
export async function tap(win, key, ms) {
  xdotool('windowfocus', '--sync', win, 'keydown', key, 'sleep', String(ms / 1000), 'keyup', key);
}
