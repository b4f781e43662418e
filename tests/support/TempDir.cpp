#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <stdexcept>

#include "TestServer.h"

namespace skrw::test {

TempDir::TempDir() : path_("/tmp/skrw-test-XXXXXX") {
    if (::mkdtemp(path_.data()) == nullptr || ::mkdir(volumesPath().c_str(), 0755) != 0) {
        throw std::runtime_error("cannot create a temporary folder " + path_);
    }
}

// A test that took rights away from a folder below (to provoke a failure) gets them back first.
TempDir::~TempDir() {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
    }
    fs::remove_all(path_, ec);
}

}  // namespace skrw::test
