'use strict';
// Error answers as S3 gives them: an XML <Error> with Code, Message, further fields and a
// RequestId; no body for HEAD.

const crypto = require('crypto');

const escapeXml = (text) => String(text).replace(/[<>&]/g,
  (c) => ({ '<': '&lt;', '>': '&gt;', '&': '&amp;' })[c]);

function sendS3Error(req, res, status, code, message, fields) {
  const requestId = crypto.randomBytes(8).toString('hex').toUpperCase();
  const extra = Object.entries(fields || {}).map(([n, v]) => `<${n}>${escapeXml(v)}</${n}>`);
  const body = Buffer.from('<?xml version="1.0" encoding="UTF-8"?>\n<Error>' +
    `<Code>${code}</Code><Message>${escapeXml(message)}</Message>${extra.join('')}` +
    `<RequestId>${requestId}</RequestId></Error>`);
  res.writeHead(status, { 'Content-Type': 'application/xml', 'Content-Length': body.length,
    'x-amz-request-id': requestId });
  res.end(req.method === 'HEAD' ? undefined : body);
}

module.exports = { sendS3Error };
