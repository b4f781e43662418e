#pragma once
// How the host converts between its numbers, texts and integers.
//
// - A number read as text: the shortest decimal text that reads back as the
//   same number, never in exponent form ("3.5", "-12", "4294967297").
// - A text read as a number: after leading white space, the decimal number
//   at the start (optional sign, digits, at most one point); 0 when the text
//   does not start with one. Values beyond the number type saturate.
// - A number as an integer: truncation toward zero into a signed 64-bit
//   integer, saturating at its ends (0 for a value that is not a number).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "hostsim/Export.h"

namespace skrw::hostsim {

HOSTSIM_API std::u16string numberAsText(long double value);
HOSTSIM_API long double textAsNumber(std::u16string_view text);
HOSTSIM_API std::int64_t numberAsLong(long double value);

// The value of an ASCII decimal literal as the calculation syntax writes it
// ("-12", "3.5", "1e3"); nothing when it is out of the number type's range
// or not a whole literal.
[[nodiscard]] HOSTSIM_API std::optional<long double> parseNumberLiteral(std::string_view literal);

}  // namespace skrw::hostsim
