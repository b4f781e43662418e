#include "platform/Utf.h"

namespace skrw::platform::utf {
namespace {

struct ByteRange {
    unsigned char low;
    unsigned char high;
};

constexpr ByteRange kContinuation{0x80, 0xBF};

// The sequence length a lead byte announces and the range its second byte
// must fall in (narrower than the plain continuation range where that rules
// out overlong forms, surrogates and values beyond U+10FFFF).
struct LeadInfo {
    std::size_t length;
    ByteRange second;
};

LeadInfo leadInfo(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return {2, kContinuation};
    if (lead == 0xE0) return {3, {0xA0, 0xBF}};
    if (lead == 0xED) return {3, {0x80, 0x9F}};
    if (lead >= 0xE1 && lead <= 0xEF) return {3, kContinuation};
    if (lead == 0xF0) return {4, {0x90, 0xBF}};
    if (lead >= 0xF1 && lead <= 0xF3) return {4, kContinuation};
    if (lead == 0xF4) return {4, {0x80, 0x8F}};
    return {0, kContinuation};
}

bool inRange(unsigned char byte, ByteRange range) {
    return byte >= range.low && byte <= range.high;
}

}  // namespace

bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

char32_t combineSurrogates(char32_t high, char32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

Decoded decodeUtf8(std::string_view text, std::size_t position) {
    const auto lead = static_cast<unsigned char>(text[position]);
    if (lead < 0x80) return {lead, 1, true};

    const LeadInfo info = leadInfo(lead);
    if (info.length == 0) return {kReplacementCharacter, 1, false};

    char32_t value = lead & (0xFF >> (info.length + 1));
    std::size_t consumed = 1;
    while (consumed < info.length) {
        const std::size_t at = position + consumed;
        if (at >= text.size()) return {kReplacementCharacter, consumed, false};
        const auto byte = static_cast<unsigned char>(text[at]);
        const ByteRange allowed = consumed == 1 ? info.second : kContinuation;
        if (!inRange(byte, allowed)) return {kReplacementCharacter, consumed, false};
        value = (value << 6) | (byte & 0x3F);
        ++consumed;
    }
    return {value, consumed, true};
}

void appendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        codePoint = kReplacementCharacter;
    }
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const Decoded d = decodeUtf8(text, i);
        if (!d.valid) return false;
        i += d.length;
    }
    return true;
}

std::string sanitizeUtf8(std::string_view text) {
    if (isValidUtf8(text)) return std::string(text);
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size();) {
        const Decoded d = decodeUtf8(text, i);
        if (d.valid) {
            out.append(text.substr(i, d.length));
        } else {
            appendUtf8(out, kReplacementCharacter);
        }
        i += d.length;
    }
    return out;
}

std::string utf16ToUtf8(const char16_t* units, std::size_t count) {
    std::string out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const char32_t unit = units[i];
        if (isHighSurrogate(unit) && i + 1 < count && isLowSurrogate(units[i + 1])) {
            appendUtf8(out, combineSurrogates(unit, units[i + 1]));
            ++i;
        } else {
            // A surrogate that is not part of a pair comes out as U+FFFD.
            appendUtf8(out, unit);
        }
    }
    return out;
}

std::u16string utf8ToUtf16(std::string_view validUtf8) {
    std::u16string out;
    out.reserve(validUtf8.size());
    for (std::size_t i = 0; i < validUtf8.size();) {
        const Decoded d = decodeUtf8(validUtf8, i);
        i += d.length;
        if (d.codePoint >= 0x10000) {
            const char32_t v = d.codePoint - 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(d.codePoint));
        }
    }
    return out;
}

std::size_t utf16Length(std::string_view validUtf8) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < validUtf8.size();) {
        const Decoded d = decodeUtf8(validUtf8, i);
        i += d.length;
        units += d.codePoint >= 0x10000 ? 2 : 1;
    }
    return units;
}

}  // namespace skrw::platform::utf
