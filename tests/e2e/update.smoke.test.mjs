// The description line and the real update check: through a silent proxy (short
// time-outs), and through a proxy answering as the update host with a test CA
// that only this prefix's user trusts, for this test only.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import net from 'node:net';
import tls from 'node:tls';
import { performance } from 'node:perf_hooks';
import { test } from 'node:test';
import { IS_WINE, SKIP, START_TIMEOUT, T, VERSION, VERSION_RE, WINEPREFIX, setup } from './harness.mjs';

const opts = { skip: SKIP || (!IS_WINE && 'needs the Windows program'), timeout: 120000 };
for (const v of ['http_proxy', 'https_proxy', 'HTTP_PROXY', 'HTTPS_PROXY']) delete process.env[v];
const failed = /\nWebRequest: Error \d+ has occurred\.\n\nLoading Config/;

// Offline, as every other test under Wine starts, the check fails at once with the same line.
test('description from the registry; the request goes to port 443 of the update host; a silent one holds start-up only briefly', opts, async (t) => {
  let request = '';
  const proxy = net.createServer((s) => s.on('data', (d) => { request += d; }));  // never answers
  await new Promise((r) => proxy.listen(0, '127.0.0.1', r));
  t.after(() => proxy.close());
  process.env.http_proxy = `http://127.0.0.1:${proxy.address().port}`;
  const ctx = await setup(t, { host: false });
  const app = ctx.startApp();
  const banner = await app.waitForText(`Beaconix v${VERSION} `, { timeout: START_TIMEOUT });
  t.diagnostic(`update check: ${Math.round((await app.waitForText(T.connecting(ctx.port), { timeout: 30000 })).at - banner.at)} ms`);
  const text = app.stdout;
  assert.match(text, new RegExp(`^Microsoft Windows 7 \\d+ x64\n\n {3}Beaconix v${VERSION_RE} [^\n]*\nWebRequest`));
  assert.match(text, failed);
  assert.match(request, new RegExp(`^CONNECT [a-z0-9.-]+:443 HTTP/1\\.1\r\n(.*\r\n)*User-Agent: Beaconix/${VERSION_RE} \\(\\d+x64\\)\r\n`));
});

// A proxy answering CONNECT as the update host, with a certificate from a test CA that
// only this prefix's user trusts (the keys are made first: WinHTTP waits for the CONNECT
// answer only briefly); `answer` gets each request's TLS socket once.
async function updateHost(t, ctx, answer) {
  const ssl = (...a) => assert.equal(spawnSync('openssl', a, { cwd: ctx.dir, stdio: 'ignore' }).status, 0);
  ssl('req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-keyout', 'ca.key', '-out', 'ca.pem', '-days', '1', '-subj', '/CN=Beaconix test CA');
  ssl('req', '-newkey', 'rsa:2048', '-nodes', '-keyout', 's.key', '-out', 's.csr', '-subj', '/CN=update host');
  const der = new crypto.X509Certificate(fs.readFileSync(`${ctx.dir}/ca.pem`)).raw;
  const key = `HKCU\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\${crypto.createHash('sha1').update(der).digest('hex').toUpperCase()}`;
  const reg = (...a) => spawnSync('wine', ['reg', ...a, '/f'], { env: { ...process.env, WINEPREFIX, WINEDEBUG: '-all' }, stdio: 'ignore' });
  reg('add', key, '/v', 'Blob', '/t', 'REG_BINARY', '/d', Buffer.concat([Buffer.from(new Uint32Array([32, 1, der.length]).buffer), der]).toString('hex'));
  t.after(() => reg('delete', key));
  const host = { request: '' };
  const proxy = net.createServer((s) => s.once('data', (d) => {
    host.connectAt ??= performance.now();
    fs.writeFileSync(`${ctx.dir}/ext`, `subjectAltName=DNS:${/^CONNECT ([^:]+):443 /.exec(String(d))[1]}\n`);
    ssl('x509', '-req', '-in', 's.csr', '-CA', 'ca.pem', '-CAkey', 'ca.key', '-CAcreateserial', '-out', 's.pem', '-extfile', 'ext');
    s.write('HTTP/1.1 200 Connection established\r\n\r\n');
    const tlsSocket = new tls.TLSSocket(s, { isServer: true, key: fs.readFileSync(`${ctx.dir}/s.key`), cert: fs.readFileSync(`${ctx.dir}/s.pem`) });
    tlsSocket.on('error', () => {}).on('data', (r) => (host.request += r)).once('data', () => answer(tlsSocket));
  }));
  await new Promise((r) => proxy.listen(0, '127.0.0.1', r));
  t.after(() => proxy.close());
  process.env.http_proxy = `http://127.0.0.1:${proxy.address().port}`;
  return host;
}

test('a real HTTPS exchange through a local proxy answering as the update host', opts, async (t) => {
  const ctx = await setup(t, { host: false });
  const newer = `${VERSION}.1`, body = `Beaconix-LatestVersion:${newer}\r\n`;
  const host = await updateHost(t, ctx, (s) => s.end(`HTTP/1.1 200 OK\r\nContent-Length: ${body.length}\r\nConnection: close\r\n\r\n${body}`));
  await ctx.startApp().waitForText(`version of Beaconix available: ${newer}  ***\n`, { timeout: START_TIMEOUT });
  assert.match(host.request, new RegExp(`^GET \\S*/version/ HTTP/1\\.1\r\n(.*\r\n)*User-Agent: Beaconix/${VERSION_RE} \\(\\d+x64\\)\r\n`));
});

test('an update host that trickles its answer holds start-up until the deadline only', opts, async (t) => {
  const ctx = await setup(t, { host: false });
  const host = await updateHost(t, ctx, (s) => {
    s.write('HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\nBeaconix-LatestVersion:2.5');
    const drip = setInterval(() => s.write('0'), 1000);
    t.after(() => clearInterval(drip));
  });
  const late = await ctx.startApp().waitForText('\nUpdate check: the update host did not answer in time.\n\nLoading Config', { timeout: START_TIMEOUT });
  const ms = Math.round(late.at - host.connectAt);
  t.diagnostic(`start-up went on ${ms} ms after the request reached the proxy`);
  assert.ok(ms < 5000 + 1000, `${ms} ms`);
  assert.equal(ctx.app.count('available'), 0, 'a cut answer tells nothing');
});
