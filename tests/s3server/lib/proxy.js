'use strict';
// Passes a checked request on to the store and its answer back unchanged: same status, same
// headers (except those that describe one connection only), body streamed.

const http = require('http');
const { pipeline } = require('stream');
const { sendS3Error } = require('./s3error');

const HOP_BY_HOP = new Set(['connection', 'keep-alive', 'transfer-encoding', 'expect', 'te',
  'trailer', 'upgrade', 'proxy-connection']);

// The store decodes x-amz-copy-source with decodeURI, which leaves escapes of reserved characters
// ("%2B", "%3F", "%23") undecoded; encodeURI of the fully decoded source survives that intact.
function copySourceForStore(value) {
  try {
    return encodeURI(decodeURIComponent(value));
  } catch {
    return value;  // malformed escapes: the store answers for them
  }
}

// Raw header pairs -> headers for http.request, connection headers dropped, body length fixed.
function upstreamHeaders(rawHeaders, bodySize) {
  const headers = {};
  for (let i = 0; i + 1 < rawHeaders.length; i += 2) {
    const name = rawHeaders[i].toLowerCase();
    if (HOP_BY_HOP.has(name) || name === 'content-length') continue;
    const value = name === 'x-amz-copy-source' ? copySourceForStore(rawHeaders[i + 1])
      : rawHeaders[i + 1];
    headers[name] = name in headers ? [].concat(headers[name], value) : value;
  }
  headers['content-length'] = String(bodySize);
  return headers;
}

const answerHeaders = (raw) =>
  raw.filter((_, i) => !HOP_BY_HOP.has(raw[i - (i % 2)].toLowerCase()));

// A fresh connection per request: a kept-alive one that the store closes for idling just as a
// request is sent on it would fail that request for no fault of the client.
const agent = new http.Agent({ keepAlive: false });

// Sends `req` (whose body was received as `body`) to the store on `port`, the answer to `res`.
function forward(port, req, body, res) {
  const upstream = http.request({ host: '127.0.0.1', port, method: req.method, path: req.url,
    headers: upstreamHeaders(req.rawHeaders, body.size), agent });
  upstream.on('error', (err) => {
    body.discard();
    process.stderr.write(`store request ${req.method} ${req.url} failed: ${err.message}\n`);
    if (res.headersSent) res.destroy(err);
    else sendS3Error(req, res, 500, 'InternalError', `The store failed: ${err.message}`);
  });
  upstream.on('response', (answer) => {
    res.writeHead(answer.statusCode, answer.statusMessage, answerHeaders(answer.rawHeaders));
    pipeline(answer, res, () => body.discard());
  });
  body.pipeTo(upstream, (err) => upstream.destroy(err));
}

module.exports = { forward };
