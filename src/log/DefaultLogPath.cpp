// The default location of the diagnostic log, below the user's Desktop.
#include <unistd.h>

#include <optional>

#include "log/LogFolderWalk.h"
#include "log/PluginLogger.h"
#include "platform/HomeFolder.h"

namespace {

constexpr const char* kVendorFolder = "VORNIQ";
constexpr const char* kLogFileName = "LogFile.txt";

std::optional<std::string> DesktopFolder() {
    std::optional<std::string> home = platform::homeFolderOfCurrentUser();
    if (!home) return std::nullopt;
    while (!home->empty() && home->back() == '/') home->pop_back();
    return *home + "/Desktop";
}

}  // namespace

void CreateDefaultPath(std::string logName, std::string& logPath) {
    const std::optional<std::string> desktop = DesktopFolder();
    if (!desktop) return;
    // The Desktop folder is entered (and made when missing) like the two
    // below it, so the log folders are never made in whatever folder happened
    // to be current.
    if (!EnterOrCreateFolder(*desktop)) return;
    if (!EnterOrCreateFolder(kVendorFolder)) return;
    if (!EnterOrCreateFolder(logName)) return;
    logPath = *desktop + "/" + kVendorFolder + "/" + logName + "/" + kLogFileName;
}

void DeleteLog(std::string logName) {
    std::string logPath;
    CreateDefaultPath(std::move(logName), logPath);
    if (!logPath.empty()) ::unlink(logPath.c_str());
}
