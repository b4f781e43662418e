// Shared set-up of the tests that drive the storage access object against the local S3 server.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "TestServer.h"
#include "storage/SKFuncs.h"

namespace storage_test {

inline platform::String S(std::string_view text) {
    return platform::String::fromUtf8(text);
}
inline const platform::String kNull;

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

inline bool exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

inline std::string currentFolder() {
    char buffer[4096];
    return ::getcwd(buffer, sizeof buffer) != nullptr ? buffer : "";
}

// The value of a query parameter in a raw request target, when it is there.
inline std::optional<std::string> queryValue(const std::string& target, const std::string& name) {
    const auto question = target.find('?');
    if (question == std::string::npos) return std::nullopt;
    std::string_view query(target);
    query.remove_prefix(question + 1);
    while (!query.empty()) {
        const auto amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        const auto eq = pair.find('=');
        if (pair.substr(0, eq) == name) {
            return eq == std::string_view::npos ? std::string() : std::string(pair.substr(eq + 1));
        }
        if (amp == std::string_view::npos) break;
        query.remove_prefix(amp + 1);
    }
    return std::nullopt;
}

// The region of a request's signature scope ("Credential=KEY/DATE/REGION/s3/aws4_request").
inline std::string signedRegion(const skrw::test::RecordedRequest& request) {
    const auto it = request.headers.find("authorization");
    if (it == request.headers.end()) return "";
    const std::string& value = it->second;
    auto start = value.find("Credential=");
    if (start == std::string::npos) return "";
    for (int slash = 0; slash < 2; ++slash) start = value.find('/', start) + 1;
    return value.substr(start, value.find('/', start) - start);
}

// Restores an environment variable when it goes out of scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        const char* old = ::getenv(name);
        if (old != nullptr) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

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

    // A new bucket with a unique name.
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

    // The requests the server received whose target names the bucket, in order.
    static std::vector<skrw::test::RecordedRequest> requestsFor(const std::string& bucket) {
        std::vector<skrw::test::RecordedRequest> found;
        const std::string base = "/" + bucket;
        for (auto& request : skrw::test::recordedRequests()) {
            const std::string& t = request.target;
            if (t == base || t.starts_with(base + "/") || t.starts_with(base + "?")) {
                found.push_back(std::move(request));
            }
        }
        return found;
    }

    void expectRecord(const char* message, const char* code, const char* source) {
        EXPECT_EQ(funcs.getLastError().utf8(),
                  std::string("MESSAGE: ") + message + "\nCODE: " + code + "\nSOURCE: " + source);
    }
    void expectCleared() {
        EXPECT_EQ(funcs.getLastError().utf8(), "MESSAGE: Success\nCODE: 0\nSOURCE: Initialization");
    }
    std::string property(const char* name, int index = 0) {
        return funcs.getBucketProperty(S(name), index).utf8();
    }

    SKFuncs funcs;
    skrw::test::TempDir temp;

  private:
    std::string savedFolder_;
};

}  // namespace storage_test
