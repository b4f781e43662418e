#pragma once
// Owning holder of a C file handle: flushed and closed when released.
#include <cstdio>
#include <memory>

struct LogFileCloser {
    void operator()(std::FILE* file) const noexcept {
        std::fflush(file);
        std::fclose(file);
    }
};

using LogFileHandle = std::unique_ptr<std::FILE, LogFileCloser>;
