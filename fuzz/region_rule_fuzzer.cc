// The region rule of the credential call's parameters, and the location
// constraint chosen from its result. Both are pure: no request is made.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "platform/String.h"
#include "storage/Region.h"
#include "storage/SKFuncs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const platform::String parameters = platform::String::fromUtf8(bytes);
    const platform::String region = skrw::storage::regionFromParameters(parameters);

    // Never null, and always a piece of one pair's value: it cannot hold the
    // separators that delimit it.
    SKRW_FUZZ_CHECK(!region.isNull());
    SKRW_FUZZ_CHECK(region.utf8().find(';') == std::string::npos);
    SKRW_FUZZ_CHECK(region.utf8().find('=') == std::string::npos);
    SKRW_FUZZ_CHECK(region.utf8().size() <= parameters.utf8().size());
    if (!region.isEmpty()) SKRW_FUZZ_CHECK(parameters.containsString(region));

    (void)GetRegion(region);
    (void)GetRegion(parameters);
    return 0;
}
