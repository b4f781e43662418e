#pragma once
// Where a path leads once its symbolic links are followed. The links are followed as the kernel
// follows them for an open, one component at a time by our own code, so that the kernel's rule
// for shared folders holds at every link whatever the machine's setting (fs.protected_symlinks):
// in a folder that is sticky and writable by others, a link is followed only when its owner is
// the caller (effective uid) or the folder's owner.
#include <sys/stat.h>

#include <optional>
#include <string>

#include "platform/Descriptor.h"
#include "platform/Error.h"

namespace skrw::platform {

// The end of a walk: the folder that holds (or would hold) the last component, and its name.
struct ResolvedPath {
    UniqueFd folder;                  // opened with O_PATH: for use as the folder of *at calls
    std::string name;                 // never a link; "." where the path names a folder itself
    std::optional<struct stat> node;  // what `name` is, when it exists
};

// The kernel's rule for shared folders: in a folder that is sticky and writable by others, only
// a link or file of the caller (effective uid) or of the folder's owner may be followed or
// written. Whether `folder` lets a node of `owner` through; false when it cannot be read.
[[nodiscard]] bool sharedFolderAllows(int folder, uid_t owner);

// Walks `path` (absolute, or from the current folder), following every link on the way and at
// the end, at most 40 in all. A name that does not exist at the end is no failure (no node).
// Fails, setting `error` (described as `open "<path>"`): ELOOP beyond 40 links, EACCES for a
// link the shared-folder rule forbids, ENOENT or ENOTDIR for a folder on the way that is missing
// or is not a folder, and the errno of any other failed call.
[[nodiscard]] bool resolvePath(const std::string& path, ResolvedPath& resolved, Error& error);

}  // namespace skrw::platform
