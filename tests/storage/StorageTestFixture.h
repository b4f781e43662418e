// Shared set-up of the storage tests: a storage object pointed at the local S3 server, its
// record, the requests the server received and local nodes of every kind.
#pragma once

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

#include <algorithm>

#include "TestEnv.h"
#include "TestServer.h"
#include "storage/SKFuncs.h"

namespace storage_test {

using namespace skrw::test;

inline platform::String S(std::string_view text) {
    return platform::String::fromUtf8(text);
}
inline const platform::String kNull;

inline std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// What the path names itself (0: nothing) and, links followed, what it leads to.
inline std::pair<mode_t, mode_t> nodeKinds(const std::string& path) {
    struct stat own {
    }, followed{};
    ::lstat(path.c_str(), &own);
    ::stat(path.c_str(), &followed);
    return {own.st_mode & S_IFMT, followed.st_mode & S_IFMT};
}

// A FIFO, a socket and, where the process may make one, a link to a null device node of the
// test's own, in `folder`: never a device of the machine.
inline std::vector<std::string> makeSpecialNodes(const std::string& folder) {
    std::vector<std::string> paths{folder + "/fifo", folder + "/sock"};
    EXPECT_EQ(::mkfifo(paths[0].c_str(), 0600), 0);
    sockaddr_un address{AF_UNIX, {}};
    paths[1].copy(address.sun_path, sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    if (::mknod((folder + "/null.node").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        EXPECT_EQ(::symlink("null.node", paths.emplace_back(folder + "/null").c_str()), 0);
    }
    return paths;
}

// The value of a query parameter in a raw request target, when it is there.
inline std::optional<std::string> queryValue(const std::string& target, const std::string& name) {
    const std::string query = "&" + target.substr(target.find('?') + 1) + "&";
    const auto at = query.find("&" + name + "=");
    if (target.find('?') == std::string::npos || at == std::string::npos) return std::nullopt;
    return query.substr(at + name.size() + 2, query.find('&', at + 1) - at - name.size() - 2);
}

// The region of a request's signature scope ("Credential=KEY/DATE/REGION/s3/aws4_request").
inline std::string signedRegion(const RecordedRequest& request) {
    const auto it = request.headers.find("authorization");
    if (it == request.headers.end()) return "";
    const auto start = it->second.find('/', it->second.find('/') + 1) + 1;
    return it->second.substr(start, it->second.find('/', start) - start);
}

class StorageTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { useServerEndpoint(); }
    static bool inOwnRoot() { return nodeKinds("/.skrw-own-root").first != 0; }
    // Downloads go below a temporary ".../Volumes/" folder: the machine's /Volumes is never made.
    void TearDown() override { EXPECT_TRUE(inOwnRoot() || nodeKinds("/Volumes").first == 0); }
    void authenticate(const platform::String& parameters = kNull) {
        ASSERT_TRUE(
            funcs.useCredentialsForService(S("s3"), S(kAccessKey), S(kSecretKey), parameters))
            << funcs.getLastError().utf8();
    }
    std::string newBucket(std::string_view prefix) {
        const std::string bucket = uniqueName(prefix);
        EXPECT_TRUE(funcs.createBucket(S(bucket))) << funcs.getLastError().utf8();
        return bucket;
    }
    void putObject(const std::string& bucket, const std::string& key, const std::string& content) {
        writeFile(temp.path() + "/upload-source", content);
        EXPECT_TRUE(funcs.postObject(S(bucket), S(key), S(temp.path() + "/upload-source"), false))
            << key << ": " << funcs.getLastError().utf8();
    }
    bool list(const std::string& bucket) {
        return funcs.getBucket(S(bucket), kNull, kNull, kNull, kNull);
    }
    std::string property(const char* name, int index = 0) {
        return funcs.getBucketProperty(S(name), index).utf8();
    }
    // The record holds these three texts (its text form is SkrError's own to check).
    void expectRecord(const std::string& message, const std::string& code,
                      const std::string& source) {
        EXPECT_EQ(funcs.getLastError().utf8(),
                  SkrError(S(message), S(code), S(source)).getError().utf8());
    }
    void expectCleared() { EXPECT_EQ(funcs.getLastError().utf8(), SkrError().getError().utf8()); }

    SKFuncs funcs;
    TempDir temp;
    CurrentFolderGuard folderGuard;
};

// A storage test whose credentials were accepted before it starts.
struct SignedInTest : StorageTest {
    void SetUp() override { authenticate(); }
};

}  // namespace storage_test
