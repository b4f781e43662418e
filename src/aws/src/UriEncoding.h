#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace skrw::aws {

// Percent-encodes every byte other than the unreserved characters A-Z, a-z,
// 0-9, "-", ".", "_" and "~" as "%" and two upper-case hex digits.
std::string uriEncode(std::string_view text);

// Encodes each "/"-separated segment with uriEncode and keeps the "/"s, so a
// key reaches the service byte-exact: "a//b", "../x" and a leading "/" stay.
std::string encodePathSegments(std::string_view text);

// One query parameter, plain (not yet encoded).
using QueryParameter = std::pair<std::string, std::string>;

// The canonical query string: names and values encoded with uriEncode, sorted
// by encoded name (then value), joined as "n=v&n=v". A parameter with an empty
// value is written "n=". The same text serves as the request's query.
std::string canonicalQuery(std::vector<QueryParameter> parameters);

}  // namespace skrw::aws
