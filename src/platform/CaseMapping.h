#pragma once
// Unicode case mapping of UTF-8 text.
//
// Every character is mapped by the Unicode case tables, not only A-Z: "é"
// upper-cases to "É", "Ж" lower-cases to "ж". The unconditional full mappings
// that change a character into several ("ß" to "SS", the Latin ligatures
// such as "ﬁ" to "FI", "İ" to "i" with a combining dot) are applied too;
// mappings that depend on the language or on the surrounding text are not.
// Safe to call from any thread.
#include <string>
#include <string_view>

namespace skrw::platform {

// `validUtf8` must be valid UTF-8; the results are valid UTF-8.
std::string lowercaseUtf8(std::string_view validUtf8);
std::string uppercaseUtf8(std::string_view validUtf8);

}  // namespace skrw::platform
