'use strict';
// Checks a request's AWS Signature Version 4 by signing the same request again with AWS's own
// JavaScript signer and comparing the two signatures. The request is given to the signer as it
// arrived: the raw path (S3 signs paths as sent, encoded once, so the signer must not escape it
// again), the query parameters decoded (the signer encodes and sorts them itself), exactly the
// headers the client listed as signed, and the client's own x-amz-date.

const crypto = require('crypto');
const { SignatureV4, getCanonicalHeaders } = require('@smithy/signature-v4');
const { HttpRequest } = require('@smithy/protocol-http');
const { Sha256 } = require('@aws-crypto/sha256-js');
const { fromWireText, joinedHeaders } = require('./headers');

const MISMATCH_MESSAGE =
  'The request signature we calculated does not match the signature you provided. ' +
  'Check your key and signing method.';

// A refusal: the HTTP status, the S3 error code, the message and extra <Error> fields.
function refusal(status, code, message, fields) {
  return { ok: false, status, code, message, fields: fields || {} };
}

function parseAuthorization(value) {
  const match = /^AWS4-HMAC-SHA256\s+(.*)$/s.exec(value);
  if (!match) return null;
  const parts = {};
  for (const piece of match[1].split(',')) {
    const eq = piece.indexOf('=');
    if (eq < 0) continue;
    parts[piece.slice(0, eq).trim()] = piece.slice(eq + 1).trim();
  }
  if (!parts.Credential || !parts.SignedHeaders || !parts.Signature) return null;
  const scope = parts.Credential.split('/');
  if (scope.length !== 5 || scope[4] !== 'aws4_request') return null;
  return {
    accessKeyId: scope[0],
    scopeDate: scope[1],
    region: scope[2],
    service: scope[3],
    signedHeaders: parts.SignedHeaders.split(';'),
    signature: parts.Signature,
  };
}

// "20240102T030405Z" -> Date, or null when the text is not in that form.
function parseAmzDate(text) {
  const m = /^(\d{4})(\d{2})(\d{2})T(\d{2})(\d{2})(\d{2})Z$/.exec(text || '');
  if (!m) return null;
  const date = new Date(Date.UTC(+m[1], +m[2] - 1, +m[3], +m[4], +m[5], +m[6]));
  return isNaN(date.getTime()) ? null : date;
}

// The raw query string as the signer wants it: names and values decoded, repeated names as
// arrays, a name without "=" with the empty value. Throws URIError on a malformed escape.
function parseQuery(rawQuery) {
  const query = {};
  for (const piece of rawQuery.split('&')) {
    if (piece === '') continue;
    const eq = piece.indexOf('=');
    const name = decodeURIComponent(eq < 0 ? piece : piece.slice(0, eq));
    const value = eq < 0 ? '' : decodeURIComponent(piece.slice(eq + 1));
    if (!Object.prototype.hasOwnProperty.call(query, name)) {
      Object.defineProperty(query, name, {
        value, enumerable: true, writable: true, configurable: true,
      });
    } else if (Array.isArray(query[name])) {
      query[name].push(value);
    } else {
      query[name] = [query[name], value];
    }
  }
  return query;
}

function timingSafeEqualText(a, b) {
  const x = Buffer.from(a);
  const y = Buffer.from(b);
  return x.length === y.length && crypto.timingSafeEqual(x, y);
}

class SignatureChecker {
  constructor(accessKeyId, secretAccessKey) {
    this.credentials = { accessKeyId, secretAccessKey };
  }

  // Resolves to { ok: true } or a refusal.
  async check(req) {
    const authorization = req.headers.authorization;
    if (authorization === undefined) {
      return refusal(403, 'SignatureDoesNotMatch',
        'Request is not signed: this server accepts only requests with an ' +
        'AWS4-HMAC-SHA256 Authorization header.');
    }
    const auth = parseAuthorization(authorization);
    if (!auth) {
      return refusal(403, 'SignatureDoesNotMatch',
        'The Authorization header is not a well-formed AWS4-HMAC-SHA256 header.',
        { Authorization: authorization });
    }
    if (auth.accessKeyId !== this.credentials.accessKeyId) {
      return refusal(403, 'InvalidAccessKeyId',
        'The AWS Access Key Id you provided does not exist in our records.',
        { AWSAccessKeyId: auth.accessKeyId });
    }
    const signingDate = parseAmzDate(req.headers['x-amz-date']);
    if (!signingDate) {
      return refusal(403, 'SignatureDoesNotMatch',
        'The request carries no valid x-amz-date header (expected YYYYMMDDTHHMMSSZ).');
    }
    let expected;
    try {
      expected = await this.sign(req, auth, signingDate);
    } catch (err) {
      return refusal(403, 'SignatureDoesNotMatch',
        `The request could not be signed again for checking: ${err.message}`);
    }
    if (expected.signedHeaders !== auth.signedHeaders.join(';') ||
        !timingSafeEqualText(expected.signature, auth.signature)) {
      return refusal(403, 'SignatureDoesNotMatch', MISMATCH_MESSAGE, {
        AWSAccessKeyId: auth.accessKeyId,
        SignatureProvided: auth.signature,
        SignedHeadersProvided: auth.signedHeaders.join(';'),
        SignedHeadersExpected: expected.signedHeaders,
        CanonicalRequest: expected.canonicalRequest,
      });
    }
    return { ok: true };
  }

  async sign(req, auth, signingDate) {
    const target = fromWireText(req.url);
    const q = target.indexOf('?');
    const path = q < 0 ? target : target.slice(0, q);
    const query = q < 0 ? {} : parseQuery(target.slice(q + 1));
    const headers = joinedHeaders(req.rawHeaders, ',');
    const signed = new Set(auth.signedHeaders);
    const unsigned = new Set(Object.keys(headers).filter((name) => !signed.has(name)));
    const hostHeader = headers.host || '';
    const request = new HttpRequest({
      method: req.method,
      protocol: 'http:',
      hostname: hostHeader.replace(/:\d+$/, ''),
      path,
      query,
      headers,
    });
    const signer = new SignatureV4({
      service: 's3',
      region: auth.region,
      credentials: this.credentials,
      sha256: Sha256,
      uriEscapePath: false,
      applyChecksum: false,
    });
    const options = {
      signingDate,
      signingRegion: auth.region,
      signingService: 's3',
      signableHeaders: signed,
      unsignableHeaders: unsigned,
    };
    const signedRequest = await signer.sign(request, options);
    const result = parseAuthorization(signedRequest.headers.authorization);
    delete signedRequest.headers.authorization;
    const canonicalHeaders = getCanonicalHeaders(signedRequest, unsigned, signed);
    const payloadHash = headers['x-amz-content-sha256'] ||
      'e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855';
    return {
      signature: result.signature,
      signedHeaders: result.signedHeaders.join(';'),
      canonicalRequest: signer.createCanonicalRequest(signedRequest, canonicalHeaders, payloadHash),
    };
  }
}

module.exports = { SignatureChecker, parseQuery, parseAmzDate };
