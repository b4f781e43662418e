#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "TestServer.h"

namespace skrw::test {
namespace {

// Gives the owner full rights on every folder below `root`, so that a test that took rights
// away (to provoke a failure) does not keep the folder from being removed.
void restoreOwnerRights(const std::filesystem::path& root) {
    std::error_code ec;
    std::filesystem::permissions(root, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    auto it = std::filesystem::recursive_directory_iterator(
        root, std::filesystem::directory_options::skip_permission_denied, ec);
    for (; !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
            ec.clear();
        }
    }
}

}  // namespace

TempDir::TempDir() {
    std::string pattern = "/tmp/skrw-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error(std::string("cannot create a temporary folder: ") +
                                 std::strerror(errno));
    }
    path_ = pattern;
    if (mkdir(volumesPath().c_str(), 0755) != 0) {
        const int err = errno;
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
        throw std::runtime_error("cannot create " + volumesPath() + ": " + std::strerror(err));
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
    if (ec) {
        restoreOwnerRights(path_);
        std::filesystem::remove_all(path_, ec);
    }
}

}  // namespace skrw::test
