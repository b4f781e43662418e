'use strict';
// The request log: one JSON object per request received, appended synchronously before the
// request is answered, so a client that has its answer always finds its request in the log.

const fs = require('fs');
const { fromWireText, joinedHeaders } = require('./headers');

class RequestRecorder {
  constructor(file) {
    this.file = file;
    fs.writeFileSync(file, '');
  }

  record(req) {
    const entry = {
      method: req.method,
      target: fromWireText(req.url),
      headers: joinedHeaders(req.rawHeaders, ', '),
    };
    fs.appendFileSync(this.file, JSON.stringify(entry) + '\n');
  }
}

module.exports = { RequestRecorder };
