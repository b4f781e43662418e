#include "log/LogFile.h"

#include <sys/stat.h>
#include <unistd.h>

namespace skrw::log {
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

std::string defaultLogPathBelow(std::string_view home, std::string_view logName) {
    std::string path(home);
    path.append("/").append(kDesktopFolder).append("/").append(kVendorFolder);
    path.append("/").append(logName).append("/").append(kLogFileName);
    return path;
}

std::string FormatLogLine(std::time_t when, std::int64_t depth, std::string_view text) {
    const std::size_t tabs = depth > 0 ? static_cast<std::size_t>(depth) + 1 : 1;
    std::string line = LocalTimeText(when);
    line.append(tabs, '\t');
    line.append(text);
    line.push_back('\n');
    return line;
}

bool EnterOrCreateFolder(const std::string& folder) {
    if (::chdir(folder.c_str()) == 0) return true;
    if (::mkdir(folder.c_str(), 0777) != 0) return false;
    return ::chdir(folder.c_str()) == 0;
}

bool WalkToLogFolder(const std::string& logPath) {
    bool enteredAny = false;
    std::size_t start = 0;
    while (start < logPath.size()) {
        std::size_t slash = logPath.find('/', start);
        if (slash == std::string::npos) slash = logPath.size();
        const std::string piece = logPath.substr(start, slash - start);
        start = slash + 1;

        if (piece == kLogFileName) break;
        if (piece.empty()) continue;
        const std::string folder = enteredAny ? piece : "/" + piece;
        if (!EnterOrCreateFolder(folder)) return false;
        enteredAny = true;
    }
    // "/LogFile.txt" names a file in the root: open it there, not in
    // whatever folder happened to be current.
    if (!enteredAny && !logPath.empty() && logPath.front() == '/') return ::chdir("/") == 0;
    return true;
}

}  // namespace skrw::log
