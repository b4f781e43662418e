// Every XML answer parser on arbitrary bytes: none may crash, read out of bounds or hang; a
// refusal gives its reason, and what one answers stays within the body it read.
#include "FuzzCheck.h"
#include "XmlParsers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    if (const auto error = skrw::aws::parseErrorDocument(body)) {
        SKRW_FUZZ_CHECK(error->code.size() <= size && error->message.size() <= size);
    }
    const auto buckets = skrw::aws::parseListBuckets(body);
    const auto objects = skrw::aws::parseListObjectsV2(body);
    const auto copy = skrw::aws::parseCopyObjectResult(body);
    SKRW_FUZZ_CHECK(buckets.ok() || !buckets.refusal().empty());
    SKRW_FUZZ_CHECK(copy.ok() || !copy.refusal().empty());
    SKRW_FUZZ_CHECK(!objects.ok() || objects.result().GetContents().size() <= size);
    return 0;
}
