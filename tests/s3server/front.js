'use strict';
// The local S3 server for tests and the demo: s3rver on a loopback port behind this front, which
// records every request, refuses those S3 would refuse for their signature or body hash, answers
// the test controls itself and passes the rest on.
//
// Usage: NODE_OPTIONS=--openssl-legacy-provider node front.js STATE_DIR (start.sh does this).
// Writes STATE_DIR/endpoint once listening and STATE_DIR/requests.jsonl (one JSON object per
// request: method, raw target, lower-case headers), keeps data in STATE_DIR/data and bodies being
// checked in STATE_DIR/spool.
//
// Test controls, unsigned, under /_skrw_test/:
//   GET  ping           answers 200 once the server is up.
//   POST change-on-put  {"bucket", "key", "path", "change"}: the next PUT of that object that
//                       passes the checks changes the local `path` once its body is received:
//                       one of the CHANGES below.

const fs = require('fs');
const http = require('http');
const path = require('path');
const S3rver = require('s3rver');

const { SignatureChecker, wireText } = require('./lib/sigv4check');
const { checkPayloadHeader, spoolBody } = require('./lib/bodyspool');
const { forward } = require('./lib/proxy');
const { sendS3Error } = require('./lib/s3error');

const checker = new SignatureChecker('S3RVER', 'S3RVER');
const changeOnPut = new Map();  // "bucket/key" -> { file, change }

const CHANGES = {
  delete: (file) => fs.rmSync(file, { force: true, recursive: true }),
  append: (file) => fs.appendFileSync(file, 'appended'),
  replace: (file) => {
    fs.writeFileSync(`${file}.new`, 'replaced');
    fs.renameSync(`${file}.new`, file);
  },
  folder: (file) => {
    fs.rmSync(file, { force: true });
    fs.mkdirSync(file);
    fs.writeFileSync(`${file}/kept.txt`, 'kept');
  },
};

function reply(res, status, text) {
  res.writeHead(status, { 'Content-Type': 'text/plain' });
  res.end(text);
}

function control(req, res) {
  const chunks = [];
  req.on('data', (chunk) => chunks.push(chunk));
  req.on('end', () => {
    if (req.method === 'GET' && req.url === '/_skrw_test/ping') return reply(res, 200, 'ok\n');
    if (req.method !== 'POST' || req.url !== '/_skrw_test/change-on-put') {
      return reply(res, 404, `unknown test control ${req.method} ${req.url}\n`);
    }
    try {
      const { bucket, key, path: file, change } = JSON.parse(Buffer.concat(chunks).toString());
      if (![bucket, key, file].every((v) => typeof v === 'string') || !file.startsWith('/') ||
          !Object.hasOwn(CHANGES, change)) {
        throw new Error('expected {"bucket", "key", "path": absolute, "change": ' +
          `one of ${Object.keys(CHANGES).join(', ')}}`);
      }
      changeOnPut.set(`${bucket}/${key}`, { file, change });
      return reply(res, 200, 'ok\n');
    } catch (err) {
      return reply(res, 400, `${err.message}\n`);
    }
  });
}

// Changes the local file registered for the object a path-style PUT target names, if any.
function afterPutReceived(target) {
  const m = /^\/([^/?]+)\/([^?]+)/s.exec(target);
  let id;
  try {
    id = m && `${decodeURIComponent(m[1])}/${decodeURIComponent(m[2])}`;
  } catch {
    return;
  }
  const order = changeOnPut.get(id);
  if (order === undefined) return;
  changeOnPut.delete(id);
  try {
    CHANGES[order.change](order.file);
  } catch (err) {
    process.stderr.write(`change-on-put: cannot ${order.change} ${order.file}: ${err.message}\n`);
  }
}

// Throws the rest of a request body away, then sends the refusal.
function refuse(req, res, r) {
  process.stderr.write(`refused ${req.method} ${req.url}: ${r.code} ${r.message}\n`);
  req.on('error', () => {});
  req.resume();
  const send = () => sendS3Error(req, res, r.status, r.code, r.message, r.fields);
  if (req.readableEnded) send();
  else req.on('end', send);
}

async function handleS3(req, res, storePort, spoolDir) {
  const signature = await checker.check(req);
  if (!signature.ok) return refuse(req, res, signature);
  // s3rver keeps objects as files and dies on a NUL in a name, taking every test with it.
  if (/%00/i.test(req.url) || /%00/i.test(req.headers['x-amz-copy-source'] || '')) {
    return refuse(req, res, { status: 400, code: 'InvalidArgument',
      message: 'Bucket names, keys and copy sources cannot hold a NUL character.' });
  }
  const payload = checkPayloadHeader(req.headers['x-amz-content-sha256']);
  if (!payload.ok) return refuse(req, res, payload);
  const body = await spoolBody(req, spoolDir).catch(() => null);
  if (!body) return res.destroy();
  if (payload.expected !== null && payload.expected !== body.sha256) {
    body.discard();
    return sendS3Error(req, res, 400, 'XAmzContentSHA256Mismatch',
      "The provided 'x-amz-content-sha256' header does not match what was computed.",
      { ClientComputedContentSHA256: payload.expected, S3ComputedContentSHA256: body.sha256 });
  }
  if (req.method === 'PUT') afterPutReceived(req.url);
  return forward(storePort, req, body, res);
}

async function main() {
  const stateDir = process.argv[2];
  if (!stateDir || !(process.env.NODE_OPTIONS || '').includes('--openssl-legacy-provider')) {
    process.stderr.write('usage: NODE_OPTIONS=--openssl-legacy-provider node front.js STATE_DIR\n');
    process.exit(2);
  }
  const spoolDir = path.join(stateDir, 'spool');
  const log = path.join(stateDir, 'requests.jsonl');
  const dataDir = path.join(stateDir, 'data');
  for (const dir of [spoolDir, dataDir]) fs.mkdirSync(dir, { recursive: true });
  fs.writeFileSync(log, '');
  const store = new S3rver({ address: '127.0.0.1', port: 0, silent: true, directory: dataDir });
  const { port: storePort } = await store.run();
  store.httpServer.requestTimeout = 0;

  const server = http.createServer((req, res) => {
    // Recorded before it is answered: a client that has its answer finds its request here.
    const headers = Object.fromEntries(Object.entries(req.headers)
      .map(([name, value]) => [name, wireText(value)]));
    fs.appendFileSync(log, `${JSON.stringify({ method: req.method, target: wireText(req.url),
      headers })}\n`);
    if (req.url.startsWith('/_skrw_test/')) return control(req, res);
    return handleS3(req, res, storePort, spoolDir).catch((err) => {
      process.stderr.write(`internal error on ${req.method} ${req.url}: ${err.stack}\n`);
      if (res.headersSent) res.destroy(err);
      else refuse(req, res, { status: 500, code: 'InternalError', message: err.message });
    });
  });
  server.requestTimeout = 0;  // large uploads take as long as they take
  server.keepAliveTimeout = 65000;
  server.headersTimeout = 70000;
  server.listen(0, '127.0.0.1', () => {
    const file = path.join(stateDir, 'endpoint');
    fs.writeFileSync(`${file}.tmp`, `http://127.0.0.1:${server.address().port}\n`);
    fs.renameSync(`${file}.tmp`, file);
  });
  const stop = () => process.exit(0);
  process.on('SIGTERM', stop);
  process.on('SIGINT', stop);
}

main().catch((err) => {
  process.stderr.write(`cannot start: ${err.stack}\n`);
  process.exit(1);
});
