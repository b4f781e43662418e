#pragma once
// A storage object pointed at the local S3 test server, with helpers that make the calls a user
// would make through the script functions.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ScriptCall.h"
#include "StorageFixture.h"
#include "TestServer.h"
#include "functions/FunctionTable.h"

namespace skrw::test {

class WithServer : public WithStorage {
  protected:
    void SetUp() override {
        useServerEndpoint();
        savedFolder_ = std::filesystem::current_path();
        WithStorage::SetUp();
    }
    void TearDown() override {
        // A download makes its destination folder the current folder; leave it before the
        // temporary folder goes.
        std::filesystem::current_path(savedFolder_);
        WithStorage::TearDown();
    }

    Answer useServerCredentials() {
        return call(SKRW_UseCredentials, kSKRW_UseCredentialsId, {"s3", kAccessKey, kSecretKey});
    }
    // A new bucket created through SKRW_CreateBucket.
    std::string newBucket(std::string_view prefix) {
        const std::string bucket = uniqueName(prefix);
        EXPECT_EQ(call(SKRW_CreateBucket, kSKRW_CreateBucketId, {bucket}).text, "0") << bucket;
        return bucket;
    }
    // A local file with the given content, below the temporary folder.
    std::string localFile(const std::string& name, const std::string& content) {
        const std::string path = files_.path() + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    Answer upload(const std::string& bucket, const std::string& key, const std::string& content) {
        return call(SKRW_PostObject, kSKRW_PostObjectId,
                    {bucket, key, localFile("upload-" + std::to_string(++uploads_), content)});
    }
    Answer property(std::string_view name, long double index) {
        hostsim::Arguments args;
        args.textUtf8(name).number(index);
        return call(SKRW_GetBucketProperty, kSKRW_GetBucketPropertyId, args);
    }
    // The targets of the requests the server received for the bucket since the start.
    std::vector<std::string> targetsFor(const std::string& bucket) {
        std::vector<std::string> targets;
        for (const RecordedRequest& request : recordedRequests()) {
            if (request.target.rfind("/" + bucket, 0) == 0) targets.push_back(request.target);
        }
        return targets;
    }
    static std::string contentOf(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    TempDir files_;

  private:
    std::filesystem::path savedFolder_;
    int uploads_ = 0;
};

}  // namespace skrw::test
