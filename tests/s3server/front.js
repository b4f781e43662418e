'use strict';
// The local S3 server for tests and the demo: s3rver on a loopback port, behind this front on
// another. The front records every request, refuses any whose SigV4 signature or body hash is
// wrong, answers the test control requests itself, and passes the rest on to s3rver.
//
// Usage: node front.js STATE_DIR   (with NODE_OPTIONS=--openssl-legacy-provider; start.sh does
// this). Writes STATE_DIR/endpoint once both servers listen, STATE_DIR/requests.jsonl, and keeps
// its data in STATE_DIR/data and received bodies in STATE_DIR/spool.

const fs = require('fs');
const http = require('http');
const path = require('path');
const S3rver = require('s3rver');

const { RequestRecorder } = require('./lib/recorder');
const { SignatureChecker } = require('./lib/sigv4check');
const { checkPayloadHeader, payloadMismatch } = require('./lib/payloadcheck');
const { spoolBody } = require('./lib/bodyspool');
const { StoreProxy } = require('./lib/proxy');
const { TestControl } = require('./lib/testcontrol');
const { sendS3Error } = require('./lib/s3error');

const ACCESS_KEY = 'S3RVER';
const SECRET_KEY = 'S3RVER';

function usage(message) {
  process.stderr.write(`${message}\nusage: node front.js STATE_DIR\n`);
  process.exit(2);
}

// Bucket and key of a path-style request target, decoded; null when it names no object.
function objectOf(target) {
  const pathPart = target.split('?')[0];
  const match = /^\/([^/]+)\/(.+)$/s.exec(pathPart);
  if (!match) return null;
  try {
    return { bucket: decodeURIComponent(match[1]), key: decodeURIComponent(match[2]) };
  } catch {
    return null;
  }
}

// True when the request names a NUL character in its target or copy source. s3rver keeps
// objects as files and dies on such names, which would take the shared server down for
// every test running beside the one that sent it.
function namesNul(req) {
  const nul = /%00/i;
  return nul.test(req.url) || nul.test(req.headers['x-amz-copy-source'] || '');
}

// Reads and throws away the rest of a request body, then calls `then`.
function drain(req, then) {
  if (req.readableEnded) {
    then();
    return;
  }
  req.on('end', then);
  req.on('error', () => {});
  req.resume();
}

class Front {
  constructor(stateDir, storePort) {
    this.recorder = new RequestRecorder(path.join(stateDir, 'requests.jsonl'));
    this.checker = new SignatureChecker(ACCESS_KEY, SECRET_KEY);
    this.control = new TestControl();
    this.proxy = new StoreProxy(storePort);
    this.spoolDir = path.join(stateDir, 'spool');
    fs.mkdirSync(this.spoolDir, { recursive: true });
  }

  handle(req, res) {
    this.recorder.record(req);
    if (TestControl.isControlRequest(req)) {
      this.control.handle(req, res);
      return;
    }
    this.handleS3(req, res).catch((err) => {
      process.stderr.write(`internal error on ${req.method} ${req.url}: ${err.stack}\n`);
      if (!res.headersSent) {
        drain(req, () => sendS3Error(req, res, 500, 'InternalError', err.message));
      } else {
        res.destroy(err);
      }
    });
  }

  async handleS3(req, res) {
    const refuse = (r) => drain(req, () => sendS3Error(req, res, r.status, r.code, r.message,
      r.fields));
    const signature = await this.checker.check(req);
    if (!signature.ok) {
      process.stderr.write(`refused ${req.method} ${req.url}: ${signature.code}\n`);
      refuse(signature);
      return;
    }
    if (namesNul(req)) {
      refuse({ status: 400, code: 'InvalidArgument',
        message: 'Bucket names, keys and copy sources cannot hold a NUL character.' });
      return;
    }
    const payload = checkPayloadHeader(req.headers['x-amz-content-sha256']);
    if (!payload.ok) {
      refuse(payload);
      return;
    }
    let body;
    try {
      body = await spoolBody(req, this.spoolDir);
    } catch (err) {
      process.stderr.write(`body of ${req.method} ${req.url} not received: ${err.message}\n`);
      res.destroy();
      return;
    }
    const mismatch = payloadMismatch(payload, body.sha256);
    if (mismatch) {
      body.discard();
      sendS3Error(req, res, mismatch.status, mismatch.code, mismatch.message, mismatch.fields);
      return;
    }
    if (req.method === 'PUT') {
      const object = objectOf(req.url);
      if (object) this.control.afterPutReceived(object.bucket, object.key);
    }
    this.proxy.forward(req, body, res);
  }
}

function writeEndpoint(stateDir, port) {
  const file = path.join(stateDir, 'endpoint');
  fs.writeFileSync(`${file}.tmp`, `http://127.0.0.1:${port}\n`);
  fs.renameSync(`${file}.tmp`, file);
}

async function main() {
  const stateDir = process.argv[2];
  if (!stateDir) usage('missing STATE_DIR');
  if (!(process.env.NODE_OPTIONS || '').includes('--openssl-legacy-provider')) {
    usage('NODE_OPTIONS must hold --openssl-legacy-provider (s3rver needs it for listings)');
  }
  const dataDir = path.join(stateDir, 'data');
  fs.mkdirSync(dataDir, { recursive: true });

  const store = new S3rver({ address: '127.0.0.1', port: 0, silent: true, directory: dataDir });
  const { port: storePort } = await store.run();
  store.httpServer.requestTimeout = 0;

  const front = new Front(stateDir, storePort);
  const server = http.createServer((req, res) => front.handle(req, res));
  server.requestTimeout = 0;  // large uploads take as long as they take
  server.keepAliveTimeout = 65000;
  server.headersTimeout = 70000;
  server.listen(0, '127.0.0.1', () => {
    const { port } = server.address();
    writeEndpoint(stateDir, port);
    process.stderr.write(`listening on http://127.0.0.1:${port} (store on ${storePort})\n`);
  });

  const stop = () => {
    server.close();
    store.close().catch(() => {});
    process.exit(0);
  };
  process.on('SIGTERM', stop);
  process.on('SIGINT', stop);
}

main().catch((err) => {
  process.stderr.write(`cannot start: ${err.stack}\n`);
  process.exit(1);
});
