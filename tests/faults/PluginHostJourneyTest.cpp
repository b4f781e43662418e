// The built bundle driven end to end by pluginhost against the local S3 server: one short
// journey through every storage function, with a key of an unpaired surrogate and a character
// outside the BMP, a prefix holding NUL, and a failure read back with SKRW_GetLastError.
#include <gtest/gtest.h>

#include "RunProcess.h"
#include "TestEnv.h"
#include "TestServer.h"

namespace skrw::test {
namespace {

TEST(PluginHostJourney, EveryStorageFunctionThroughTheBundle) {
    useServerEndpoint();
    TempDir folder;
    const std::string b = "\"" + uniqueName("journey") + "\"", key = R"("a\ud800b \ud83d\ude00")";
    const std::string bucket = b.substr(1, b.size() - 2), got = folder.volumesPath() + "/got.txt";
    writeFile(folder.path() + "/up.txt", "journey content");
    const std::string input =
        "SKRW_UseCredentials(\"s3\"; \"S3RVER\"; \"S3RVER\")\nSKRW_CreateBucket(" + b + ")\n" +
        "SKRW_PostObject(" + b + "; " + key + "; \"" + folder.path() + "/up.txt\")\n" +
        "SKRW_GetBucket(" + b + ")\nSKRW_GetBucketProperty(\"keys\"; 0)\n" +
        "SKRW_GetBucketProperty(\"size\"; 0)\n" + "SKRW_GetObject(" + b + "; " + key + "; \"" +
        got + "\")\n" + "SKRW_CopyObject(" + b + "; " + key + "; " + b + "; \"copy\")\n" +
        "SKRW_DeleteObject(" + b + "; " + key + ")\nSKRW_DeleteObject(" + b + "; \"copy\")\n" +
        "SKRW_DeleteBucket(" + b + ")\nSKRW_DeleteBucket(" + b + ")\nSKRW_GetLastError()\n" +
        // Its answer is the server's affair; its request is ours.
        "SKRW_GetBucket(" + b + R"(; "n\u0000ul"))";
    const ProcessOutcome run = runProcess({PLUGINHOST_PATH, SKRW_BUNDLE_PATH}, input);
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string expected =
        "0\n0\n0\n0\na\xEF\xBF\xBD"
        "b \xF0\x9F\x98\x80\n\n15\n0\n0\n0\n0\n0\n!!ERROR!!\n"
        "MESSAGE: The specified bucket does not exist\nCODE: -400\nSOURCE: DeleteFolder\n";
    EXPECT_EQ(run.out.substr(0, expected.size()), expected);
    EXPECT_EQ(readFile(got), "journey content");
    std::vector<std::string> targets;
    for (const RecordedRequest& request : requestsFor(bucket)) {
        targets.push_back(request.method + " " + request.target);
    }
    const auto sent = [&](const std::string& start) {
        return std::any_of(targets.begin(), targets.end(),
                           [&](const std::string& t) { return t.starts_with(start); });
    };
    EXPECT_TRUE(sent("PUT /" + bucket + "/a%EF%BF%BDb%20%F0%9F%98%80"));
    EXPECT_TRUE(sent("GET /" + bucket + "?list-type=2&max-keys=1000&prefix=n%00ul"));
}

}  // namespace
}  // namespace skrw::test
