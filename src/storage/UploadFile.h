#pragma once
// The local file one upload sends, and its removal afterwards.
//
// The file is opened once; what identifies it (device, inode, size, modification time) is taken
// from that descriptor, and the body is read from that same descriptor, exactly the size taken.
// So bytes appended during the upload are not sent, and a file saved over by a rename is still
// read from the file that was opened. Removal afterwards happens only when the path still names
// that same, unchanged regular file.
#include <sys/stat.h>

#include <iostream>
#include <memory>
#include <string>

#include "platform/Error.h"

namespace skrw::storage {

class UploadFile {
  public:
    // Opens `path` (links followed) for reading, without blocking on a FIFO. Fails, setting
    // `error` and sending nothing, when the path names a FIFO, a socket, a device or a folder
    // (platform::FileManager::isTransferable's error; EISDIR for a folder), a file whose size reads
    // 0 but which holds bytes (EINVAL, "The file's size reads 0, but it holds data"), or when it
    // cannot be opened, examined or read (the errno of the failed call).
    [[nodiscard]] bool open(const std::string& path, platform::Error& error);

    // The body: exactly the size the file had when opened, read from the opened descriptor.
    // Seekable within those bytes (the S3 layer measures, hashes and rewinds it). It owns the
    // descriptor, which is closed when the last holder lets go. Null before a successful open().
    const std::shared_ptr<std::iostream>& body() const { return m_body; }

    // Removes the path (a link itself, not what it names) when it still names, links followed,
    // the regular file opened, with the same size and modification time. Otherwise, and when the
    // removal fails, the path is kept and `error` set: the errno of the failed call, or ESTALE
    // with the localized description "The file changed during the upload and was not removed."
    [[nodiscard]] bool removeIfUnchanged(platform::Error& error) const;

  private:
    std::string m_path;
    struct stat m_opened {};
    std::shared_ptr<std::iostream> m_body;
};

}  // namespace skrw::storage
