#include "log/LogLineFormat.h"

namespace {

constexpr const char* kTimeFormat = "%y-%m-%d %H:%M:%S";

std::string LocalTimeText(std::time_t when) {
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr) return std::string();
    char buffer[30] = {};
    const std::size_t length = std::strftime(buffer, sizeof buffer, kTimeFormat, &local);
    return std::string(buffer, length);
}

}  // namespace

std::string FormatLogLine(std::time_t when, std::int64_t depth, std::string_view text) {
    const std::size_t tabs = depth > 0 ? static_cast<std::size_t>(depth) + 1 : 1;
    std::string line = LocalTimeText(when);
    line.append(tabs, '\t');
    line.append(text);
    line.push_back('\n');
    return line;
}
