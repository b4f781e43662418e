'use strict';
// The x-amz-content-sha256 header: over plain HTTP the body must hash to the value signed,
// unless the client declared the payload unsigned.

const UNSIGNED = 'UNSIGNED-PAYLOAD';

// Decides, before the body is read, how the body will be checked: { ok, expected } where
// expected is the hash to compare with (null: not checked), or a refusal.
function checkPayloadHeader(value) {
  if (value === undefined) {
    return { ok: false, status: 400, code: 'InvalidRequest',
      message: 'Missing required header for this request: x-amz-content-sha256' };
  }
  if (value === UNSIGNED) return { ok: true, expected: null };
  if (/^[0-9a-fA-F]{64}$/.test(value)) return { ok: true, expected: value };
  if (value.startsWith('STREAMING-')) {
    return { ok: false, status: 501, code: 'NotImplemented',
      message: `This server does not accept ${value} bodies.` };
  }
  return { ok: false, status: 400, code: 'InvalidArgument',
    message: 'x-amz-content-sha256 must be UNSIGNED-PAYLOAD or a valid sha256 value.',
    fields: { ArgumentName: 'x-amz-content-sha256', ArgumentValue: value } };
}

// The refusal for a body whose hash is not the one signed, or null when it matches.
function payloadMismatch(decision, actual) {
  if (decision.expected === null || decision.expected.toLowerCase() === actual) return null;
  return { status: 400, code: 'XAmzContentSHA256Mismatch',
    message: "The provided 'x-amz-content-sha256' header does not match what was computed.",
    fields: { ClientComputedContentSHA256: decision.expected, S3ComputedContentSHA256: actual } };
}

module.exports = { checkPayloadHeader, payloadMismatch };
