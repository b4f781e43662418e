// The string table reader on arbitrary bytes: no crash, and a table it accepts holds only valid
// UTF-8, since its texts go straight to the host.
#include "FuzzCheck.h"
#include "platform/StringsFileParser.h"
#include "platform/Utf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto table =
        skrw::platform::parseStringsFile({reinterpret_cast<const char*>(data), size});
    if (!table) return 0;
    for (const auto& [key, value] : *table) {
        SKRW_FUZZ_CHECK(skrw::platform::utf::isValidUtf8(key) &&
                        skrw::platform::utf::isValidUtf8(value));
    }
    return 0;
}
