#include "storage/FileReplacement.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <vector>

namespace skrw::storage {

namespace {

constexpr int kMaxLinkHops = 40;
constexpr int kMaxNameAttempts = 100;
constexpr std::size_t kChunkSize = 64 * 1024;

// Owns an open file descriptor.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now and answers whether the close succeeded.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

// Removes the temporary file unless it was renamed into place.
class TemporaryName {
  public:
    explicit TemporaryName(std::string path) : path_(std::move(path)) {}
    ~TemporaryName() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;
    const std::string& path() const { return path_; }
    void release() { path_.clear(); }

  private:
    std::string path_;
};

bool fail(platform::Error& error, int number, const char* operation, const std::string& path) {
    error = platform::Error::fromErrno(number, operation, path);
    return false;
}

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
        if (length < 0) return fail(error, errno, "readlink", target);
        std::string next(buffer.data(), static_cast<std::size_t>(length));
        resolved = next.starts_with('/') ? next : folderOf(resolved) + "/" + next;
    }
    return fail(error, ELOOP, "open", target);
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

// Creates a new, empty file next to `finalPath`; the kernel applies the process's umask.
int createTemporary(const std::string& finalPath, std::string& name) {
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        name = folderOf(finalPath) + "/.skrw-download-" + randomSuffix() + ".part";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool copyBody(std::istream& body, int fd, const std::string& target, platform::Error& error) {
    std::vector<char> chunk(kChunkSize);
    while (body) {
        body.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto count = static_cast<std::size_t>(body.gcount());
        if (!writeAll(fd, chunk.data(), count)) return fail(error, errno, "write", target);
    }
    if (body.bad()) return fail(error, EIO, "read", target);
    return true;
}

}  // namespace

bool replaceFileWithStream(const std::string& target, std::istream& body, platform::Error& error) {
    if (target.ends_with('/')) return fail(error, EISDIR, "open", target);
    std::string finalPath;
    if (!resolveLinks(target, finalPath, error)) return false;

    struct stat existing {};
    const bool exists = ::stat(finalPath.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return fail(error, EISDIR, "open", target);

    std::string name;
    Descriptor file(createTemporary(finalPath, name));
    if (file.get() < 0) return fail(error, errno, "open", target);
    TemporaryName temporary(name);

    if (exists && ::fchmod(file.get(), existing.st_mode & 07777) != 0) {
        return fail(error, errno, "chmod", target);
    }
    if (!copyBody(body, file.get(), target, error)) return false;
    if (::fsync(file.get()) != 0) return fail(error, errno, "write", target);
    if (!file.close()) return fail(error, errno, "close", target);
    if (::rename(temporary.path().c_str(), finalPath.c_str()) != 0) {
        return fail(error, errno, "rename", target);
    }
    temporary.release();
    return true;
}

}  // namespace skrw::storage
