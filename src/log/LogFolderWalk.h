#pragma once
// Moving the process's current folder to the folder of a log file.
#include <string>

// Enters `folder` (chdir), creating it with permission bits 0777 when it
// cannot be entered. True when the current folder is now `folder`.
bool EnterOrCreateFolder(const std::string& folder);

// Walks `logPath` piece by piece along its "/" separators, entering each
// folder and creating the missing ones. Empty pieces ("//", a leading or a
// trailing "/") are skipped; a piece "LogFile.txt" ends the walk wherever it
// stands. The first folder is entered from the root, every later one from
// the folder entered before it, so a relative path is walked as if it began
// with "/". An absolute path with no folder piece before "LogFile.txt" ends
// in the root.
//
// True when every piece up to the end of the walk was entered. On false the
// current folder is wherever the walk stopped; in both cases it is not
// restored: the whole process sees the change.
bool WalkToLogFolder(const std::string& logPath);
