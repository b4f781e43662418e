'use strict';
// Requests under /_skrw_test/ steer the server for tests. They are answered here, never signed
// and never passed on to the store.
//
//   POST /_skrw_test/change-on-put
//        {"bucket": "...", "key": "...", "path": "/abs/file", "change": "delete"}
//     The next PUT of that bucket and key that passes the checks makes the server change the
//     local `path` once it has received the body, before the store answers. The changes:
//       delete   removes it (with everything in it);
//       append   appends "appended" to it;
//       replace  writes "replaced" to a new file and renames that onto it;
//       folder   removes it and makes a folder in its place holding "kept.txt".
//   GET /_skrw_test/ping
//     Answers 200 "ok" (used to see that the server is up).

const fs = require('fs');

const PREFIX = '/_skrw_test/';
const MAX_CONTROL_BODY = 64 * 1024;

const CHANGES = {
  delete: (path) => fs.rmSync(path, { force: true, recursive: true }),
  append: (path) => fs.appendFileSync(path, 'appended'),
  replace: (path) => {
    fs.writeFileSync(`${path}.new`, 'replaced');
    fs.renameSync(`${path}.new`, path);
  },
  folder: (path) => {
    fs.rmSync(path, { force: true });
    fs.mkdirSync(path);
    fs.writeFileSync(`${path}/kept.txt`, 'kept');
  },
};

class TestControl {
  constructor() {
    this.changeOnPut = new Map();  // "bucket\0key" -> {path, change}
  }

  static isControlRequest(req) {
    return req.url.startsWith(PREFIX);
  }

  handle(req, res) {
    const route = `${req.method} ${req.url}`;
    if (route === `GET ${PREFIX}ping`) {
      req.resume();
      reply(res, 200, 'ok\n');
      return;
    }
    if (route !== `POST ${PREFIX}change-on-put`) {
      req.resume();
      reply(res, 404, `unknown test control request: ${route}\n`);
      return;
    }
    readJson(req, (err, body) => {
      if (err) {
        reply(res, 400, `${err.message}\n`);
        return;
      }
      const { bucket, key, path, change } = body || {};
      if (typeof bucket !== 'string' || typeof key !== 'string' || typeof path !== 'string' ||
          !path.startsWith('/') || !Object.hasOwn(CHANGES, change)) {
        reply(res, 400, 'expected {"bucket": string, "key": string, "path": absolute path, ' +
          `"change": one of ${Object.keys(CHANGES).join(', ')}}\n`);
        return;
      }
      this.changeOnPut.set(`${bucket}\0${key}`, { path, change });
      reply(res, 200, '{"ok":true}\n');
    });
  }

  // Called for every PUT that passed the checks, once its body has been received.
  afterPutReceived(bucket, key) {
    const id = `${bucket}\0${key}`;
    const order = this.changeOnPut.get(id);
    if (order === undefined) return;
    this.changeOnPut.delete(id);
    try {
      CHANGES[order.change](order.path);
    } catch (err) {
      process.stderr.write(`change-on-put: cannot ${order.change} ${order.path}: ${err.message}\n`);
    }
  }
}

function reply(res, status, text) {
  const body = Buffer.from(text, 'utf8');
  res.writeHead(status, { 'Content-Type': 'text/plain', 'Content-Length': body.length });
  res.end(body);
}

function readJson(req, callback) {
  const chunks = [];
  let size = 0;
  let failed = false;
  req.on('data', (chunk) => {
    size += chunk.length;
    if (size > MAX_CONTROL_BODY) failed = true;
    if (!failed) chunks.push(chunk);
  });
  req.on('error', (err) => callback(err));
  req.on('end', () => {
    if (failed) {
      callback(new Error('control request body too large'));
      return;
    }
    try {
      callback(null, JSON.parse(Buffer.concat(chunks).toString('utf8')));
    } catch (err) {
      callback(new Error(`control request body is not JSON: ${err.message}`));
    }
  });
}

module.exports = { TestControl };
