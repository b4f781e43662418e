'use strict';
// Passes a checked request on to the store and its answer back to the client unchanged: same
// status, same headers (except those that only describe one connection), body streamed.

const http = require('http');
const { pipeline } = require('stream');
const { sendS3Error } = require('./s3error');

// Headers that describe a single connection, not the message; each side sets its own.
const HOP_BY_HOP = new Set(['connection', 'keep-alive', 'transfer-encoding', 'expect', 'te',
  'trailer', 'upgrade', 'proxy-connection']);

// The store decodes x-amz-copy-source with decodeURI, which leaves escapes of reserved
// characters ("%2B", "%3F", "%23", ...) undecoded. Decoding fully and encoding with encodeURI
// gives a form that decodeURI turns back into exactly the source the client named.
function copySourceForStore(value) {
  try {
    return encodeURI(decodeURIComponent(value));
  } catch {
    return value;  // malformed escapes: let the store answer for them
  }
}

// Raw header pairs -> header object for http.request (first spelling of a name, repeated
// headers as arrays), with connection headers dropped and the body length fixed.
function upstreamHeaders(rawHeaders, bodySize, hadBody) {
  const headers = {};
  const spelling = new Map();
  for (let i = 0; i + 1 < rawHeaders.length; i += 2) {
    const lower = rawHeaders[i].toLowerCase();
    if (HOP_BY_HOP.has(lower) || lower === 'content-length') continue;
    let value = rawHeaders[i + 1];
    if (lower === 'x-amz-copy-source') value = copySourceForStore(value);
    if (!spelling.has(lower)) {
      spelling.set(lower, rawHeaders[i]);
      headers[rawHeaders[i]] = value;
    } else {
      const name = spelling.get(lower);
      headers[name] = [].concat(headers[name], value);
    }
  }
  if (hadBody) headers['Content-Length'] = String(bodySize);
  return headers;
}

function answerHeaders(rawHeaders) {
  const kept = [];
  for (let i = 0; i + 1 < rawHeaders.length; i += 2) {
    if (!HOP_BY_HOP.has(rawHeaders[i].toLowerCase())) kept.push(rawHeaders[i], rawHeaders[i + 1]);
  }
  return kept;
}

class StoreProxy {
  constructor(port) {
    this.port = port;
    // A fresh connection per request: a kept-alive connection that the store closes for idling
    // just as a request is sent on it would fail that request for no fault of the client.
    this.agent = new http.Agent({ keepAlive: false });
  }

  // Sends `req` (whose body was received as `body`) to the store and relays the answer to `res`.
  forward(req, body, res) {
    const hadBody = req.headers['content-length'] !== undefined ||
      req.headers['transfer-encoding'] !== undefined;
    const upstream = http.request({
      host: '127.0.0.1',
      port: this.port,
      method: req.method,
      path: req.url,
      headers: upstreamHeaders(req.rawHeaders, body.size, hadBody),
      agent: this.agent,
    });
    const fail = (err) => {
      body.discard();
      process.stderr.write(`store request ${req.method} ${req.url} failed: ${err.message}\n`);
      if (!res.headersSent) {
        sendS3Error(req, res, 500, 'InternalError', `The store failed: ${err.message}`);
      } else {
        res.destroy(err);
      }
    };
    upstream.on('error', fail);
    upstream.on('response', (answer) => {
      res.writeHead(answer.statusCode, answer.statusMessage, answerHeaders(answer.rawHeaders));
      pipeline(answer, res, () => body.discard());
    });
    body.pipeTo(upstream, (err) => upstream.destroy(err));
  }
}

module.exports = { StoreProxy, copySourceForStore };
