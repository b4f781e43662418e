'use strict';
// Checks a request's AWS Signature Version 4 as S3 does: the access key, the signing time (15
// minutes either way), that host and every x-amz-* header sent are signed, and the signature,
// made again with AWS's own JavaScript signer from the request as it arrived: the raw path (S3
// signs paths as sent), the query decoded (the signer encodes and sorts it), the listed headers.

const crypto = require('crypto');
const { SignatureV4, getCanonicalHeaders } = require('@smithy/signature-v4');
const { HttpRequest } = require('@smithy/protocol-http');
const { Sha256 } = require('@aws-crypto/sha256-js');

const MAX_SKEW_MS = 15 * 60 * 1000;
const EMPTY_SHA256 = 'e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855';

function refusal(status, code, message, fields) {
  return { ok: false, status, code, message, fields: fields || {} };
}

// Node hands header values and the target over one character per byte; the client meant UTF-8.
const wireText = (latin1) => Buffer.from(latin1, 'latin1').toString('utf8');

function parseAuthorization(value) {
  const m = /^AWS4-HMAC-SHA256 Credential=([^,]+), ?SignedHeaders=([^,]+), ?Signature=(\w+)$/
    .exec(value || '');
  const scope = m ? m[1].split('/') : [];
  if (scope.length !== 5 || scope[4] !== 'aws4_request') return null;
  return { accessKeyId: scope[0], region: scope[2], signedHeaders: m[2], signature: m[3] };
}

// "20240102T030405Z" -> Date, or null when the text is not in that form.
function parseAmzDate(text) {
  const m = /^(\d{4})(\d{2})(\d{2})T(\d{2})(\d{2})(\d{2})Z$/.exec(text || '');
  return m ? new Date(Date.UTC(+m[1], +m[2] - 1, +m[3], +m[4], +m[5], +m[6])) : null;
}

// Names and values decoded, repeated names as arrays. Throws URIError on a malformed escape.
function parseQuery(rawQuery) {
  const query = Object.create(null);
  for (const piece of rawQuery.split('&').filter((p) => p !== '')) {
    const eq = piece.includes('=') ? piece.indexOf('=') : piece.length;
    const name = decodeURIComponent(piece.slice(0, eq));
    const value = decodeURIComponent(piece.slice(eq + 1));
    query[name] = name in query ? [].concat(query[name], value) : value;
  }
  return query;
}

// Lower-case name -> values of every occurrence joined with ",", as SigV4 signs them.
function signableHeaders(rawHeaders) {
  const headers = {};
  for (let i = 0; i + 1 < rawHeaders.length; i += 2) {
    const name = rawHeaders[i].toLowerCase();
    const value = wireText(rawHeaders[i + 1]);
    headers[name] = name in headers ? `${headers[name]},${value}` : value;
  }
  return headers;
}

class SignatureChecker {
  constructor(accessKeyId, secretAccessKey) {
    this.credentials = { accessKeyId, secretAccessKey };
  }

  // Resolves to { ok: true } or a refusal.
  async check(req) {
    if (req.headers.authorization === undefined) {
      return refusal(403, 'AccessDenied', 'Access Denied');
    }
    const auth = parseAuthorization(req.headers.authorization);
    if (!auth) {
      return refusal(400, 'AuthorizationHeaderMalformed', 'The authorization header is malformed.');
    }
    if (auth.accessKeyId !== this.credentials.accessKeyId) {
      return refusal(403, 'InvalidAccessKeyId',
        'The AWS Access Key Id you provided does not exist in our records.',
        { AWSAccessKeyId: auth.accessKeyId });
    }
    const date = parseAmzDate(req.headers['x-amz-date']);
    if (!date) {
      return refusal(403, 'AccessDenied',
        'AWS authentication requires a valid Date or x-amz-date header');
    }
    if (Math.abs(Date.now() - date.getTime()) > MAX_SKEW_MS) {
      return refusal(403, 'RequestTimeTooSkewed',
        'The difference between the request time and the current time is too large.',
        { RequestTime: req.headers['x-amz-date'], ServerTime: new Date().toISOString(),
          MaxAllowedSkewMilliseconds: MAX_SKEW_MS });
    }
    const signed = new Set(auth.signedHeaders.split(';'));
    const notSigned = Object.keys(req.headers)
      .filter((name) => (name === 'host' || name.startsWith('x-amz-')) && !signed.has(name));
    if (notSigned.length > 0) {
      return refusal(403, 'AccessDenied',
        'There were headers present in the request which were not signed',
        { HeadersNotSigned: notSigned.join(', ') });
    }
    let expected;
    try {
      expected = await this.sign(req, auth, date, signed);
    } catch (err) {
      return refusal(400, 'InvalidRequest', `The request cannot be signed again: ${err.message}`);
    }
    const same = expected.signature.length === auth.signature.length &&
      crypto.timingSafeEqual(Buffer.from(expected.signature), Buffer.from(auth.signature));
    if (!same || expected.signedHeaders !== auth.signedHeaders) {
      return refusal(403, 'SignatureDoesNotMatch',
        'The request signature we calculated does not match the signature you provided. ' +
        'Check your key and signing method.',
        { AWSAccessKeyId: auth.accessKeyId, SignatureProvided: auth.signature,
          CanonicalRequest: expected.canonicalRequest });
    }
    return { ok: true };
  }

  async sign(req, auth, signingDate, signed) {
    const target = wireText(req.url);
    const q = target.includes('?') ? target.indexOf('?') : target.length;
    const headers = signableHeaders(req.rawHeaders);
    const unsigned = new Set(Object.keys(headers).filter((name) => !signed.has(name)));
    const request = new HttpRequest({
      method: req.method, protocol: 'http:', hostname: (headers.host || '').replace(/:\d+$/, ''),
      path: target.slice(0, q), query: parseQuery(target.slice(q + 1)), headers,
    });
    const signer = new SignatureV4({ service: 's3', region: auth.region,
      credentials: this.credentials, sha256: Sha256, uriEscapePath: false, applyChecksum: false });
    const signedRequest = await signer.sign(request, { signingDate, signingRegion: auth.region,
      signingService: 's3', signableHeaders: signed, unsignableHeaders: unsigned });
    const result = parseAuthorization(signedRequest.headers.authorization);
    delete signedRequest.headers.authorization;
    const canonicalHeaders = getCanonicalHeaders(signedRequest, unsigned, signed);
    return { signature: result.signature, signedHeaders: result.signedHeaders,
      canonicalRequest: signer.createCanonicalRequest(signedRequest, canonicalHeaders,
        headers['x-amz-content-sha256'] || EMPTY_SHA256) };
  }
}

module.exports = { SignatureChecker, wireText };
