#include "platform/Paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/String.h"

namespace skrw::platform {
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

}  // namespace skrw::platform

namespace skrw::platform::paths {
namespace {

std::string_view withoutTrailingSlashes(std::string_view path) {
    while (!path.empty() && path.back() == '/') path.remove_suffix(1);
    return path;
}

std::vector<std::string_view> meaningfulComponents(std::string_view path) {
    std::vector<std::string_view> components;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view piece = path.substr(start, end - start);
        if (!piece.empty() && piece != ".") components.push_back(piece);
        start = end + 1;
    }
    return components;
}

}  // namespace

std::string expandTilde(std::string_view path) {
    if (path.empty() || path.front() != '~') return std::string(path);
    const std::size_t slash = path.find('/');
    const std::string_view userPart =
        path.substr(1, slash == std::string_view::npos ? slash : slash - 1);
    const std::string_view rest =
        slash == std::string_view::npos ? std::string_view() : path.substr(slash);

    const std::optional<std::string> home =
        userPart.empty() ? homeFolderOfCurrentUser() : homeFolderOfUser(std::string(userPart));
    if (!home) return std::string(path);

    const std::string_view base = withoutTrailingSlashes(*home);
    if (base.empty()) {  // the home folder is the root itself
        return rest.empty() ? std::string("/") : std::string(rest);
    }
    std::string expanded(base);
    expanded.append(rest);
    return expanded;
}

std::string standardize(std::string_view path) {
    const std::string expanded = expandTilde(path);
    if (expanded.empty()) return expanded;
    const bool absolute = expanded.front() == '/';
    std::string result = absolute ? "/" : "";
    bool first = true;
    for (std::string_view component : meaningfulComponents(expanded)) {
        if (!first) result.push_back('/');
        result.append(component);
        first = false;
    }
    return result.empty() ? std::string(1, '.') : result;
}

std::string deleteLastComponent(std::string_view path) {
    if (path.empty()) return std::string();
    const bool absolute = path.front() == '/';
    const std::string_view trimmed = withoutTrailingSlashes(path);
    const std::size_t slash = trimmed.rfind('/');
    if (slash == std::string_view::npos) return absolute ? "/" : "";
    const std::string_view parent = withoutTrailingSlashes(trimmed.substr(0, slash));
    if (parent.empty()) return absolute ? "/" : "";
    return std::string(parent);
}

}  // namespace skrw::platform::paths

namespace skrw::platform {

// Expansion brings in a home folder from outside, so its result is checked
// as UTF-8 again; removing a component only cuts valid text at a "/", which
// keeps it valid.
String String::stringByExpandingTildeInPath() const {
    return m_text ? String::fromUtf8(paths::expandTilde(*m_text)) : String();
}

String String::stringByStandardizingPath() const {
    return m_text ? String::fromUtf8(paths::standardize(*m_text)) : String();
}

String String::stringByDeletingLastPathComponent() const {
    return m_text ? String(paths::deleteLastComponent(*m_text)) : String();
}

}  // namespace skrw::platform
