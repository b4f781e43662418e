#pragma once
// Process state a test changes for its own duration, and whole-file access.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace skrw::test {

// Sets `name` to `value` (unsets it for nothing) and restores the earlier state when destroyed.
class ScopedEnv {
  public:
    ScopedEnv(std::string name, const std::optional<std::string>& value) : m_name(std::move(name)) {
        if (const char* old = std::getenv(m_name.c_str())) m_old = old;
        apply(value);
    }
    ~ScopedEnv() { apply(m_old); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    void apply(const std::optional<std::string>& v) {
        v ? ::setenv(m_name.c_str(), v->c_str(), 1) : ::unsetenv(m_name.c_str());
    }
    std::string m_name;
    std::optional<std::string> m_old;
};

// Gives the process its current folder back when destroyed.
struct CurrentFolderGuard {
    ~CurrentFolderGuard() {
        std::error_code ignored;
        std::filesystem::current_path(saved, ignored);
    }
    std::filesystem::path saved = std::filesystem::current_path();
};

inline void writeFile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

// The whole file ("" when it cannot be read).
inline std::string readFile(const std::string& path) {
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}

}  // namespace skrw::test
