#pragma once
// Writes a downloaded body into a local file so that the file either holds every byte or is left
// exactly as it was.
#include <iostream>
#include <string>

#include "platform/Descriptor.h"
#include "platform/Error.h"

namespace skrw::storage {

// The temporary file of one replacement: created in the folder of the file the target names,
// written by the caller, and renamed over that file only by commit(). Until then the target is
// untouched; the temporary file is removed when this object goes away uncommitted. A target that
// is a symbolic link is followed and the file it names is replaced; a replaced file keeps its
// permission bits, a new one gets the process's default ones.
class ReplacementFile {
  public:
    ReplacementFile() = default;
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Creates the temporary file for `target` (an absolute path). Fails, setting `error`, when
    // the target ends in "/" or names a folder, a FIFO, a socket or a device (links followed),
    // or the temporary file cannot be created.
    [[nodiscard]] bool open(const std::string& target, platform::Error& error);

    // A new stream over the temporary file, emptied first, so that each stream starts the body
    // afresh. Writes go out in large chunks. The caller owns the stream; every stream must be
    // flushed or gone before commit(). Null, with `error` set, when the file cannot be emptied.
    std::iostream* newStream(platform::Error& error);

    // Whether a write through one of the streams failed; then sets `error`.
    [[nodiscard]] bool writeFailed(platform::Error& error) const;

    // Makes sure every byte is on disk, closes the file and renames it over the target. Fails,
    // setting `error` and leaving the target untouched, when a write through a stream failed or
    // the file cannot be synced, closed or renamed.
    [[nodiscard]] bool commit(platform::Error& error);

  private:
    std::string m_target;
    std::string m_finalPath;
    std::string m_temporary;  // empty once renamed into place (or never made)
    platform::UniqueFd m_file;
    int m_writeErrno = 0;  // the first failed write through a stream
};

}  // namespace skrw::storage
