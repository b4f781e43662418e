#include "storage/FileReplacement.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
#include <streambuf>
#include <vector>

#include "platform/FileManager.h"
#include "platform/PathResolution.h"

namespace skrw::storage {

namespace {

constexpr int kMaxNameAttempts = 100;
// Writes through a response stream go out in chunks of this size.
constexpr std::size_t kStreamBufferSize = 1u << 20;
// Written bytes are handed to the disk in steps of this size while the body still arrives, so
// that the final fsync finds little left to do.
constexpr off_t kWritebackStep = 8 << 20;

using platform::failWithErrno;

// A short name for the file until it replaces the target: short, so that it fits wherever the
// target's name fits.
std::string temporaryName() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    static const char kDigits[] = "0123456789abcdef";
    std::string name = ".skrw-";
    for (std::uint64_t value = generator(); name.size() < 18; value >>= 4) {
        name.push_back(kDigits[value & 0xF]);
    }
    return name;
}

// A new, empty file under a temporary name in `folder`, with permission bits `mode` less the
// process's umask. None held, errno set, when it cannot be made.
platform::UniqueFd createNamed(int folder, std::string& name, mode_t mode) {
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        name = temporaryName();
        platform::UniqueFd file(
            ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (file) return file;
        if (errno != EEXIST) break;
    }
    const int failure = errno;
    name.clear();
    errno = failure;
    return platform::UniqueFd();
}

// The access control list that the file system keeps beside the permission bits.
constexpr char kAccessList[] = "system.posix_acl_access";

// Gives `file` the access list of the file `name` in `folder`, or none when that file has none
// (a new file may have inherited one from its folder). False when the lists cannot be made the
// same.
bool copyAccessList(int folder, const std::string& name, int file) {
    const std::string replaced = "/proc/self/fd/" + std::to_string(folder) + "/" + name;
    std::vector<char> list(256);
    ssize_t size = 0;
    while ((size = ::lgetxattr(replaced.c_str(), kAccessList, list.data(), list.size())) < 0 &&
           errno == ERANGE) {
        list.resize(list.size() * 4);
    }
    if (size >= 0) return ::fsetxattr(file, kAccessList, list.data(), size, 0) == 0;
    if (errno != ENODATA && errno != ENOTSUP) return false;
    return ::fremovexattr(file, kAccessList) == 0 || errno == ENODATA || errno == ENOTSUP;
}

std::string lastComponent(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// A name longer than its folder's file system allows would fail only at the rename, after the
// whole body was fetched.
bool nameFits(const platform::ResolvedPath& at, const std::string& target, platform::Error& error) {
    const long longest = ::fpathconf(at.folder.get(), _PC_NAME_MAX);
    if (longest > 0 && at.name.size() > static_cast<std::size_t>(longest)) {
        return failWithErrno(error, ENAMETOOLONG, "open", target);
    }
    return true;
}

// Refuses what the target names when writing into it in place would not have been allowed, or
// would not have written a file: a folder, a FIFO, a socket, a device, another user's file planted
// in a shared folder, a file the caller (by its effective ids) may not write.
bool refusesNode(const platform::ResolvedPath& at, const std::string& target,
                 platform::Error& error) {
    if (!at.node) return false;
    if (S_ISDIR(at.node->st_mode)) return !failWithErrno(error, EISDIR, "open", target);
    if (!platform::FileManager::isTransferable(*at.node, "open", target, error)) return true;
    // The rule the kernel applies to links there holds for files too (fs.protected_regular),
    // whatever the machine's setting: no one plants a file for another user's download to fill.
    if (!platform::sharedFolderAllows(at.folder.get(), at.node->st_uid)) {
        return !failWithErrno(error, EACCES, "open", target);
    }
    if (::faccessat(at.folder.get(), at.name.c_str(), W_OK, AT_EACCESS) != 0) {
        return !failWithErrno(error, errno, "open", target);
    }
    return false;
}

// Where `target` leads, and whether what it names may be replaced: checked before the request
// and again when the body arrives, since the path may have changed in between.
bool locate(const std::string& target, platform::ResolvedPath& at, platform::Error& error) {
    if (target.ends_with('/')) return failWithErrno(error, EISDIR, "open", target);
    return platform::resolvePath(target, at, error) && nameFits(at, target, error) &&
           !refusesNode(at, target, error);
}

// The new file is made in the target's folder and renamed there: a folder the caller may not
// write into would refuse it only once the whole body was fetched.
bool mayWriteIn(const platform::ResolvedPath& at, const std::string& target,
                platform::Error& error) {
    if (::faccessat(at.folder.get(), ".", W_OK | X_OK, AT_EACCESS) == 0) return true;
    return failWithErrno(error, errno, "open", target);
}

// A write-only stream buffer over a descriptor it does not own. Small writes gather in a large
// buffer and large ones go out whole, so a body costs one write call per megabyte or so. The
// first failed write's error number is kept in `failure`.
class DescriptorWriteBuf : public std::streambuf {
  public:
    DescriptorWriteBuf(int fd, int& failure)
        : m_fd(fd), m_failure(failure), m_buffer(kStreamBufferSize) {
        setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    }
    ~DescriptorWriteBuf() override { drain(); }

  protected:
    int_type overflow(int_type c) override {
        if (!drain()) return traits_type::eof();
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
        return c;
    }

    std::streamsize xsputn(const char* data, std::streamsize count) override {
        const auto size = static_cast<std::size_t>(count);
        if (size >= m_buffer.size()) {
            if (!drain() || !put(data, size)) return 0;
            return count;
        }
        std::size_t done = 0;
        while (done < size) {
            if (pptr() == epptr() && !drain()) return static_cast<std::streamsize>(done);
            const std::size_t chunk =
                std::min(size - done, static_cast<std::size_t>(epptr() - pptr()));
            std::memcpy(pptr(), data + done, chunk);
            pbump(static_cast<int>(chunk));
            done += chunk;
        }
        return count;
    }

    int sync() override { return drain() ? 0 : -1; }

  private:
    bool put(const char* data, std::size_t size) {
        if (m_failure != 0) return false;
        if (!platform::writeAll(m_fd, data, size)) {
            m_failure = errno != 0 ? errno : EIO;
            return false;
        }
        m_written += static_cast<off_t>(size);
        startWriteback();
        return true;
    }

    // Starts (without waiting for) the disk writes of what was written since the last step. Only
    // a hint: the commit's fsync is what makes the bytes durable, so a failure here is ignored.
    void startWriteback() {
        if (m_written - m_writebackFrom < kWritebackStep) return;
        ::sync_file_range(m_fd, m_writebackFrom, m_written - m_writebackFrom,
                          SYNC_FILE_RANGE_WRITE);
        m_writebackFrom = m_written;
    }

    bool drain() {
        const auto pending = static_cast<std::size_t>(pptr() - pbase());
        setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
        return pending == 0 || put(m_buffer.data(), pending);
    }

    int m_fd;
    int& m_failure;
    std::vector<char> m_buffer;
    off_t m_written = 0;  // the stream starts at the start of an emptied file
    off_t m_writebackFrom = 0;
};

class DescriptorWriteStream : public std::iostream {
  public:
    DescriptorWriteStream(int fd, int& failure) : std::iostream(nullptr), m_buffer(fd, failure) {
        rdbuf(&m_buffer);
    }

  private:
    DescriptorWriteBuf m_buffer;
};

}  // namespace

ReplacementFile::~ReplacementFile() {
    m_file.reset();
    if (!m_temporary.empty()) ::unlinkat(m_folder.get(), m_temporary.c_str(), 0);
}

bool ReplacementFile::mayReplace(const std::string& target, platform::Error& error) {
    platform::ResolvedPath at;
    if (locate(target, at, error)) return mayWriteIn(at, target, error);
    if (error.code != ENOENT && error.code != ENOTDIR) return false;
    // A folder on the way that does not exist yet: the download makes it.
    if (lastComponent(target).size() > NAME_MAX) {
        return failWithErrno(error, ENAMETOOLONG, "open", target);
    }
    return true;
}

bool ReplacementFile::open(const std::string& target, platform::Error& error) {
    m_target = target;
    platform::ResolvedPath at;
    if (!locate(target, at, error)) return false;
    // Read access, so that the folder can be synced; a folder the caller may only write into and
    // search is used as resolved, and not synced.
    m_folder =
        platform::UniqueFd(::openat(at.folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!m_folder) m_folder = std::move(at.folder);
    m_name = at.name;
    if (!createFile(at.node)) return failWithErrno(error, errno, "open", target);
    return true;
}

// The new file: unnamed where the file system allows, else under a temporary name. A named file
// that replaces another is private to the caller until it has taken the replaced file's access,
// so that no one opens it in between and reads a body that file would not have shown them.
bool ReplacementFile::createFile(const std::optional<struct stat>& replaced) {
    m_file =
        platform::UniqueFd(::openat(m_folder.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (!m_file && errno != EOPNOTSUPP && errno != EISDIR) return false;
    if (!m_file) m_file = createNamed(m_folder.get(), m_temporary, replaced ? 0600 : 0666);
    if (!m_file) return false;
    return !replaced || takeAccessOf(*replaced);
}

// A replaced file's owner and group first (where the process may give them; otherwise the file
// stays the caller's), then its access list and permission bits without the set-ID and sticky
// ones, which the new owner would otherwise gain through a write that could never have set them.
// Where the group or the access list cannot be kept, the group bits are cleared rather than
// handed to another group, or to entries the replaced file did not have.
bool ReplacementFile::takeAccessOf(const struct stat& replaced) {
    mode_t mode = replaced.st_mode & 0777;
    if (::fchown(m_file.get(), replaced.st_uid, replaced.st_gid) != 0 &&
        ::fchown(m_file.get(), static_cast<uid_t>(-1), replaced.st_gid) != 0) {
        mode &= ~S_IRWXG;
    }
    if (!copyAccessList(m_folder.get(), m_name, m_file.get())) mode &= ~S_IRWXG;
    return ::fchmod(m_file.get(), mode) == 0;
}

std::iostream* ReplacementFile::newStream(platform::Error& error) {
    if (!m_file) return nullptr;
    if (::ftruncate(m_file.get(), 0) != 0 || ::lseek(m_file.get(), 0, SEEK_SET) != 0) {
        error = platform::Error::fromErrno(errno, "write", m_target);
        return nullptr;
    }
    m_writeErrno = 0;
    return new DescriptorWriteStream(m_file.get(), m_writeErrno);
}

bool ReplacementFile::writeFailed(platform::Error& error) const {
    if (m_writeErrno == 0) return false;
    error = platform::Error::fromErrno(m_writeErrno, "write", m_target);
    return true;
}

// Links the unnamed file into the folder under a temporary name (through /proc, which needs no
// privilege, unlike linkat's AT_EMPTY_PATH).
bool ReplacementFile::nameFile() {
    if (!m_temporary.empty()) return true;
    const std::string self = "/proc/self/fd/" + std::to_string(m_file.get());
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        const std::string name = temporaryName();
        if (::linkat(AT_FDCWD, self.c_str(), m_folder.get(), name.c_str(), AT_SYMLINK_FOLLOW) ==
            0) {
            m_temporary = name;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    errno = EEXIST;
    return false;
}

bool ReplacementFile::commit(platform::Error& error) {
    if (!m_file) return failWithErrno(error, EBADF, "write", m_target);
    if (writeFailed(error)) return false;
    if (::fsync(m_file.get()) != 0) return failWithErrno(error, errno, "write", m_target);
    if (!nameFile()) return failWithErrno(error, errno, "link", m_target);
    if (!m_file.close()) return failWithErrno(error, errno, "close", m_target);
    if (::renameat(m_folder.get(), m_temporary.c_str(), m_folder.get(), m_name.c_str()) != 0) {
        return failWithErrno(error, errno, "rename", m_target);
    }
    m_temporary.clear();
    // EBADF: a folder that could not be opened for reading; EINVAL: one whose file system cannot
    // sync a folder. Neither has anything this process could sync.
    if (::fsync(m_folder.get()) != 0 && errno != EBADF && errno != EINVAL) {
        return failWithErrno(error, errno, "fsync", m_target);
    }
    return true;
}

}  // namespace skrw::storage
