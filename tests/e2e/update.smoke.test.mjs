// The Windows description line and the update check of the real program. No
// update host is reachable here: the check reports WinHTTP's error and
// start-up goes on. Through a local proxy, the request is seen leaving for
// port 443 of the update host.
import assert from 'node:assert/strict';
import net from 'node:net';
import { test } from 'node:test';
import { IS_WINE, SKIP, START_TIMEOUT, T, setup } from './harness.mjs';

const opts = { skip: SKIP || (!IS_WINE && 'needs the Windows program'), timeout: 120000 };
for (const v of ['http_proxy', 'https_proxy', 'HTTP_PROXY', 'HTTPS_PROXY']) delete process.env[v];

async function startUp(t) {
  const ctx = await setup(t, { host: false });
  const app = ctx.startApp();
  await app.waitForText(T.connecting(ctx.port), { timeout: START_TIMEOUT });
  app.write('\n');
  assert.equal((await app.waitExit()).code, 0);
  return app.stdout;
}

test('description from the registry; an offline update check goes on to start-up', opts, async (t) => {
  const text = await startUp(t);
  t.diagnostic(text.slice(0, text.indexOf('\nLoading')));
  assert.match(text, /^Microsoft Windows 7 \d+ x64\n\n {3}Beaconix v2\.4[^\n]*\nWebRequest: Error 12\d{3} has occurred\.\n\nLoading Config/);
});

test('the request goes to port 443 of the update host with the user agent', opts, async (t) => {
  let request = '';
  const proxy = net.createServer((s) => s.on('data', (d) => { request += d; s.destroy(); }));
  await new Promise((r) => proxy.listen(0, '127.0.0.1', r));
  t.after(() => proxy.close());
  process.env.http_proxy = `http://127.0.0.1:${proxy.address().port}`;
  const text = await startUp(t);
  delete process.env.http_proxy;
  assert.match(request, /^CONNECT [a-z0-9.-]+:443 HTTP\/1\.1\r\n/);
  assert.match(request, /User-Agent: Beaconix\/2\.4 \(\d+x64\)\r\n/);
  assert.match(text, /WebRequest: Error 12\d{3} has occurred\.\n\nLoading Config/);
});
