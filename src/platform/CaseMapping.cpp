#include "platform/CaseMapping.h"

#include <locale.h>
#include <wctype.h>

#include <array>

#include "platform/Utf.h"

namespace skrw::platform {
namespace {

// The C library's Unicode locale, whose character class tables carry the
// simple case mappings of the whole Unicode range. It is created once, never
// changed afterwards and handed to the *_l functions explicitly, so neither
// the process's own locale nor another thread can affect a mapping. Keeping
// it for the life of the process is what makes each mapping cheap; it holds
// no data of the caller.
class UnicodeLocale {
  public:
    UnicodeLocale() {
        for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
            m_handle = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(nullptr));
            if (m_handle != static_cast<locale_t>(nullptr)) break;
        }
    }
    ~UnicodeLocale() {
        if (m_handle != static_cast<locale_t>(nullptr)) freelocale(m_handle);
    }
    UnicodeLocale(const UnicodeLocale&) = delete;
    UnicodeLocale& operator=(const UnicodeLocale&) = delete;

    char32_t upper(char32_t c) const { return map(c, towupper_l, 'a', 'z', -32); }
    char32_t lower(char32_t c) const { return map(c, towlower_l, 'A', 'Z', 32); }

  private:
    using Mapper = wint_t (*)(wint_t, locale_t);

    char32_t map(char32_t c, Mapper mapper, char32_t first, char32_t last, int shift) const {
        if (m_handle != static_cast<locale_t>(nullptr)) {
            return static_cast<char32_t>(mapper(static_cast<wint_t>(c), m_handle));
        }
        // Only when the C library offers no Unicode locale at all.
        return c >= first && c <= last ? static_cast<char32_t>(static_cast<int>(c) + shift) : c;
    }

    locale_t m_handle = static_cast<locale_t>(nullptr);
};

const UnicodeLocale& unicodeLocale() {
    static const UnicodeLocale instance;
    return instance;
}

// A character whose case mapping is more than one character.
struct FullMapping {
    char32_t from;
    const char* to;  // UTF-8
};

constexpr std::array kUpperFullMappings{
    FullMapping{0x00DF, "SS"},  // sharp s
    FullMapping{0x0149,
                "\xCA\xBC"
                "N"},                         // n preceded by apostrophe
    FullMapping{0x01F0, "J\xCC\x8C"},         // j with caron
    FullMapping{0x0587, "\xD4\xB5\xD5\x92"},  // Armenian ech-yiwn
    FullMapping{0x1E96, "H\xCC\xB1"},         // h with line below
    FullMapping{0x1E97, "T\xCC\x88"},         // t with diaeresis
    FullMapping{0x1E98, "W\xCC\x8A"},         // w with ring above
    FullMapping{0x1E99, "Y\xCC\x8A"},         // y with ring above
    FullMapping{0xFB00, "FF"},
    FullMapping{0xFB01, "FI"},
    FullMapping{0xFB02, "FL"},
    FullMapping{0xFB03, "FFI"},
    FullMapping{0xFB04, "FFL"},
    FullMapping{0xFB05, "ST"},
    FullMapping{0xFB06, "ST"},
};

constexpr std::array kLowerFullMappings{
    FullMapping{0x0130, "i\xCC\x87"},  // capital I with dot above
};

template <std::size_t N>
const char* findFullMapping(const std::array<FullMapping, N>& table, char32_t c) {
    for (const FullMapping& entry : table) {
        if (entry.from == c) return entry.to;
    }
    return nullptr;
}

template <std::size_t N, typename Simple>
std::string mapText(std::string_view text, const std::array<FullMapping, N>& full, Simple simple) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const utf::Decoded d = utf::decodeUtf8(text, i);
        i += d.length;
        if (d.codePoint < 0x80) {
            out.push_back(static_cast<char>(simple(d.codePoint)));
        } else if (const char* mapped = findFullMapping(full, d.codePoint)) {
            out.append(mapped);
        } else {
            utf::appendUtf8(out, simple(d.codePoint));
        }
    }
    return out;
}

}  // namespace

std::string lowercaseUtf8(std::string_view validUtf8) {
    const UnicodeLocale& locale = unicodeLocale();
    return mapText(validUtf8, kLowerFullMappings, [&](char32_t c) { return locale.lower(c); });
}

std::string uppercaseUtf8(std::string_view validUtf8) {
    const UnicodeLocale& locale = unicodeLocale();
    return mapText(validUtf8, kUpperFullMappings, [&](char32_t c) { return locale.upper(c); });
}

}  // namespace skrw::platform
