// A thousand mixed storage calls against the local S3 server, two of every twelve failing on
// purpose, leave the open descriptors where they were after warm-up and the resident memory
// within a few MiB (not measured under AddressSanitizer, whose quarantine holds freed memory).
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <functional>

#include "OpenDescriptors.h"
#include "TestEnv.h"
#include "TestServer.h"
#include "Texts.h"
#include "storage/SKFuncs.h"

namespace skrw::test {
namespace {

using platform::String;

long residentKib() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

TEST(Endurance, ThousandMixedCallsKeepDescriptorsAndMemoryFlat) {
    useServerEndpoint();
    TempDir folder;
    SKFuncs funcs;
    const String bucket = u8(uniqueName("endurance")), s3 = u8("s3"), key = u8(kAccessKey);
    const String source = u8(folder.path() + "/source.txt"), none;
    writeFile(folder.path() + "/source.txt", std::string(1024, 's'));
    ASSERT_TRUE(funcs.useCredentialsForService(s3, key, u8(kSecretKey), none));
    ASSERT_TRUE(funcs.createBucket(bucket));
    const std::string refused =
        "MESSAGE: Failed to list buckets\nCODE: -400\nSOURCE: UseCredentials";
    const auto object = [](int cycle) { return u8("obj-" + std::to_string(cycle % 10)); };
    const auto target = [&](int cycle) {
        return u8(folder.volumesPath() + "/downloads/" + std::to_string(cycle % 10));
    };
    const std::function<bool(int)> cycle[] = {
        [&](int) { return funcs.useCredentialsForService(s3, key, u8(kSecretKey), none); },
        [&](int) { return funcs.listBuckets().utf8() != "!!ERROR!!"; },
        [&](int c) { return funcs.postObject(bucket, object(c), source, false); },
        [&](int) { return funcs.getBucket(bucket, u8("obj-"), none, u8("100"), none); },
        [&](int) { return funcs.getBucketProperty(u8("keys"), 0).utf8() != "!!ERROR!!"; },
        [&](int c) { return funcs.getObject(bucket, object(c), target(c)); },
        [&](int c) { return funcs.copyObjectFromSourceBucket(bucket, object(c), bucket, u8("c")); },
        [&](int) { return funcs.deleteObject(bucket, u8("c")); },
        [&](int c) { return !funcs.getObject(bucket, u8("missing"), target(c)); },
        [&](int) { return !funcs.useCredentialsForService(s3, key, u8("wrong"), none); },
        [&](int) { return funcs.getLastError().utf8() == refused; },
        [&](int) { return funcs.getLastErrorCode().utf8() == "-400"; },
    };
    long warmDescriptors = 0, warmResident = 0;
    for (int call = 0; call < 1000; ++call) {
        ASSERT_TRUE(cycle[call % 12](call / 12) ||
                    (serverEndpoint(), false))  // names a dead server
            << "call " << call << " " << funcs.getLastError().utf8();
        if (call == 99) {
            warmDescriptors = openDescriptors();
            warmResident = residentKib();
        } else if (call % 100 == 99) {
            EXPECT_LE(openDescriptors(), warmDescriptors) << "call " << call;
        }
    }
    EXPECT_TRUE(SKRW_SANITIZED || residentKib() - warmResident <= 4096)
        << residentKib() - warmResident;
}

}  // namespace
}  // namespace skrw::test
