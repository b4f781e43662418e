#pragma once
// Reader of string table files: UTF-8 text (an optional byte order mark at
// the start) holding entries
//
//     "key" = "value";
//     "key";              (the key is its own value)
//
// separated by white space, /* block */ and // line comments. Inside the
// quotes: \" \\ \' \/ \n \t \r and \uXXXX (also spelt \UXXXX; four hex
// digits, one UTF-16 unit; a surrogate pair written as two escapes gives one
// character, an unpaired surrogate U+FFFD). A later entry for the same key
// replaces an earlier one.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace skrw::platform {

using StringTable = std::unordered_map<std::string, std::string>;

// The table's entries (keys and values as UTF-8), or nothing when the text
// is not a well-formed table: invalid UTF-8, an unknown escape, an
// unterminated string or comment, a missing "=" or ";", anything else
// between the entries.
[[nodiscard]] std::optional<StringTable> parseStringsFile(std::string_view text);

}  // namespace skrw::platform
