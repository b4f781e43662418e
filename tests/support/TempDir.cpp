#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <stdexcept>

#include "TestServer.h"

namespace skrw::test {
namespace {

// The folder for temporary files: TMPDIR when set and not empty, as every POSIX tool reads it,
// else /tmp.
std::string temporaryFolder() {
    const char* given = std::getenv("TMPDIR");
    std::string folder = given != nullptr && *given != '\0' ? given : "/tmp";
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

}  // namespace

TempDir::TempDir() : m_path(temporaryFolder() + "/skrw-test-XXXXXX") {
    if (::mkdtemp(m_path.data()) == nullptr || ::mkdir(volumesPath().c_str(), 0755) != 0) {
        throw std::runtime_error("cannot create a temporary folder " + m_path);
    }
}

// A test that took rights away from a folder below (to provoke a failure) gets them back first.
TempDir::~TempDir() {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(m_path, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
    }
    fs::remove_all(m_path, ec);
}

}  // namespace skrw::test
