#include "WireChecks.h"

#include <algorithm>
#include <string>

#include "Errors.h"

namespace skrw::aws {
namespace {

bool isControlCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && byte != '\t') || byte == 0x7F;
}

}  // namespace

std::optional<Aws::S3::S3Error> bucketNameRefusal(std::string_view bucket) {
    if (bucket != "." && bucket != "..") return std::nullopt;
    return clientFailure("The bucket name \"" + std::string(bucket) + "\" is not valid.");
}

std::optional<Aws::S3::S3Error> headerRefusal(const std::vector<Header>& headers) {
    for (const Header& header : headers) {
        if (std::any_of(header.value.begin(), header.value.end(), isControlCharacter)) {
            return clientFailure("The request holds a control character in header " + header.name +
                                 "; it was not sent.");
        }
    }
    return std::nullopt;
}

}  // namespace skrw::aws
