'use strict';
// The local S3 server for tests: s3rver behind this front, which records every request in
// STATE_DIR/requests.jsonl (method, raw target, headers), refuses what S3 would refuse for its
// signature, body hash or a name its store cannot keep, answers the test controls and passes the
// rest on. A failure inside the front answers 500 and the server goes on serving.
//   NODE_OPTIONS=--openssl-legacy-provider node front.js STATE_DIR   (start.sh does this)
// Test controls, unsigned: GET /_skrw_test/ping answers 200; POST /_skrw_test/change-on-put or
// /_skrw_test/change-on-get {"bucket", "key", "path", "change"}: the next PUT (once its body is
// received) or GET (before it is passed on) of that object that passes the checks applies one of
// CHANGES to the local file `path`.

const { execFileSync } = require('child_process');
const crypto = require('crypto');
const fs = require('fs');
const http = require('http');
const path = require('path');
const { pipeline } = require('stream');
const S3rver = require('s3rver');
const { checkSignature, wireText } = require('./lib/sigv4check');

const stateDir = process.argv[2];
if (!stateDir) throw new Error('usage: NODE_OPTIONS=--openssl-legacy-provider node front.js STATE_DIR');
const spoolDir = path.join(stateDir, 'spool');
const changeOn = new Map();  // "METHOD bucket/key" -> { file, change }
const CHANGES = {
  delete: (file) => fs.rmSync(file, { force: true }),
  append: (file) => fs.appendFileSync(file, 'appended'),
  replace: (file) => { fs.writeFileSync(`${file}.new`, 'replaced'); fs.renameSync(`${file}.new`, file); },
  folder: (file) => {
    fs.rmSync(file, { force: true });
    fs.mkdirSync(file);
    fs.writeFileSync(`${file}/kept.txt`, 'kept');
  },
  fifo: (file) => { fs.rmSync(file, { force: true }); execFileSync('mkfifo', [file]); },
  // As many other bytes written in place, and the modification time set back (to the millisecond).
  rewrite: (file) => {
    const { size, atime, mtime } = fs.statSync(file);
    fs.writeFileSync(file, 'r'.repeat(size));
    fs.utimesSync(file, atime, mtime);
  },
};
// s3rver keeps an object as files named after each "/"-separated part of its bucket and key, the
// last part with a suffix of up to this many bytes; a part too long for a file name makes its
// file store fail where nothing catches it.
const NAME_MAX = 255, STORE_SUFFIX = '._S3rver_metadata.json';
const HOP_BY_HOP = new Set(['connection', 'keep-alive', 'transfer-encoding', 'expect', 'te',
  'trailer', 'upgrade', 'proxy-connection']);
// A fresh connection per request: one the store closes for idling could fail a request.
const agent = new http.Agent({ keepAlive: false });

const escapeXml = (text) => String(text).replace(/[<>&]/g, (c) => `&#${c.charCodeAt(0)};`);

// Sends S3's error answer once the rest of the request body has been thrown away.
function refuse(req, res, { status, code, message, fields }) {
  process.stderr.write(`refused ${req.method} ${req.url}: ${code} ${message}\n`);
  const id = crypto.randomBytes(8).toString('hex').toUpperCase();
  const extra = Object.entries(fields || {}).map(([n, v]) => `<${n}>${escapeXml(v)}</${n}>`);
  const body = `<?xml version="1.0" encoding="UTF-8"?>\n<Error><Code>${code}</Code><Message>${
    escapeXml(message)}</Message>${extra.join('')}<RequestId>${id}</RequestId></Error>`;
  const send = () => res.writeHead(status, { 'Content-Type': 'application/xml',
    'Content-Length': Buffer.byteLength(body), 'x-amz-request-id': id }).end(body);
  req.on('error', () => {}).resume();
  if (req.readableEnded) send();
  else req.on('end', send);
}

// Answers 500 for a failure inside the front, unless an answer has begun (then the connection is
// cut): the server itself goes on.
function internalError(req, res, err) {
  process.stderr.write(`internal error on ${req.method} ${req.url}: ${err && err.stack}\n`);
  if (res.headersSent) return res.destroy();
  return refuse(req, res, { status: 500, code: 'InternalError', message: String(err && err.message) });
}

function control(req, res) {
  const chunks = [];
  req.on('data', (chunk) => chunks.push(chunk)).on('end', () => {
    const reply = (status, text) => res.writeHead(status).end(`${text}\n`);
    if (req.method === 'GET' && req.url === '/_skrw_test/ping') return reply(200, 'ok');
    const method = { '/_skrw_test/change-on-put': 'PUT', '/_skrw_test/change-on-get': 'GET' }[req.url];
    if (req.method !== 'POST' || !method) {
      return reply(404, `unknown test control ${req.method} ${req.url}`);
    }
    try {
      const { bucket, key, path: file, change } = JSON.parse(Buffer.concat(chunks));
      if (!Object.hasOwn(CHANGES, change)) throw new Error(`change: one of ${Object.keys(CHANGES)}`);
      changeOn.set(`${method} ${bucket}/${key}`, { file, change });
      return reply(200, 'ok');
    } catch (err) {
      return reply(400, err.message);
    }
  });
}

// Applies the change registered for the method and the object a path-style target names, if any.
function applyChange(method, target) {
  const m = /^\/([^/?]+)\/([^?]+)/s.exec(target);
  try {
    const id = m && `${method} ${decodeURIComponent(m[1])}/${decodeURIComponent(m[2])}`;
    const order = changeOn.get(id);
    if (changeOn.delete(id)) CHANGES[order.change](order.file);
  } catch (err) {
    process.stderr.write(`change on ${method} ${target}: ${err.message}\n`);
  }
}

// Whether the store can keep the bucket and key of a path (a target's or a copy source's).
function storable(pathPart) {
  let parts;
  try {
    parts = decodeURIComponent(pathPart.replace(/\?.*$/s, '')).split('/').filter((p) => p !== '');
  } catch {
    return true;  // malformed escapes: the store answers for them
  }
  return parts.every((part, i) => Buffer.byteLength(part) +
    (i === parts.length - 1 ? STORE_SUFFIX.length : 0) <= NAME_MAX);
}

// Receives the body whole into a temporary file (bounded memory, and the store sees nothing of a
// body whose hash is not the one signed): resolves to { file, size, sha256 }.
function spool(req) {
  const file = path.join(spoolDir, crypto.randomUUID()), hash = crypto.createHash('sha256');
  let size = 0;
  req.on('data', (chunk) => { hash.update(chunk); size += chunk.length; });
  return new Promise((resolve, reject) => {
    pipeline(req, fs.createWriteStream(file, { mode: 0o600 }), (err) => {
      if (!err) return resolve({ file, size, sha256: hash.digest('hex') });
      fs.rm(file, { force: true }, () => {});
      return reject(err);
    });
  });
}

// The store decodes x-amz-copy-source with decodeURI, which leaves escapes of reserved characters
// ("%2B", "%3F", "%23") undecoded; encodeURI of the fully decoded source survives that intact.
function copySourceForStore(value) {
  try {
    return encodeURI(decodeURIComponent(value));
  } catch {
    return value;  // malformed escapes: the store answers for them
  }
}

// Passes the request on to the store and its answer back: same status and headers, body streamed.
function forward(storePort, req, body, res) {
  const headers = { 'content-length': String(body.size) };
  for (let i = 0; i + 1 < req.rawHeaders.length; i += 2) {
    const name = req.rawHeaders[i].toLowerCase(), value = req.rawHeaders[i + 1];
    if (HOP_BY_HOP.has(name) || name === 'content-length') continue;
    const sent = name === 'x-amz-copy-source' ? copySourceForStore(value) : value;
    headers[name] = name in headers ? [].concat(headers[name], sent) : sent;
  }
  const discard = () => fs.rm(body.file, { force: true }, () => {});
  const upstream = http.request({ host: '127.0.0.1', port: storePort, method: req.method,
    path: req.url, headers, agent });
  upstream.on('error', (err) => {
    discard();
    if (res.headersSent) res.destroy(err);
    else refuse(req, res, { status: 500, code: 'InternalError', message: `The store failed: ${err.message}` });
  });
  upstream.on('response', (answer) => {
    res.writeHead(answer.statusCode, answer.statusMessage,
      answer.rawHeaders.filter((_, i) => !HOP_BY_HOP.has(answer.rawHeaders[i - (i % 2)].toLowerCase())));
    pipeline(answer, res, discard);
  });
  pipeline(fs.createReadStream(body.file), upstream, () => {});
}

async function handleS3(req, res, storePort) {
  const signature = await checkSignature(req);
  if (signature) return refuse(req, res, signature);
  // s3rver keeps objects as files and dies on a NUL in a name, taking every test with it.
  const copySource = req.headers['x-amz-copy-source'] || '';
  if (/%00/i.test(req.url + copySource)) {
    return refuse(req, res, { status: 400, code: 'InvalidArgument',
      message: 'Bucket names, keys and copy sources cannot hold a NUL character.' });
  }
  if (!storable(req.url) || !storable(copySource)) {
    return refuse(req, res, { status: 400, code: 'InvalidArgument',
      message: `The test server cannot store a bucket name, key or copy source with a "/"-separated part longer than ${
        NAME_MAX} bytes (${NAME_MAX - STORE_SUFFIX.length} for the last part of a key).` });
  }
  const expected = req.headers['x-amz-content-sha256'];
  if (!expected) {
    return refuse(req, res, { status: 400, code: 'InvalidRequest',
      message: 'Missing required header for this request: x-amz-content-sha256' });
  }
  if (expected !== 'UNSIGNED-PAYLOAD' && !/^[0-9a-f]{64}$/i.test(expected)) {
    return refuse(req, res, { status: 400, code: 'InvalidArgument',
      message: 'x-amz-content-sha256 must be UNSIGNED-PAYLOAD or a valid sha256 value.' });
  }
  const body = await spool(req).catch(() => null);
  if (!body) return res.destroy();
  if (expected !== 'UNSIGNED-PAYLOAD' && expected.toLowerCase() !== body.sha256) {
    fs.rm(body.file, { force: true }, () => {});
    return refuse(req, res, { status: 400, code: 'XAmzContentSHA256Mismatch',
      message: "The provided 'x-amz-content-sha256' header does not match what was computed.",
      fields: { ClientComputedContentSHA256: expected, S3ComputedContentSHA256: body.sha256 } });
  }
  if (req.method === 'PUT' || req.method === 'GET') applyChange(req.method, req.url);
  return forward(storePort, req, body, res);
}

async function main() {
  const log = path.join(stateDir, 'requests.jsonl'), dataDir = path.join(stateDir, 'data');
  for (const dir of [spoolDir, dataDir]) fs.mkdirSync(dir, { recursive: true });
  fs.writeFileSync(log, '');
  const store = new S3rver({ address: '127.0.0.1', port: 0, silent: true, directory: dataDir });
  const { port: storePort } = await store.run();
  store.httpServer.requestTimeout = 0;
  const server = http.createServer((req, res) => {
    try {
      // Recorded before it is answered: a client that has its answer finds its request here.
      const headers = Object.fromEntries(Object.entries(req.headers).map(([n, v]) => [n, wireText(v)]));
      fs.appendFileSync(log, `${JSON.stringify({ method: req.method, target: wireText(req.url), headers })}\n`);
      if (req.url.startsWith('/_skrw_test/')) return control(req, res);
      return handleS3(req, res, storePort).catch((err) => internalError(req, res, err));
    } catch (err) {
      return internalError(req, res, err);
    }
  });
  server.requestTimeout = 0;  // large uploads take as long as they take
  server.keepAliveTimeout = 65000;  // idle connections outlive the client's, as S3's do
  server.headersTimeout = 70000;
  server.listen(0, '127.0.0.1', () => {
    // Serving from here on: the store runs in this process, and a fault of its own that nothing
    // caught must not take the server away from every later test. A failure to start still ends
    // the process at once.
    process.on('uncaughtException', (err) => process.stderr.write(`uncaught: ${err.stack}\n`));
    fs.writeFileSync(path.join(stateDir, 'endpoint'), `http://127.0.0.1:${server.address().port}\n`);
  });
}

main().catch((err) => {
  process.stderr.write(`cannot start: ${err.stack}\n`);
  process.exit(1);
});
