#pragma once
// Conversions between the host's UTF-16 texts and 8-bit encodings.
//
// Encoding codes: 0 (native) and 1 are UTF-8, 4 is ISO-8859-1. Decoding
// UTF-8 turns every invalid or truncated sequence into U+FFFD; encoding turns
// an unpaired surrogate into U+FFFD (UTF-8) and a character that has no form
// in ISO-8859-1 into "?".
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "hostsim/Export.h"

namespace skrw::hostsim {

HOSTSIM_API bool isKnownEncoding(std::int32_t encoding);

// The UTF-16 form of `bytes` in `encoding` (which must be known).
HOSTSIM_API std::u16string decodeBytes(std::string_view bytes, std::int32_t encoding);

// The bytes of `units` in `encoding` (which must be known), whole characters
// only, stopping before the first character that would make the result
// longer than `maxBytes`.
HOSTSIM_API std::string encodeUnits(std::u16string_view units, std::int32_t encoding,
                                    std::size_t maxBytes);

HOSTSIM_API std::u16string utf16FromUtf8(std::string_view utf8);
HOSTSIM_API std::string utf8FromUtf16(std::u16string_view units);

}  // namespace skrw::hostsim
