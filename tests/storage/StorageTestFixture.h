// Shared set-up of the storage tests: local file helpers, the raw requests the test server
// recorded, and a storage object pointed at the local S3 server.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "TestEnv.h"
#include "TestServer.h"
#include "storage/SKFuncs.h"

namespace storage_test {

using skrw::test::readFile;
using skrw::test::requestsFor;
using skrw::test::ScopedEnv;
using skrw::test::writeFile;

inline platform::String S(std::string_view text) {
    return platform::String::fromUtf8(text);
}
inline const platform::String kNull;

inline bool exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

inline std::string currentFolder() {
    return std::filesystem::current_path();
}

// The names in a folder, sorted.
inline std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// What the path names itself and, links followed, what it leads to.
inline std::pair<mode_t, mode_t> nodeKinds(const std::string& path) {
    struct stat own {};
    struct stat followed {};
    ::lstat(path.c_str(), &own);
    ::stat(path.c_str(), &followed);
    return {own.st_mode & S_IFMT, followed.st_mode & S_IFMT};
}

// Leaves a Unix-domain socket file at the path: it exists, but opening it fails, even for root.
inline bool makeSocketFile(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

// Leaves at `path` a link to a character device: to a null device node of the test's own beside
// it (`path` + ".node") when the process may make one, else to /dev/null, which a process that
// may not make nodes cannot replace either. So no fault can replace or remove the real device.
inline bool makeLinkToDevice(const std::string& path) {
    const std::string node = path + ".node";
    const bool own = ::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    return ::symlink(own ? node.c_str() : "/dev/null", path.c_str()) == 0;
}

// The value of a query parameter in a raw request target, when it is there.
inline std::optional<std::string> queryValue(const std::string& target, const std::string& name) {
    const auto question = target.find('?');
    if (question == std::string::npos) return std::nullopt;
    const std::string query = "&" + target.substr(question + 1) + "&";
    if (query.find("&" + name + "&") != std::string::npos) return std::string();
    const auto at = query.find("&" + name + "=");
    if (at == std::string::npos) return std::nullopt;
    const auto start = at + name.size() + 2;
    return query.substr(start, query.find('&', start) - start);
}

// The region of a request's signature scope ("Credential=KEY/DATE/REGION/s3/aws4_request").
inline std::string signedRegion(const skrw::test::RecordedRequest& request) {
    const auto it = request.headers.find("authorization");
    if (it == request.headers.end()) return "";
    auto start = it->second.find("Credential=");
    if (start == std::string::npos) return "";
    for (int slash = 0; slash < 2; ++slash) start = it->second.find('/', start) + 1;
    return it->second.substr(start, it->second.find('/', start) - start);
}

class StorageTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        skrw::test::useServerEndpoint();
        ::setenv("SKRW_AWS_RETRY_BASE_DELAY_MS", "1", 1);
    }
    void SetUp() override { savedFolder_ = currentFolder(); }
    void TearDown() override { EXPECT_EQ(::chdir(savedFolder_.c_str()), 0); }

    void authenticate(const platform::String& parameters = kNull) {
        ASSERT_TRUE(funcs.useCredentialsForService(S("s3"), S(skrw::test::kAccessKey),
                                                   S(skrw::test::kSecretKey), parameters))
            << funcs.getLastError().utf8();
    }

    std::string newBucket(std::string_view prefix = "storage") {
        const std::string bucket = skrw::test::uniqueName(prefix);
        EXPECT_TRUE(funcs.createBucket(S(bucket))) << funcs.getLastError().utf8();
        return bucket;
    }

    // Stores `content` under `key` through an upload of a local file.
    void putObject(const std::string& bucket, const std::string& key, const std::string& content) {
        const std::string file = temp.path() + "/upload-source";
        writeFile(file, content);
        EXPECT_TRUE(funcs.postObject(S(bucket), S(key), S(file), false))
            << key << ": " << funcs.getLastError().utf8();
    }

    bool list(const std::string& bucket) {
        return funcs.getBucket(S(bucket), kNull, kNull, kNull, kNull);
    }

    void expectRecord(const std::string& message, const std::string& code,
                      const std::string& source) {
        EXPECT_EQ(funcs.getLastError().utf8(),
                  "MESSAGE: " + message + "\nCODE: " + code + "\nSOURCE: " + source);
    }
    void expectCleared() { expectRecord("Success", "0", "Initialization"); }
    std::string property(const char* name, int index = 0) {
        return funcs.getBucketProperty(S(name), index).utf8();
    }

    SKFuncs funcs;
    skrw::test::TempDir temp;

  private:
    std::string savedFolder_;
};

// A storage test whose credentials were accepted before it starts.
class SignedInTest : public StorageTest {
  protected:
    void SetUp() override {
        StorageTest::SetUp();
        authenticate();
    }
};

}  // namespace storage_test
