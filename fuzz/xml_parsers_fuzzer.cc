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

    Aws::S3::Model::ListBucketsResult buckets;
    const std::string bucketsWhy = skrw::aws::parseListBuckets(body, buckets);
    if (!bucketsWhy.empty()) SKRW_FUZZ_CHECK(buckets.GetBuckets().empty());

    Aws::S3::Model::ListObjectsV2Result objects;
    const std::string objectsWhy = skrw::aws::parseListObjectsV2(body, objects);
    if (objectsWhy.empty()) SKRW_FUZZ_CHECK(objects.GetContents().size() <= size);

    Aws::S3::Model::CopyObjectResult copy;
    (void)skrw::aws::parseCopyObjectResult(body, copy);
    return 0;
}
