// Reading the test server's request log (<state>/requests.jsonl).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "TestServer.h"

namespace skrw::test {

// Parses one line of the log: a JSON object with the string members "method" and "target" and
// the object "headers" whose members are strings. Members it does not know are skipped, whatever
// their type. JSON escapes are decoded to UTF-8 (a surrogate pair to its code point, an unpaired
// surrogate to U+FFFD). Throws std::runtime_error, naming the offset, on malformed input.
RecordedRequest parseRequestRecord(std::string_view line);

// Parses every complete line of a log's contents. A last line without its line feed is still
// being written by the server and is left out.
std::vector<RecordedRequest> parseRequestLog(std::string_view contents);

}  // namespace skrw::test
