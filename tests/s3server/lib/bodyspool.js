'use strict';
// Receives a request body whole, into a temporary file, before it is passed on, so that the store
// sees nothing of a body whose hash is not the one signed, and a body of any size costs a bounded
// amount of memory.

const crypto = require('crypto');
const fs = require('fs');
const path = require('path');
const { PassThrough, pipeline } = require('stream');

// How the body will be checked: { ok, expected } where expected is the signed hash (null for
// UNSIGNED-PAYLOAD), or a refusal, decided before the body is read.
function checkPayloadHeader(value) {
  if (value === undefined) {
    return { ok: false, status: 400, code: 'InvalidRequest',
      message: 'Missing required header for this request: x-amz-content-sha256' };
  }
  if (value === 'UNSIGNED-PAYLOAD') return { ok: true, expected: null };
  if (/^[0-9a-fA-F]{64}$/.test(value)) return { ok: true, expected: value.toLowerCase() };
  return { ok: false, status: 400, code: 'InvalidArgument',
    message: 'x-amz-content-sha256 must be UNSIGNED-PAYLOAD or a valid sha256 value.',
    fields: { ArgumentName: 'x-amz-content-sha256', ArgumentValue: value } };
}

// Resolves to { size, sha256, pipeTo(destination), discard() } once `req` has ended; rejects
// (and frees what was written) when the request fails or is aborted first.
function spoolBody(req, spoolDir) {
  const file = path.join(spoolDir, `body-${process.pid}-${crypto.randomUUID()}`);
  const hash = crypto.createHash('sha256');
  let size = 0;
  const discard = () => fs.rm(file, { force: true }, () => {});
  return new Promise((resolve, reject) => {
    const counter = new PassThrough();
    counter.on('data', (chunk) => { hash.update(chunk); size += chunk.length; });
    pipeline(req, counter, fs.createWriteStream(file, { flags: 'wx', mode: 0o600 }), (err) => {
      if (err) {
        discard();
        reject(err);
        return;
      }
      resolve({
        size,
        sha256: hash.digest('hex'),
        pipeTo: (destination, onError) => pipeline(fs.createReadStream(file), destination,
          (e) => e && onError(e)),
        discard,
      });
    });
  });
}

module.exports = { checkPayloadHeader, spoolBody };
