// Every XML answer parser on arbitrary bytes: none may crash, read out of
// bounds or hang, and a refused document leaves a reason.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "XmlParsers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);

    if (const auto error = skrw::aws::parseErrorDocument(body)) {
        // Whatever the service wrote, the fields are plain text copies of the body's.
        SKRW_FUZZ_CHECK(error->code.size() <= size && error->message.size() <= size);
    }

    const auto buckets = skrw::aws::parseListBuckets(body);
    if (!buckets.ok()) SKRW_FUZZ_CHECK(!buckets.refusal().empty());

    const auto objects = skrw::aws::parseListObjectsV2(body);
    if (objects.ok()) SKRW_FUZZ_CHECK(objects.result().GetContents().size() <= size);

    const auto copy = skrw::aws::parseCopyObjectResult(body);
    if (!copy.ok()) SKRW_FUZZ_CHECK(!copy.refusal().empty());
    return 0;
}
