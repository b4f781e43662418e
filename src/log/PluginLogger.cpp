#include "log/PluginLogger.h"

#include <unistd.h>

#include <ctime>
#include <new>
#include <optional>

#include "platform/Paths.h"

using skrw::log::EnterOrCreateFolder;
using skrw::log::kLogFileName;
using skrw::log::LogFileHandle;

namespace {

constexpr const char* kStartBanner = "************* SESSION STARTED *************";
constexpr const char* kEndBanner = "************* SESSION ENDED *************";
constexpr const char* kClearedBanner = "************* CONTENT CLEARED *************";
constexpr const char* kEnterPrefix = "FUNCTION ENTER: ";
constexpr const char* kExitPrefix = "FUNCTION EXIT: ";
constexpr const char* kParameterPrefix = "PARAM: ";
constexpr const char* kValueSeparator = " VAL: ";

// The home folder without trailing "/" ("" for the root).
std::optional<std::string> HomeFolder() {
    std::optional<std::string> home = skrw::platform::homeFolderOfCurrentUser();
    if (!home) return std::nullopt;
    while (!home->empty() && home->back() == '/') home->pop_back();
    return home;
}

}  // namespace

PluginLogger::PluginLogger(std::string logName, std::string logPath)
    : m_logName(std::move(logName)) {
    if (logPath.empty()) {
        CreateDefaultPath(m_logName, m_logPath);
    } else {
        m_logPath = std::move(logPath);
    }
    WriteLine(kStartBanner);
}

PluginLogger::~PluginLogger() {
    try {
        WriteLine(kEndBanner);
    } catch (...) {
        // Out of memory while formatting the banner: the line is lost.
    }
    CloseLogFile();
}

void PluginLogger::WriteLine(std::string text) {
    if (!OpenLogFile()) return;
    // The handle only proves the log can be opened (and creates the file);
    // the line goes through its own handle on the full path.
    LogFileHandle stream(std::fopen(m_logPath.c_str(), "a"));
    if (stream) {
        std::string line;
        try {
            line = skrw::log::FormatLogLine(std::time(nullptr), m_depth, text);
        } catch (...) {
            CloseLogFile();  // no handle outlives the call, whatever happens
            throw;
        }
        std::fwrite(line.data(), 1, line.size(), stream.get());
        std::fflush(stream.get());
    }
    CloseLogFile();
}

void PluginLogger::EnteringFunction(std::string functionName) {
    WriteLine(kEnterPrefix + functionName);
    ++m_depth;
}

void PluginLogger::ExitingFunction(std::string functionName) {
    --m_depth;
    WriteLine(kExitPrefix + functionName);
}

void PluginLogger::WriteParameter(std::string name, std::string value) {
    --m_depth;
    try {
        WriteLine(kParameterPrefix + name + kValueSeparator + value);
    } catch (...) {
        ++m_depth;
        throw;
    }
    ++m_depth;
}

void PluginLogger::ClearLog() {
    if (m_logPath.empty()) return;
    if (!WalkToLogDirectory()) return;
    m_logFile.reset(std::fopen(kLogFileName, "w"));
    if (!m_logFile) return;
    CloseLogFile();
    WriteLine(kClearedBanner);
}

bool PluginLogger::OpenLogFile() {
    if (m_logPath.empty()) return false;
    try {
        if (!WalkToLogDirectory()) return false;
        m_logFile.reset(std::fopen(kLogFileName, "a+"));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return m_logFile != nullptr;
}

void PluginLogger::CloseLogFile() {
    m_logFile.reset();
}

std::int32_t PluginLogger::SetLogPath(std::string path) {
    // A log that had no path of its own gets the one given here; the default
    // folders are not made for it. They would stand empty beside a log that
    // is written elsewhere, and the folders the new path needs are made by
    // the walk of its first line anyway.
    m_logPath = std::move(path);
    return 0;
}

void PluginLogger::GetIntoLogDirectory() {
    // The walk's answer only matters to a caller about to open the file.
    static_cast<void>(WalkToLogDirectory());
}

// The walk stops at a folder that can neither be entered nor made; the file
// is then not opened at all, so no stray "LogFile.txt" appears in the folder
// where the walk happened to stop.
bool PluginLogger::WalkToLogDirectory() {
    return skrw::log::WalkToLogFolder(m_logPath);
}

void CreateDefaultPath(std::string logName, std::string& logPath) {
    const std::optional<std::string> home = HomeFolder();
    if (!home) return;
    // The Desktop folder is entered (and made when missing) like the two
    // below it, so the log folders are never made in whatever folder happened
    // to be current.
    if (!EnterOrCreateFolder(*home + "/" + skrw::log::kDesktopFolder)) return;
    if (!EnterOrCreateFolder(skrw::log::kVendorFolder)) return;
    if (!EnterOrCreateFolder(logName)) return;
    logPath = skrw::log::defaultLogPathBelow(*home, logName);
}

void DeleteLog(std::string logName) {
    std::string logPath;
    CreateDefaultPath(std::move(logName), logPath);
    if (!logPath.empty()) ::unlink(logPath.c_str());
}
