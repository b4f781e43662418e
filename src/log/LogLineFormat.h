#pragma once
// The text of one diagnostic log line.
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

// The local time of `when` as "%y-%m-%d %H:%M:%S", then max(depth, 0) + 1
// tabs, then `text` byte for byte, then one line feed.
std::string FormatLogLine(std::time_t when, std::int64_t depth, std::string_view text);
