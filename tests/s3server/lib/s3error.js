'use strict';
// Error answers in the form S3 gives them: an XML <Error> document with Code, Message, any
// further fields, and a RequestId; no body for HEAD requests.

const crypto = require('crypto');

// Text content needs only these three escaped; quotes stay as they are, as S3 writes them.
function escapeXml(text) {
  return String(text).replace(/[<>&]/g, (c) => ({ '<': '&lt;', '>': '&gt;', '&': '&amp;' })[c]);
}

function errorDocument(code, message, fields, requestId) {
  let xml = '<?xml version="1.0" encoding="UTF-8"?>\n<Error>';
  xml += `<Code>${escapeXml(code)}</Code><Message>${escapeXml(message)}</Message>`;
  for (const [name, value] of Object.entries(fields || {})) {
    xml += `<${name}>${escapeXml(value)}</${name}>`;
  }
  xml += `<RequestId>${requestId}</RequestId></Error>`;
  return xml;
}

function sendS3Error(req, res, status, code, message, fields) {
  const requestId = crypto.randomBytes(8).toString('hex').toUpperCase();
  const body = Buffer.from(errorDocument(code, message, fields, requestId), 'utf8');
  res.writeHead(status, {
    'Content-Type': 'application/xml',
    'Content-Length': body.length,
    'x-amz-request-id': requestId,
  });
  res.end(req.method === 'HEAD' ? undefined : body);
}

module.exports = { sendS3Error, escapeXml };
