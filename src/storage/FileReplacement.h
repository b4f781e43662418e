#pragma once
// Writes a downloaded body into a local file so that the file either holds every byte or is left
// exactly as it was.
#include <sys/stat.h>

#include <iostream>
#include <optional>
#include <string>

#include "platform/Descriptor.h"
#include "platform/Error.h"

namespace skrw::storage {

// The new file of one replacement: an unnamed file in the folder of the file the target names,
// written by the caller and given the target's name only by commit(). Until then the target is
// untouched and nothing else appears in the folder, even when the process is killed; where the
// file system has no unnamed files, a temporary name is used instead and removed when this
// object goes away uncommitted. Everything happens relative to one descriptor of that folder.
//
// A target is replaced only where writing into it in place would have been allowed, and the new
// file gives no one more than that write would have: links are followed as the kernel follows
// them (platform::resolvePath, with its rule for shared folders); a file the caller may not
// write is refused; the new file keeps the replaced one's permission bits (rwx only: never
// set-user-ID, set-group-ID or sticky) and, where the process may give them, its owner and
// group. A new file gets the process's default permissions. Other hard links of a replaced file
// keep its old content.
class ReplacementFile {
  public:
    ReplacementFile() = default;
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Whether `target` may be replaced, as far as can be told before the body is fetched; makes
    // and changes nothing. Fails, setting `error`, as open() would. A folder on the way that does
    // not exist yet is no failure (the download makes it): then only the kernel's own bound on a
    // name's length (NAME_MAX) is checked.
    [[nodiscard]] static bool mayReplace(const std::string& target, platform::Error& error);

    // Creates the new file for `target` (an absolute path). Fails, setting `error` (described as
    // `open "<target>"`), when the target ends in "/" or names a folder (EISDIR), a FIFO, a
    // socket or a device (platform::FileManager::isTransferable's error), a file the caller may
    // not write (faccessat's errno, EACCES), when its name is longer than its folder allows
    // (ENAMETOOLONG), when its links cannot be followed (platform::resolvePath's error), or when
    // the new file cannot be created.
    [[nodiscard]] bool open(const std::string& target, platform::Error& error);

    // A new stream over the temporary file, emptied first, so that each stream starts the body
    // afresh. Writes go out in large chunks. The caller owns the stream; every stream must be
    // flushed or gone before commit(). Null, with `error` set, when the file cannot be emptied.
    std::iostream* newStream(platform::Error& error);

    // Whether a write through one of the streams failed; then sets `error`.
    [[nodiscard]] bool writeFailed(platform::Error& error) const;

    // Makes sure every byte is on disk, names the file, renames it over the target and syncs the
    // folder, so that success means the new name is on disk too. Fails, setting `error` and
    // leaving the target untouched, when a write through a stream failed or the file cannot be
    // synced, named, closed or renamed; fails after the rename when the folder cannot be synced.
    [[nodiscard]] bool commit(platform::Error& error);

  private:
    bool createFile(const std::optional<struct stat>& replaced);
    bool takeAccessOf(const struct stat& replaced);
    bool nameFile();

    std::string m_target;
    platform::UniqueFd m_folder;  // the folder of the file the target names
    std::string m_name;           // that file's name in it
    std::string m_temporary;      // the file's temporary name in the folder, while it has one
    platform::UniqueFd m_file;
    int m_writeErrno = 0;  // the first failed write through a stream
};

}  // namespace skrw::storage
