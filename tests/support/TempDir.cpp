#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <stdexcept>

#include "TestServer.h"

namespace skrw::test {

TempDir::TempDir() : m_path("/tmp/skrw-test-XXXXXX") {
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
