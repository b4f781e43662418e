#pragma once
// The file operations of the platform's file manager. Paths are UTF-8 and are
// used as given: no tilde expansion; relative paths start at the process's
// current folder.
#include <sys/stat.h>

#include <string>

#include "platform/Error.h"

namespace skrw::platform::FileManager {

// Creates the folder and every missing folder above it. Succeeds when the
// folder exists already; fails (error set when `error` is given) when a file
// is in the way or a folder cannot be made.
[[nodiscard]] bool createDirectoryWithIntermediates(const std::string& path, Error* error);
// Makes `path` the current folder of the whole process.
bool changeCurrentDirectoryPath(const std::string& path);
// True when a file or a folder exists at `path`; `isDirectory` (when given)
// tells which.
bool fileExistsAtPath(const std::string& path, bool* isDirectory = nullptr);
// Removes the file at `path`; a symbolic link is removed itself, never what
// it names. A folder is never removed (EISDIR), so nothing goes recursively.
// On failure sets `error` (when given) and answers false.
[[nodiscard]] bool removeItemAtPath(const std::string& path, Error* error);
// Whether a transfer may read or replace the node `info` describes (as given
// by stat, links followed): a regular file or a folder may (callers refuse
// folders with records of their own); a FIFO, a socket or a device may not.
// For those it answers false and sets `error`: code EINVAL, localized
// description "Not a regular file", described as `<operation> "<path>": ...`.
bool isTransferable(const struct stat& info, const std::string& operation, const std::string& path,
                    Error& error);

}  // namespace skrw::platform::FileManager
