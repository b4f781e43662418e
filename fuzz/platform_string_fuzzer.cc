// The platform string operations on arbitrary UTF-8 and UTF-16: every result
// is valid UTF-8, conversions round-trip, and numbers, yes/no values, splits
// and path operations keep the promises their headers make.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "platform/String.h"
#include "platform/Utf.h"

namespace {

using platform::String;

bool isValid(const String& s) {
    return platform::utf::isValidUtf8(s.utf8());
}

bool hasUnpairedSurrogate(std::u16string_view units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (platform::utf::isHighSurrogate(units[i])) {
            if (i + 1 < units.size() && platform::utf::isLowSurrogate(units[i + 1])) {
                ++i;
                continue;
            }
            return true;
        }
        if (platform::utf::isLowSurrogate(units[i])) return true;
    }
    return false;
}

void checkConversions(const std::string& bytes, std::u16string_view units) {
    const String fromBytes = String::fromUtf8(bytes);
    SKRW_FUZZ_CHECK(!fromBytes.isNull());
    SKRW_FUZZ_CHECK(isValid(fromBytes));
    if (platform::utf::isValidUtf8(bytes)) SKRW_FUZZ_CHECK(fromBytes.utf8() == bytes);
    SKRW_FUZZ_CHECK(String::fromUtf16(fromBytes.utf16()) == fromBytes);
    SKRW_FUZZ_CHECK(fromBytes.length() == fromBytes.utf16().size());

    const String fromUnits = String::fromUtf16(units);
    SKRW_FUZZ_CHECK(isValid(fromUnits));
    if (!hasUnpairedSurrogate(units)) SKRW_FUZZ_CHECK(fromUnits.utf16() == units);
    SKRW_FUZZ_CHECK(fromUnits.utf16().size() == fromUnits.length());
    SKRW_FUZZ_CHECK(String::fromUtf8(fromUnits.utf8()) == fromUnits);
    if (fromUnits.length() > 0) {
        SKRW_FUZZ_CHECK(fromUnits.characterAtIndex(fromUnits.length() - 1) ==
                        fromUnits.utf16().back());
    }
    SKRW_FUZZ_CHECK(fromUnits.characterAtIndex(fromUnits.length()) == 0);
}

// integerValue against a plain reference for texts made of an optional sign
// and digits only.
void checkIntegerValue(const String& s) {
    const std::string& text = s.utf8();
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return;
    __int128 magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return;
        if (magnitude <= static_cast<__int128>(LLONG_MAX) + 1)
            magnitude = magnitude * 10 + (text[i] - '0');
    }
    const __int128 value = negative ? -magnitude : magnitude;
    const long long expected = value > LLONG_MAX   ? LLONG_MAX
                               : value < LLONG_MIN ? LLONG_MIN
                                                   : static_cast<long long>(value);
    SKRW_FUZZ_CHECK(s.integerValue() == expected);
}

void checkBoolValue(const String& s) {
    const std::string& text = s.utf8();
    if (text.empty()) {
        SKRW_FUZZ_CHECK(!s.boolValue());
        return;
    }
    const char c = text[0];
    if (c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9')) {
        SKRW_FUZZ_CHECK(s.boolValue());
    }
    if (c == 'N' || c == 'n' || c == 'F' || c == 'f' || c == '.' || c == 'x') {
        SKRW_FUZZ_CHECK(!s.boolValue());
    }
}

void checkCaseMapping(const String& s) {
    const String lower = s.lowercaseString();
    const String upper = s.uppercaseString();
    SKRW_FUZZ_CHECK(isValid(lower) && isValid(upper));
    SKRW_FUZZ_CHECK(!lower.isNull() && !upper.isNull());
    // ASCII letters map one to one, so an ASCII text keeps its length.
    bool ascii = true;
    for (char c : s.utf8()) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) {
        SKRW_FUZZ_CHECK(lower.utf8().size() == s.utf8().size());
        SKRW_FUZZ_CHECK(upper.utf8().size() == s.utf8().size());
    }
}

void checkSplitAndReplace(const String& s, const String& separator) {
    const auto pieces = s.componentsSeparatedByString(separator);
    SKRW_FUZZ_CHECK(!pieces.empty());
    if (separator.isEmpty()) return;
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) joined += separator.utf8();
        joined += pieces[i].utf8();
    }
    SKRW_FUZZ_CHECK(joined == s.utf8());
    SKRW_FUZZ_CHECK(s.containsString(separator) == (pieces.size() > 1));
    const String replaced = s.stringByReplacingOccurrencesOfString(separator, String::fromUtf8(""));
    SKRW_FUZZ_CHECK(isValid(replaced));
    SKRW_FUZZ_CHECK(replaced.utf8().size() ==
                    s.utf8().size() - (pieces.size() - 1) * separator.utf8().size());
}

void checkPaths(const String& path) {
    const String standard = path.stringByStandardizingPath();
    SKRW_FUZZ_CHECK(isValid(standard));
    const std::string& text = standard.utf8();
    SKRW_FUZZ_CHECK(text.find("//") == std::string::npos);
    SKRW_FUZZ_CHECK(text.find("/./") == std::string::npos);
    if (text.size() > 1) SKRW_FUZZ_CHECK(text.back() != '/');
    // Standardizing again changes nothing, except where removing "." left a
    // leading "~" ("./~" gives "~"), which a second pass expands.
    if (text.empty() || text[0] != '~') {
        SKRW_FUZZ_CHECK(standard.stringByStandardizingPath() == standard);
    }

    const String parent = path.stringByDeletingLastPathComponent();
    SKRW_FUZZ_CHECK(isValid(parent));
    // Removing the last component only ever shortens the path from its end.
    SKRW_FUZZ_CHECK(path.utf8().compare(0, parent.utf8().size(), parent.utf8()) == 0 ||
                    parent.utf8() == "/");

    const String expanded = path.stringByExpandingTildeInPath();
    SKRW_FUZZ_CHECK(isValid(expanded));
    if (path.utf8().empty() || path.utf8()[0] != '~') SKRW_FUZZ_CHECK(expanded == path);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Tilde expansion reads the home folder: keep it fixed and free of "~".
    setenv("HOME", "/tmp/skrw-fuzz-home", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string separatorBytes = input.ConsumeRandomLengthString(8);
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    checkConversions(bytes, units);

    const String text = String::fromUtf8(bytes);
    checkIntegerValue(text);
    checkBoolValue(text);
    checkCaseMapping(text);
    checkCaseMapping(String::fromUtf16(units));
    checkSplitAndReplace(text, String::fromUtf8(separatorBytes));
    checkPaths(text);

    // Null stays null and answers zeros.
    const String null;
    SKRW_FUZZ_CHECK(null.lowercaseString().isNull());
    SKRW_FUZZ_CHECK(null.stringByStandardizingPath().isNull());
    SKRW_FUZZ_CHECK(null.integerValue() == 0 && !null.boolValue());
    return 0;
}
