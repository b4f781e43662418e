#pragma once
// UTF-8 and UTF-16 conversions shared by the platform string and the string
// table reader.
//
// Every function that produces UTF-8 produces valid UTF-8: an invalid UTF-8
// sequence (each maximal ill-formed subpart of it) and every unpaired UTF-16
// surrogate become U+FFFD. NUL is an ordinary character everywhere.
#include <cstddef>
#include <string>
#include <string_view>

namespace skrw::platform::utf {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// One code point read from UTF-8 text at a given position.
struct Decoded {
    char32_t codePoint;  // U+FFFD when `valid` is false
    std::size_t length;  // bytes consumed, at least 1
    bool valid;
};

// Reads the code point that starts at `position` (< text.size()). An invalid
// sequence consumes its maximal ill-formed subpart, as Unicode recommends, so
// one bad byte never swallows the valid characters after it.
Decoded decodeUtf8(std::string_view text, std::size_t position);

// Appends the UTF-8 form of `codePoint`; surrogates and values beyond
// U+10FFFF are appended as U+FFFD.
void appendUtf8(std::string& out, char32_t codePoint);

bool isValidUtf8(std::string_view text);
// `text` with every invalid sequence replaced by U+FFFD.
std::string sanitizeUtf8(std::string_view text);

// UTF-16 units to UTF-8; unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(const char16_t* units, std::size_t count);
// Valid UTF-8 to UTF-16 units.
std::u16string utf8ToUtf16(std::string_view validUtf8);
// Number of UTF-16 units that valid UTF-8 text takes.
std::size_t utf16Length(std::string_view validUtf8);

bool isHighSurrogate(char32_t unit);
bool isLowSurrogate(char32_t unit);
char32_t combineSurrogates(char32_t high, char32_t low);

}  // namespace skrw::platform::utf
