#include "platform/PathResolution.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <utility>
#include <vector>

namespace skrw::platform {

namespace {

constexpr int kMaxLinks = 40;  // the kernel's own bound on the links of one lookup

bool readLink(int link, std::string& text) {
    std::vector<char> buffer(PATH_MAX);
    const ssize_t length = ::readlinkat(link, "", buffer.data(), buffer.size());
    if (length < 0) return false;
    text.assign(buffer.data(), static_cast<std::size_t>(length));
    return true;
}

// One walk: every descriptor it holds is opened with O_NOFOLLOW, so a link is only ever followed
// here, after the rule was applied to the very link that was read.
class Walk {
  public:
    Walk(const std::string& path, Error& error) : m_path(path), m_error(error) {}

    // Leaves `folder` at the folder that holds the last component of `path` and `name` at that
    // component. A relative path starts at `folder` (the current folder when none is held).
    bool toLastComponent(UniqueFd& folder, std::string_view path, std::string& name) {
        if (path.starts_with('/') || !folder) {
            folder = UniqueFd(
                ::open(path.starts_with('/') ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
            if (!folder) return fail(errno);
        }
        const std::size_t last = path.rfind('/');
        const std::string_view folders = last == std::string_view::npos ? "" : path.substr(0, last);
        for (std::size_t at = 0; at < folders.size();) {
            const std::size_t end = std::min(folders.find('/', at), folders.size());
            const std::string_view part = folders.substr(at, end - at);
            at = end + 1;
            if (!part.empty() && part != "." && !enter(folder, std::string(part))) return false;
        }
        const std::string_view lastPart =
            last == std::string_view::npos ? path : path.substr(last + 1);
        name = std::string(lastPart.empty() ? std::string_view(".") : lastPart);
        return true;
    }

    // Follows `name` in `folder` while it names a link; then `info` tells what it names (none
    // when nothing) and `node` holds it.
    bool followLinks(UniqueFd& folder, std::string& name, UniqueFd& node,
                     std::optional<struct stat>& info) {
        for (;;) {
            node = UniqueFd(::openat(folder.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
            if (!node) {
                if (errno != ENOENT) return fail(errno);
                info.reset();
                return true;
            }
            struct stat found {};
            if (::fstat(node.get(), &found) != 0) return fail(errno);
            if (!S_ISLNK(found.st_mode)) {
                info = found;
                return true;
            }
            if (++m_links > kMaxLinks) return fail(ELOOP);
            if (!sharedFolderAllows(folder.get(), found.st_uid)) return fail(EACCES);
            std::string text;
            if (!readLink(node.get(), text)) return fail(errno);
            if (!toLastComponent(folder, text, name)) return false;
        }
    }

    bool fail(int errorNumber) { return failWithErrno(m_error, errorNumber, "open", m_path); }

  private:
    // Moves `folder` into the folder `name` names in it.
    bool enter(UniqueFd& folder, std::string name) {
        UniqueFd node;
        std::optional<struct stat> info;
        if (!followLinks(folder, name, node, info)) return false;
        if (!info) return fail(ENOENT);
        if (!S_ISDIR(info->st_mode)) return fail(ENOTDIR);
        folder = std::move(node);
        return true;
    }

    const std::string& m_path;
    Error& m_error;
    int m_links = 0;
};

}  // namespace

bool sharedFolderAllows(int folder, uid_t owner) {
    struct stat holder {};
    if (::fstat(folder, &holder) != 0) return false;
    const bool shared = (holder.st_mode & S_ISVTX) != 0 && (holder.st_mode & S_IWOTH) != 0;
    return !shared || owner == ::geteuid() || owner == holder.st_uid;
}

bool resolvePath(const std::string& path, ResolvedPath& resolved, Error& error) {
    Walk walk(path, error);
    UniqueFd folder;
    std::string name;
    UniqueFd node;
    if (!walk.toLastComponent(folder, path, name) ||
        !walk.followLinks(folder, name, node, resolved.node)) {
        return false;
    }
    resolved.folder = std::move(folder);
    resolved.name = std::move(name);
    return true;
}

}  // namespace skrw::platform
