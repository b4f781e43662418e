#include "platform/HomeFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace platform {
namespace {

// The reentrant look-ups fill a caller's buffer; it grows until the entry
// fits, so a long entry is never cut and no shared static buffer is used.
template <typename Lookup>
std::optional<std::string> homeFromPasswordDatabase(Lookup lookup) {
    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::size_t size = suggested > 0 ? static_cast<std::size_t>(suggested) : 4096;
    constexpr std::size_t kLargest = 1 << 20;
    while (size <= kLargest) {
        std::vector<char> buffer(size);
        passwd entry{};
        passwd* found = nullptr;
        const int rc = lookup(&entry, buffer.data(), buffer.size(), &found);
        if (rc == ERANGE) {
            size *= 2;
            continue;
        }
        if (rc != 0 || found == nullptr || found->pw_dir == nullptr || *found->pw_dir == '\0') {
            return std::nullopt;
        }
        return std::string(found->pw_dir);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> homeFolderOfCurrentUser() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') return std::string(home);
    const uid_t uid = getuid();
    return homeFromPasswordDatabase([uid](passwd* entry, char* buf, std::size_t len, passwd** out) {
        return getpwuid_r(uid, entry, buf, len, out);
    });
}

std::optional<std::string> homeFolderOfUser(const std::string& name) {
    if (name.empty()) return std::nullopt;
    return homeFromPasswordDatabase(
        [&name](passwd* entry, char* buf, std::size_t len, passwd** out) {
            return getpwnam_r(name.c_str(), entry, buf, len, out);
        });
}

}  // namespace platform
