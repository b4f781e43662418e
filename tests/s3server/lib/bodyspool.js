'use strict';
// Receives a request body whole before it is passed on, so that its SHA-256 is known before the
// store sees a byte. Small bodies stay in memory; larger ones go to a temporary file, so a body
// of any size costs a bounded amount of memory.

const crypto = require('crypto');
const fs = require('fs');
const path = require('path');
const { Writable, pipeline } = require('stream');

const MEMORY_LIMIT = 8 * 1024 * 1024;

class SpoolWriter extends Writable {
  constructor(spoolDir) {
    super();
    this.spoolDir = spoolDir;
    this.hash = crypto.createHash('sha256');
    this.chunks = [];
    this.size = 0;
    this.file = null;  // { path, fd } once the body outgrew memory
  }

  _write(chunk, encoding, done) {
    this.hash.update(chunk);
    this.size += chunk.length;
    if (!this.file && this.size <= MEMORY_LIMIT) {
      this.chunks.push(chunk);
      done();
      return;
    }
    try {
      if (!this.file) this.openFile();
    } catch (err) {
      done(err);
      return;
    }
    fs.write(this.file.fd, chunk, 0, chunk.length, null, (err) => done(err));
  }

  _final(done) {
    if (!this.file) {
      done();
      return;
    }
    fs.close(this.file.fd, (err) => {
      this.file.fd = null;
      done(err);
    });
  }

  _destroy(err, done) {
    if (this.file && this.file.fd !== null) fs.closeSync(this.file.fd);
    done(err);
  }

  // Moves what is held in memory into a new temporary file.
  openFile() {
    const name = path.join(this.spoolDir, `body-${process.pid}-${crypto.randomUUID()}`);
    const fd = fs.openSync(name, 'wx', 0o600);
    this.file = { path: name, fd };
    for (const held of this.chunks) fs.writeSync(fd, held);
    this.chunks = [];
  }
}

// A received body: its size, its SHA-256 in hex, a way to read it again, and a way to free it.
class SpooledBody {
  constructor(writer) {
    this.size = writer.size;
    this.sha256 = writer.hash.digest('hex');
    this.chunks = writer.chunks;
    this.filePath = writer.file ? writer.file.path : null;
  }

  // Writes the body to `destination` (a writable stream) and ends it.
  pipeTo(destination, onError) {
    if (!this.filePath) {
      for (const chunk of this.chunks) destination.write(chunk);
      destination.end();
      return;
    }
    pipeline(fs.createReadStream(this.filePath), destination, (err) => {
      if (err) onError(err);
    });
  }

  discard() {
    this.chunks = [];
    if (this.filePath) fs.rm(this.filePath, { force: true }, () => {});
    this.filePath = null;
  }
}

// Resolves to a SpooledBody once `req` has ended; rejects (and frees what was written) when the
// request fails or is aborted before its end.
function spoolBody(req, spoolDir) {
  return new Promise((resolve, reject) => {
    const writer = new SpoolWriter(spoolDir);
    pipeline(req, writer, (err) => {
      if (err) {
        if (writer.file) fs.rm(writer.file.path, { force: true }, () => {});
        reject(err);
        return;
      }
      resolve(new SpooledBody(writer));
    });
  });
}

module.exports = { spoolBody };
