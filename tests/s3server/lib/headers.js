'use strict';
// Request headers as the bytes the client sent. Node hands header values and the request target
// over as Latin-1 strings (one character per byte); these helpers turn them back into the text
// the client meant when the bytes are UTF-8, and keep them one character per byte otherwise.

const utf8 = new TextDecoder('utf-8', { fatal: true });

function fromWireText(latin1) {
  if (!/[^\x00-\x7f]/.test(latin1)) return latin1;
  try {
    return utf8.decode(Buffer.from(latin1, 'latin1'));
  } catch {
    return latin1;
  }
}

// Lower-case header name -> the values of every occurrence, in order.
function headerValues(rawHeaders) {
  const values = new Map();
  for (let i = 0; i + 1 < rawHeaders.length; i += 2) {
    const name = rawHeaders[i].toLowerCase();
    if (!values.has(name)) values.set(name, []);
    values.get(name).push(fromWireText(rawHeaders[i + 1]));
  }
  return values;
}

// Lower-case header name -> the values joined with `separator`.
function joinedHeaders(rawHeaders, separator) {
  const joined = {};
  for (const [name, values] of headerValues(rawHeaders)) {
    Object.defineProperty(joined, name, {
      value: values.join(separator), enumerable: true, writable: true, configurable: true,
    });
  }
  return joined;
}

module.exports = { fromWireText, joinedHeaders };
