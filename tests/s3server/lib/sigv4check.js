'use strict';
// Checks a request's SigV4 authorization as S3 does: access key, signing time (15 minutes either
// way), host and every x-amz-* header sent among the signed ones, and the signature made again by
// AWS's own JavaScript signer from the request as it arrived (raw path, decoded query).

const { SignatureV4 } = require('@smithy/signature-v4');
const { HttpRequest } = require('@smithy/protocol-http');
const { Sha256 } = require('@aws-crypto/sha256-js');

const MAX_SKEW_MS = 15 * 60 * 1000;
const credentials = { accessKeyId: 'S3RVER', secretAccessKey: 'S3RVER' };

// Node hands header values and the target over one character per byte; the client meant UTF-8.
const wireText = (latin1) => Buffer.from(latin1, 'latin1').toString('utf8');
const refusal = (status, code, message, fields) => ({ status, code, message, fields });

function parseAuthorization(value) {
  const m = /^AWS4-HMAC-SHA256 Credential=([^,]+), ?SignedHeaders=([^,]+), ?Signature=(\w+)$/
    .exec(value || '');
  const scope = m ? m[1].split('/') : [];
  if (scope.length !== 5 || scope[4] !== 'aws4_request') return null;
  return { accessKeyId: scope[0], region: scope[2], signedHeaders: m[2], signature: m[3] };
}

// Decoded names and values, repeated names as arrays. Throws URIError on a malformed escape.
function parseQuery(rawQuery) {
  const query = Object.create(null);
  for (const piece of rawQuery.split('&').filter((p) => p !== '')) {
    const eq = piece.includes('=') ? piece.indexOf('=') : piece.length;
    const name = decodeURIComponent(piece.slice(0, eq)), value = decodeURIComponent(piece.slice(eq + 1));
    query[name] = name in query ? [].concat(query[name], value) : value;
  }
  return query;
}

async function signatureFor(req, auth, signingDate, signed) {
  const headers = {};  // every occurrence joined with ",", as SigV4 signs them
  for (let i = 0; i + 1 < req.rawHeaders.length; i += 2) {
    const name = req.rawHeaders[i].toLowerCase(), value = wireText(req.rawHeaders[i + 1]);
    headers[name] = name in headers ? `${headers[name]},${value}` : value;
  }
  const target = wireText(req.url);
  const q = target.includes('?') ? target.indexOf('?') : target.length;
  const request = new HttpRequest({ method: req.method, protocol: 'http:',
    hostname: (headers.host || '').replace(/:\d+$/, ''), path: target.slice(0, q),
    query: parseQuery(target.slice(q + 1)), headers });
  const signer = new SignatureV4({ service: 's3', region: auth.region, credentials,
    sha256: Sha256, uriEscapePath: false, applyChecksum: false });
  const unsigned = new Set(Object.keys(headers).filter((name) => !signed.has(name)));
  const result = await signer.sign(request, { signingDate, signableHeaders: signed,
    unsignableHeaders: unsigned });
  return parseAuthorization(result.headers.authorization);
}

// Resolves to null when S3 would accept the request's authorization, else to the refusal.
async function checkSignature(req) {
  if (req.headers.authorization === undefined) return refusal(403, 'AccessDenied', 'Access Denied');
  const auth = parseAuthorization(req.headers.authorization);
  if (!auth) {
    return refusal(400, 'AuthorizationHeaderMalformed', 'The authorization header is malformed.');
  }
  if (auth.accessKeyId !== credentials.accessKeyId) {
    return refusal(403, 'InvalidAccessKeyId',
      'The AWS Access Key Id you provided does not exist in our records.',
      { AWSAccessKeyId: auth.accessKeyId });
  }
  const amzDate = req.headers['x-amz-date'] || '';
  const d = /^(\d{4})(\d\d)(\d\d)T(\d\d)(\d\d)(\d\d)Z$/.exec(amzDate);
  if (!d) {
    return refusal(403, 'AccessDenied', 'AWS authentication requires a valid Date or x-amz-date header');
  }
  const date = new Date(Date.UTC(d[1], d[2] - 1, d[3], d[4], d[5], d[6]));
  if (Math.abs(Date.now() - date.getTime()) > MAX_SKEW_MS) {
    return refusal(403, 'RequestTimeTooSkewed',
      'The difference between the request time and the current time is too large.',
      { RequestTime: amzDate, ServerTime: new Date().toISOString() });
  }
  const signed = new Set(auth.signedHeaders.split(';'));
  const notSigned = Object.keys(req.headers)
    .filter((name) => (name === 'host' || name.startsWith('x-amz-')) && !signed.has(name));
  if (notSigned.length > 0) {
    return refusal(403, 'AccessDenied', 'There were headers present in the request which were not signed',
      { HeadersNotSigned: notSigned.join(', ') });
  }
  let expected;
  try {
    expected = await signatureFor(req, auth, date, signed);
  } catch (err) {
    return refusal(400, 'InvalidRequest', `The request cannot be signed again: ${err.message}`);
  }
  if (expected.signature === auth.signature && expected.signedHeaders === auth.signedHeaders) {
    return null;
  }
  return refusal(403, 'SignatureDoesNotMatch', 'The request signature we calculated does not ' +
    'match the signature you provided. Check your key and signing method.',
    { AWSAccessKeyId: auth.accessKeyId, SignatureProvided: auth.signature });
}

module.exports = { checkSignature, wireText };
