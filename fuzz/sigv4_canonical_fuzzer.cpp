// The canonical forms SigV4 signs. What the service recomputes from the bytes on the wire must be
// what was signed, so every encoding is reversible, uses only unreserved characters and "%XX"
// (upper-case hex), and keeps a key's "/"s where they were.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

#include "FuzzCheck.h"
#include "UriEncoding.h"

namespace {

// Decodes unreserved characters, "%XX" and the characters in `kept`; false on anything else.
bool decodes(std::string_view encoded, std::string_view kept, std::string_view original) {
    constexpr std::string_view kHex = "0123456789ABCDEF";
    const auto in = [](std::string_view set, char c) { return set.find(c) != set.npos; };
    std::string out;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        if (std::isalnum(static_cast<unsigned char>(c)) || in("-._~", c) || in(kept, c)) {
            out.push_back(c);
        } else if (c == '%' && i + 2 < encoded.size() && in(kHex, encoded[i + 1]) &&
                   in(kHex, encoded[i + 2])) {
            out.push_back(
                static_cast<char>(kHex.find(encoded[i + 1]) * 16 + kHex.find(encoded[i + 2])));
            i += 2;
        } else {
            return false;
        }
    }
    return original.data() == nullptr || out == original;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skrw::aws;
    FuzzedDataProvider input(data, size);
    const std::string key = input.ConsumeRandomLengthString(256), path = encodePathSegments(key);
    SKRW_FUZZ_CHECK(decodes(uriEncode(key), "", key) && decodes(path, "/", key));
    SKRW_FUZZ_CHECK(std::count(path.begin(), path.end(), '/') ==
                    std::count(key.begin(), key.end(), '/'));
    return 0;
}
