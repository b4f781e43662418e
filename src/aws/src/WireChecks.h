#pragma once

#include <aws/s3/S3Errors.h>

#include <optional>
#include <string_view>
#include <vector>

#include "Signer.h"

namespace skrw::aws {

// What a request may not carry onto the wire. Each check answers the failure
// that refuses the request, before any connection, or nothing when the request
// may go. A failure's message names what was refused but never a header's
// value (the Authorization header carries the access key id).

// "." and "..": never valid bucket names, and in a path-style address they
// become dot segments that servers and proxies resolve to another resource.
[[nodiscard]] std::optional<Aws::S3::S3Error> bucketNameRefusal(std::string_view bucket);

// A header value holding a control character (C0 other than tab, or DEL): a CR
// or LF would end the header line and let the rest be read as further headers
// or a second request, and a NUL would cut the value short. The first such
// header, in order, is named.
[[nodiscard]] std::optional<Aws::S3::S3Error> headerRefusal(const std::vector<Header>& headers);

}  // namespace skrw::aws
