#pragma once
// Watches and steers file calls of the code under test: through the linker's --wrap, a program
// that links skrw_file_calls calls the wrappers of FileCalls.cpp for fsync, openat and fpathconf.
#include <functional>

namespace skrw::test {

// Calls `watcher` with the descriptor and the result of every fsync, just after it is made (none:
// no watcher).
void watchFsync(std::function<void(int fd, int result)> watcher);

// Makes fpathconf answer `longest` for the longest name a folder allows (_PC_NAME_MAX), as on a
// file system with short names; 0 answers the file system's own limit again.
void limitNameLength(long longest);

// Makes every openat that asks for an unnamed file (O_TMPFILE) fail with `errorNumber`, as on a
// file system that has none; 0 lets them through again.
void refuseUnnamedFiles(int errorNumber);

}  // namespace skrw::test
