// The description line and the real update check: no update host is reachable,
// so WinHTTP's error is reported and start-up goes on; a silent local proxy sees
// the request and start-up goes on after the short time-outs.
import assert from 'node:assert/strict';
import net from 'node:net';
import { test } from 'node:test';
import { IS_WINE, SKIP, START_TIMEOUT, T, setup } from './harness.mjs';

const opts = { skip: SKIP || (!IS_WINE && 'needs the Windows program'), timeout: 120000 };
for (const v of ['http_proxy', 'https_proxy', 'HTTP_PROXY', 'HTTPS_PROXY']) delete process.env[v];
const failed = /\nWebRequest: Error \d+ has occurred\.\n\nLoading Config/;

async function startUp(t) {
  const ctx = await setup(t, { host: false });
  const app = ctx.startApp();
  const banner = await app.waitForText('Beaconix v2.4', { timeout: START_TIMEOUT });
  t.diagnostic(`update check: ${Math.round((await app.waitForText('Loading Config', { timeout: 30000 })).at - banner.at)} ms`);
  await app.waitForText(T.connecting(ctx.port), { timeout: START_TIMEOUT });
  app.write('\n');
  assert.equal((await app.waitExit()).code, 0);
  return app.stdout;
}

test('description from the registry; an offline update check goes on to start-up', opts, async (t) => {
  const text = await startUp(t);
  assert.match(text, /^Microsoft Windows 7 \d+ x64\n\n {3}Beaconix v2\.4[^\n]*\nWebRequest/);
  assert.match(text, failed);
});

test('the request goes to port 443 of the update host; a silent one holds start-up only briefly', opts, async (t) => {
  let request = '';
  const proxy = net.createServer((s) => s.on('data', (d) => { request += d; }));  // never answers
  await new Promise((r) => proxy.listen(0, '127.0.0.1', r));
  t.after(() => proxy.close());
  process.env.http_proxy = `http://127.0.0.1:${proxy.address().port}`;
  assert.match(await startUp(t), failed);
  assert.match(request, /^CONNECT [a-z0-9.-]+:443 HTTP\/1\.1\r\n(.*\r\n)*User-Agent: Beaconix\/2\.4 \(\d+x64\)\r\n/);
});
