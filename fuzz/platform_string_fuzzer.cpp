// The platform string on arbitrary UTF-8 and UTF-16: every result is valid UTF-8, conversions
// round-trip, and paths keep the promises String.h makes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>

#include "FuzzCheck.h"
#include "platform/String.h"
#include "platform/Utf.h"

namespace {

using skrw::platform::String;
using skrw::platform::utf::isValidUtf8;

void checkConversions(const std::string& bytes, const std::u16string& units) {
    const String fromBytes = String::fromUtf8(bytes), fromUnits = String::fromUtf16(units);
    SKRW_FUZZ_CHECK(isValidUtf8(fromBytes.utf8()) && isValidUtf8(fromUnits.utf8()));
    if (isValidUtf8(bytes)) SKRW_FUZZ_CHECK(fromBytes.utf8() == bytes);
    SKRW_FUZZ_CHECK(String::fromUtf16(fromBytes.utf16()) == fromBytes);
    SKRW_FUZZ_CHECK(String::fromUtf8(fromUnits.utf8()) == fromUnits);
    SKRW_FUZZ_CHECK(fromUnits.characterAtIndex(fromUnits.utf16().size()) == 0);
    SKRW_FUZZ_CHECK(
        isValidUtf8(fromUnits.lowercaseString().utf8() + fromUnits.uppercaseString().utf8()));
}

void checkPaths(const String& path) {
    const String standard = path.stringByStandardizingPath();
    const std::string& text = standard.utf8();
    SKRW_FUZZ_CHECK(isValidUtf8(text) && text.find("//") == std::string::npos);
    SKRW_FUZZ_CHECK(text.find("/./") == std::string::npos &&
                    (text.size() < 2 || text.back() != '/'));
    // Once standard, it stays so (but where removing "." left a leading "~" to expand).
    if (text.empty() || text[0] != '~')
        SKRW_FUZZ_CHECK(standard.stringByStandardizingPath() == standard);
    // Removing the last component only ever shortens the path from its end.
    const std::string parent = path.stringByDeletingLastPathComponent().utf8();
    SKRW_FUZZ_CHECK(path.utf8().compare(0, parent.size(), parent) == 0 || parent == "/");
    if (path.utf8()[0] != '~') SKRW_FUZZ_CHECK(path.stringByExpandingTildeInPath() == path);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("HOME", "/tmp/skrw-fuzz-home", 1);  // tilde expansion reads it: fixed, free of "~"
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    std::u16string units(bytes.size() / 2, u'\0');
    std::memcpy(units.data(), bytes.data(), units.size() * 2);
    checkConversions(bytes, units);
    const String text = String::fromUtf8(bytes);
    checkPaths(text);
    return 0;
}
