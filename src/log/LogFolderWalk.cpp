#include "log/LogFolderWalk.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kStopPiece = "LogFile.txt";

}  // namespace

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

        if (piece == kStopPiece) break;
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
