#include "hostsim/Encoding.h"

namespace skrw::hostsim {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isUtf8(std::int32_t encoding) {
    return encoding == 0 || encoding == 1;
}

void appendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Decodes one UTF-8 character at `i`, advancing `i`; an invalid sequence
// yields U+FFFD and consumes one byte.
char32_t nextUtf8(std::string_view s, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    std::size_t length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + length > s.size()) {
        ++i;
        return kReplacement;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        c = (c << 6) | (b & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += length;
    return c;
}

// Decodes one character of UTF-16 at `i`, advancing `i`; `unpaired` tells
// whether it was a lone surrogate (then the unit itself is answered).
char32_t nextUtf16(std::u16string_view s, std::size_t& i, bool& unpaired) {
    const char16_t u = s[i++];
    unpaired = false;
    if (u >= 0xD800 && u <= 0xDBFF && i < s.size() && s[i] >= 0xDC00 && s[i] <= 0xDFFF) {
        return 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (s[i++] - 0xDC00);
    }
    unpaired = (u >= 0xD800 && u <= 0xDFFF);
    return u;
}

}  // namespace

bool isKnownEncoding(std::int32_t encoding) {
    return isUtf8(encoding) || encoding == 4;
}

std::u16string decodeBytes(std::string_view bytes, std::int32_t encoding) {
    if (!isUtf8(encoding)) {
        std::u16string out;
        out.reserve(bytes.size());
        for (const char b : bytes) out.push_back(static_cast<unsigned char>(b));
        return out;
    }
    return utf16FromUtf8(bytes);
}

std::string encodeUnits(std::u16string_view units, std::int32_t encoding, std::size_t maxBytes) {
    std::string out;
    std::string one;
    for (std::size_t i = 0; i < units.size();) {
        bool unpaired = false;
        const char32_t c = nextUtf16(units, i, unpaired);
        one.clear();
        if (isUtf8(encoding)) {
            appendUtf8(one, unpaired ? kReplacement : c);
        } else {
            one.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
        }
        if (out.size() + one.size() > maxBytes) break;
        out += one;
    }
    return out;
}

std::u16string utf16FromUtf8(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) appendUtf16(out, nextUtf8(utf8, i));
    return out;
}

std::string utf8FromUtf16(std::u16string_view units) {
    return encodeUnits(units, 0, static_cast<std::size_t>(-1));
}

}  // namespace skrw::hostsim
