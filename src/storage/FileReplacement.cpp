#include "storage/FileReplacement.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
#include <streambuf>
#include <vector>

#include "platform/FileManager.h"

namespace skrw::storage {

namespace {

constexpr int kMaxLinkHops = 40;
constexpr int kMaxNameAttempts = 100;
// Writes through a response stream go out in chunks of this size.
constexpr std::size_t kStreamBufferSize = 1u << 20;
// Written bytes are handed to the disk in steps of this size while the body still arrives, so
// that the final fsync finds little left to do.
constexpr off_t kWritebackStep = 8 << 20;

using platform::failWithErrno;

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Follows symbolic links until a path that is not one (or does not exist).
bool resolveLinks(const std::string& target, std::string& resolved, platform::Error& error) {
    resolved = target;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(resolved.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
        std::vector<char> buffer(PATH_MAX + 1);
        const ssize_t length = ::readlink(resolved.c_str(), buffer.data(), PATH_MAX);
        if (length < 0) return failWithErrno(error, errno, "readlink", target);
        std::string next(buffer.data(), static_cast<std::size_t>(length));
        resolved = next.starts_with('/') ? next : folderOf(resolved) + "/" + next;
    }
    return failWithErrno(error, ELOOP, "open", target);
}

std::string randomSuffix() {
    static std::mt19937_64 generator{std::random_device{}()};
    static const char kDigits[] = "0123456789abcdef";
    std::string suffix;
    for (std::uint64_t value = generator(); suffix.size() < 12; value >>= 4) {
        suffix.push_back(kDigits[value & 0xF]);
    }
    return suffix;
}

// Creates a new, empty file next to `finalPath`; the kernel applies the process's umask. None
// held, errno set, when it cannot.
platform::UniqueFd createTemporary(const std::string& finalPath, std::string& name) {
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        name = folderOf(finalPath) + "/.skrw-download-" + randomSuffix() + ".part";
        platform::UniqueFd file(
            ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (file || errno != EEXIST) return file;
    }
    errno = EEXIST;
    return platform::UniqueFd();
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
    if (!m_temporary.empty()) ::unlink(m_temporary.c_str());
}

bool ReplacementFile::open(const std::string& target, platform::Error& error) {
    m_target = target;
    if (target.ends_with('/')) return failWithErrno(error, EISDIR, "open", target);
    if (!resolveLinks(target, m_finalPath, error)) return false;

    struct stat existing {};
    const bool exists = ::stat(m_finalPath.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return failWithErrno(error, EISDIR, "open", target);
    if (exists && !platform::FileManager::isTransferable(existing, "open", target, error)) {
        return false;
    }

    std::string name;
    m_file = createTemporary(m_finalPath, name);
    if (!m_file) return failWithErrno(error, errno, "open", target);
    m_temporary = name;
    if (exists && ::fchmod(m_file.get(), existing.st_mode & 07777) != 0) {
        return failWithErrno(error, errno, "chmod", target);
    }
    return true;
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

bool ReplacementFile::commit(platform::Error& error) {
    if (!m_file) return failWithErrno(error, EBADF, "write", m_target);
    if (writeFailed(error)) return false;
    if (::fsync(m_file.get()) != 0) return failWithErrno(error, errno, "write", m_target);
    if (!m_file.close()) return failWithErrno(error, errno, "close", m_target);
    if (::rename(m_temporary.c_str(), m_finalPath.c_str()) != 0) {
        return failWithErrno(error, errno, "rename", m_target);
    }
    m_temporary.clear();
    return true;
}

}  // namespace skrw::storage
