#pragma once
// The log file itself: its name, the form of one line, the walk to its folder and the owning
// holder of its handle.
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>

namespace skrw::log {

// The name of the log file in its folder; a path piece of this name ends the folder walk.
inline constexpr char kLogFileName[] = "LogFile.txt";

// The folders of the default log location below the home folder: <home>/Desktop/VORNIQ/<name>.
inline constexpr char kDesktopFolder[] = "Desktop";
inline constexpr char kVendorFolder[] = "VORNIQ";

// "<home>/Desktop/VORNIQ/<logName>/LogFile.txt": where the log of `logName` lies by default.
// `home` is used as given, with no trailing "/".
std::string defaultLogPathBelow(std::string_view home, std::string_view logName);

// The local time of `when` as "%y-%m-%d %H:%M:%S", then max(depth, 0) + 1 tabs, then `text`
// byte for byte, then one line feed.
std::string FormatLogLine(std::time_t when, std::int64_t depth, std::string_view text);

// Enters `folder` (chdir), creating it with permission bits 0777 when it cannot be entered.
// True when the current folder is now `folder`.
[[nodiscard]] bool EnterOrCreateFolder(const std::string& folder);

// Walks `logPath` piece by piece along its "/" separators, entering each folder and creating
// the missing ones. Empty pieces ("//", a leading or a trailing "/") are skipped; a piece
// "LogFile.txt" ends the walk wherever it stands. The first folder is entered from the root,
// every later one from the folder entered before it, so a relative path is walked as if it
// began with "/". An absolute path with no folder piece before "LogFile.txt" ends in the root.
//
// True when every piece up to the end of the walk was entered. On false the current folder is
// wherever the walk stopped; in both cases it is not restored: the whole process sees the
// change.
[[nodiscard]] bool WalkToLogFolder(const std::string& logPath);

// Owning holder of a C file handle: flushed and closed when released.
struct LogFileCloser {
    void operator()(std::FILE* file) const noexcept {
        std::fflush(file);
        std::fclose(file);
    }
};

using LogFileHandle = std::unique_ptr<std::FILE, LogFileCloser>;

}  // namespace skrw::log
