// Reading numbers and yes/no values from the start of a String.
#include <climits>
#include <cstdint>

#include "platform/String.h"
#include "platform/Utf.h"

namespace platform {
namespace {

// White space and line breaks of Unicode, as the platform skips them before
// a number.
bool isWhiteSpaceOrNewline(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

std::size_t skipWhiteSpace(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const utf::Decoded d = utf::decodeUtf8(text, i);
        if (!isWhiteSpaceOrNewline(d.codePoint)) break;
        i += d.length;
    }
    return i;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

long long String::integerValue() const {
    const std::string& text = utf8();
    std::size_t i = skipWhiteSpace(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // The magnitude is gathered up to one past the largest negative value;
    // once a number runs beyond that, the rest of its digits are read but
    // the answer stays at the end of the range it would have passed.
    constexpr std::uint64_t kLimit = static_cast<std::uint64_t>(LLONG_MAX) + 1;
    std::uint64_t magnitude = 0;
    bool saturated = false;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        const auto digit = static_cast<std::uint64_t>(text[i] - '0');
        if (saturated || magnitude > (kLimit - digit) / 10) {
            saturated = true;
            continue;
        }
        magnitude = magnitude * 10 + digit;
    }
    if (negative) {
        if (saturated || magnitude >= kLimit) return LLONG_MIN;
        return -static_cast<long long>(magnitude);
    }
    if (saturated || magnitude > static_cast<std::uint64_t>(LLONG_MAX)) return LLONG_MAX;
    return static_cast<long long>(magnitude);
}

bool String::boolValue() const {
    const std::string& text = utf8();
    std::size_t i = skipWhiteSpace(text);
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    while (i < text.size() && text[i] == '0') ++i;
    if (i >= text.size()) return false;
    const char c = text[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

}  // namespace platform
