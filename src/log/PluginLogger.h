#pragma once
// The diagnostic log: dated, tab-indented text lines appended to one file,
// "LogFile.txt".
//
// Contract:
// - Each line is the local time as "%y-%m-%d %H:%M:%S", max(depth, 0) + 1
//   tabs, the text byte for byte and a line feed. It is in the file when the
//   call returns; no file handle stays open between calls.
// - Every line first walks the process's current folder from the root to the
//   log file's folder, creating missing folders (permission bits 0777). The
//   current folder of the whole process is left there and never restored.
// - An empty log path means the log is off: nothing is walked, created,
//   opened or written, while the depth still follows the bracketing calls.
// - No operation reports a failure except OpenLogFile through its answer; a
//   line that cannot be written is lost silently.
// - Not thread-safe; the log belongs to the thread on which the host calls
//   the plug-in. Text arguments are taken by value.
#include <cstdint>
#include <string>

#include "log/LogFile.h"

class PluginLogger {
  public:
    // An empty `logPath` is replaced by the default location of `logName`
    // (CreateDefaultPath); when that cannot be made the log stays off. Writes
    // the start banner.
    PluginLogger(std::string logName, std::string logPath);
    // Writes the end banner and closes any handle; lets no exception out.
    ~PluginLogger();

    PluginLogger(const PluginLogger&) = delete;
    PluginLogger& operator=(const PluginLogger&) = delete;

    // Appends one line at the current depth.
    void WriteLine(std::string text);
    // "FUNCTION ENTER: " and the name, then one level deeper.
    void EnteringFunction(std::string functionName);
    // One level up, then "FUNCTION EXIT: " and the name.
    void ExitingFunction(std::string functionName);
    // "PARAM: " name " VAL: " value, one level above the current depth; the
    // depth afterwards is what it was.
    void WriteParameter(std::string name, std::string value);
    // Empties the log file and writes the cleared banner; when the file cannot
    // be emptied it keeps its lines and no banner is written.
    void ClearLog();

    // Walks to the log folder and opens "LogFile.txt" there for reading and
    // appending (created when missing). True when a handle was obtained,
    // false with the log off or when the log folder cannot be reached.
    [[nodiscard]] bool OpenLogFile();
    // Flushes and closes the handle OpenLogFile obtained, if any.
    void CloseLogFile();
    // Replaces the log path (an empty path switches the log off); answers 0.
    std::int32_t SetLogPath(std::string path);
    // The folder walk along the log path (see WalkToLogFolder in
    // log/LogFile.h); reports nothing.
    void GetIntoLogDirectory();

  private:
    [[nodiscard]] bool WalkToLogDirectory();

    std::int64_t m_depth = 0;
    std::string m_logPath;
    std::string m_logName;
    skrw::log::LogFileHandle m_logFile;
};

// Makes the default log folders, "<home>/Desktop/VORNIQ/<logName>", creating
// each that is missing, leaves the process in the last of them, and stores
// "<home>/Desktop/VORNIQ/<logName>/LogFile.txt" in `logPath`. When the home
// folder is unknown or a folder cannot be made, `logPath` stays unchanged.
void CreateDefaultPath(std::string logName, std::string& logPath);
// Removes the log file at the default location of `logName` (making its
// folders first, as CreateDefaultPath does). Reports nothing.
void DeleteLog(std::string logName);
