// The user's journey through the built bundle, loaded by the stand-in host, every call made as
// the script step the host registered, against the local S3 server.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "TestServer.h"
#include "hostsim/Invocation.h"
#include "hostsim/PluginLoader.h"

namespace skrw::test {
namespace {

TEST(Journey, EveryStepOfTheLoadedBundleAgainstTheServer) {
    useServerEndpoint();
    TempDir temp;
    setenv("HOME", temp.path().c_str(), 1);
    const std::string bucket = uniqueName("journey"), upload = temp.path() + "/hello.txt",
                      download = temp.volumesPath() + "/downloads/hello.txt";
    std::ofstream(upload) << "Hello, S3!\n";
    hostsim::PluginLoader loader(SKRW_TEST_BUNDLE_DIR);
    ASSERT_EQ(loader.startup(57), 57);
    const struct {
        const char* step;
        std::vector<std::string> arguments;
        const char* answer;
    } rows[] = {
        {"SKRW_Version", {"Short"}, "1.0.0.0"},
        {"SKRW_UseCredentials", {"s3", kAccessKey, kSecretKey}, "0"},
        {"SKRW_CreateBucket", {bucket}, "0"},
        {"SKRW_PostObject", {bucket, "docs/hello.txt", upload, "Yes"}, "0"},
        {"SKRW_GetBucket", {bucket, "docs/"}, "0"},
        {"SKRW_GetBucketProperty", {"key", "0"}, "docs/hello.txt"},
        {"SKRW_GetObject", {bucket, "docs/hello.txt", download}, "0"},
        {"SKRW_CopyObject", {bucket, "docs/hello.txt", bucket, "copy"}, "0"},
        {"SKRW_DeleteObject", {bucket, "docs/hello.txt"}, "0"},
        {"SKRW_DeleteObject", {bucket, "copy"}, "0"},
        {"SKRW_DeleteBucket", {bucket}, "0"},
        {"SKRW_DeleteBucket", {bucket}, "!!ERROR!!"},
        {"SKRW_GetLastError", {"Number"}, "-400"},
        {"SKRW_Debug", {}, "0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.step);
        hostsim::Arguments args;
        for (const std::string& argument : row.arguments) args.textUtf8(argument);
        hostsim::Result result;
        const auto call = hostsim::invokeByName(hostsim::RegistryEntry::Kind::Step, row.step, args,
                                                result);
        ASSERT_TRUE(call.made) << call.error;
        EXPECT_EQ(call.hostError, 0);
        EXPECT_EQ(result.textUtf8(), row.answer);
    }
    loader.shutdown();
    EXPECT_EQ((std::stringstream() << std::ifstream(download).rdbuf()).str(), "Hello, S3!\n");
    EXPECT_FALSE(std::filesystem::exists(upload));  // posted with "Delete After Post"
}

}  // namespace
}  // namespace skrw::test
