// Construction, conversion, comparison, the text operations of String and
// the reading of numbers and yes/no values from its start. Case mapping and
// the path operations live in their own files.
#include "platform/String.h"

#include <climits>
#include <cstdint>

#include "platform/CaseMapping.h"
#include "platform/Utf.h"

namespace skrw::platform {

String String::fromUtf8(std::string_view utf8) {
    return String(utf::sanitizeUtf8(utf8));
}

String String::fromUtf16(const char16_t* units, std::size_t count) {
    if (units == nullptr || count == 0) return String(std::string());
    return String(utf::utf16ToUtf8(units, count));
}

String String::fromInteger(long long value) {
    return String(std::to_string(value));
}

const std::string& String::utf8() const {
    static const std::string kEmpty;
    return m_text ? *m_text : kEmpty;
}

std::u16string String::utf16() const {
    return m_text ? utf::utf8ToUtf16(*m_text) : u"";
}

std::size_t String::length() const {
    return m_text ? utf::utf16Length(*m_text) : 0;
}

char16_t String::characterAtIndex(std::size_t index) const {
    if (!m_text) return 0;
    const std::u16string units = utf16();
    return index < units.size() ? units[index] : 0;
}

bool String::isEqualToString(const String& other) const {
    if (isNull() || other.isNull()) return isNull() && other.isNull();
    // Both are valid UTF-8, so equal bytes and equal UTF-16 units coincide.
    return *m_text == *other.m_text;
}

String String::lowercaseString() const {
    return m_text ? String(lowercaseUtf8(*m_text)) : String();
}

String String::uppercaseString() const {
    return m_text ? String(uppercaseUtf8(*m_text)) : String();
}

std::vector<String> String::componentsSeparatedByString(const String& separator) const {
    std::vector<String> pieces;
    if (!m_text) return pieces;
    if (!isGiven(separator)) {
        pieces.push_back(*this);
        return pieces;
    }
    // Matching whole UTF-8 sequences of valid text never splits a character.
    const std::string& text = *m_text;
    const std::string& sep = *separator.m_text;
    std::size_t start = 0;
    for (std::size_t found = text.find(sep); found != std::string::npos;
         found = text.find(sep, start)) {
        pieces.push_back(String(text.substr(start, found - start)));
        start = found + sep.size();
    }
    pieces.push_back(String(text.substr(start)));
    return pieces;
}

bool String::containsString(const String& needle) const {
    // As on the platform, the empty text is contained in nothing.
    if (!m_text || !isGiven(needle)) return false;
    return m_text->find(*needle.m_text) != std::string::npos;
}

String String::stringByAppendingString(const String& tail) const {
    if (!m_text) return String();
    return String(*m_text + tail.utf8());
}

String String::stringByReplacingOccurrencesOfString(const String& target,
                                                    const String& replacement) const {
    if (!m_text) return String();
    if (!isGiven(target)) return *this;
    const std::string& text = *m_text;
    const std::string& from = *target.m_text;
    const std::string& to = replacement.utf8();
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t found = text.find(from); found != std::string::npos;
         found = text.find(from, start)) {
        out.append(text, start, found - start);
        out.append(to);
        start = found + from.size();
    }
    out.append(text, start, std::string::npos);
    return String(std::move(out));
}

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

}  // namespace skrw::platform
