#pragma once
// JSON string literals for pluginhost's output.
#include <string>
#include <string_view>

namespace skrw::hostsim {

// The JSON string literal (quotes included) of a UTF-16 text: characters as
// UTF-8, control characters, quote and backslash escaped, and an unpaired
// surrogate kept as its \uXXXX escape so that nothing is lost.
std::string jsonString(std::u16string_view units);
// The same for UTF-8 text (invalid bytes become U+FFFD).
std::string jsonString(std::string_view utf8);

}  // namespace skrw::hostsim
