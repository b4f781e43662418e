'use strict';
// The local S3 server for tests: s3rver behind this front, which records every request in
// STATE_DIR/requests.jsonl (method, raw target, headers), refuses what S3 would refuse for its
// signature, body hash or a NUL in a name, answers the test controls and passes the rest on.
//   NODE_OPTIONS=--openssl-legacy-provider node front.js STATE_DIR   (start.sh does this)
// Test controls, unsigned: GET /_skrw_test/ping answers 200; POST /_skrw_test/change-on-put
// {"bucket", "key", "path", "change"}: the next PUT of that object that passes the checks applies
// one of CHANGES to the local file `path` once its body is received.

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
const changeOnPut = new Map();  // "bucket/key" -> { file, change }
const CHANGES = {
  delete: (file) => fs.rmSync(file, { force: true }),
  append: (file) => fs.appendFileSync(file, 'appended'),
  replace: (file) => { fs.writeFileSync(`${file}.new`, 'replaced'); fs.renameSync(`${file}.new`, file); },
  folder: (file) => {
    fs.rmSync(file, { force: true });
    fs.mkdirSync(file);
    fs.writeFileSync(`${file}/kept.txt`, 'kept');
  },
};
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

function control(req, res) {
  const chunks = [];
  req.on('data', (chunk) => chunks.push(chunk)).on('end', () => {
    const reply = (status, text) => res.writeHead(status).end(`${text}\n`);
    if (req.method === 'GET' && req.url === '/_skrw_test/ping') return reply(200, 'ok');
    if (req.method !== 'POST' || req.url !== '/_skrw_test/change-on-put') {
      return reply(404, `unknown test control ${req.method} ${req.url}`);
    }
    try {
      const { bucket, key, path: file, change } = JSON.parse(Buffer.concat(chunks));
      if (!Object.hasOwn(CHANGES, change)) throw new Error(`change: one of ${Object.keys(CHANGES)}`);
      changeOnPut.set(`${bucket}/${key}`, { file, change });
      return reply(200, 'ok');
    } catch (err) {
      return reply(400, err.message);
    }
  });
}

// Applies the change registered for the object a path-style PUT target names, if any.
function afterPutReceived(target) {
  const m = /^\/([^/?]+)\/([^?]+)/s.exec(target);
  try {
    const id = m && `${decodeURIComponent(m[1])}/${decodeURIComponent(m[2])}`, order = changeOnPut.get(id);
    if (changeOnPut.delete(id)) CHANGES[order.change](order.file);
  } catch (err) {
    process.stderr.write(`change-on-put after PUT ${target}: ${err.message}\n`);
  }
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
  if (/%00/i.test(req.url + (req.headers['x-amz-copy-source'] || ''))) {
    return refuse(req, res, { status: 400, code: 'InvalidArgument',
      message: 'Bucket names, keys and copy sources cannot hold a NUL character.' });
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
  if (req.method === 'PUT') afterPutReceived(req.url);
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
    // Recorded before it is answered: a client that has its answer finds its request here.
    const headers = Object.fromEntries(Object.entries(req.headers).map(([n, v]) => [n, wireText(v)]));
    fs.appendFileSync(log, `${JSON.stringify({ method: req.method, target: wireText(req.url), headers })}\n`);
    if (req.url.startsWith('/_skrw_test/')) return control(req, res);
    return handleS3(req, res, storePort).catch((err) => {
      process.stderr.write(`internal error on ${req.method} ${req.url}: ${err.stack}\n`);
      if (res.headersSent) res.destroy(err);
      else refuse(req, res, { status: 500, code: 'InternalError', message: err.message });
    });
  });
  server.requestTimeout = 0;  // large uploads take as long as they take
  server.keepAliveTimeout = 65000;  // idle connections outlive the client's, as S3's do
  server.headersTimeout = 70000;
  server.listen(0, '127.0.0.1', () => fs.writeFileSync(path.join(stateDir, 'endpoint'),
    `http://127.0.0.1:${server.address().port}\n`));
}

main().catch((err) => {
  process.stderr.write(`cannot start: ${err.stack}\n`);
  process.exit(1);
});
