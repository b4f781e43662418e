// Paths reached through their "/Volumes" form. Run by own_root.sh in a root of their own, so that
// nothing is ever made in the machine's real /Volumes.
#include "StorageTestFixture.h"

namespace storage_test {
namespace {

class VolumesRoot : public SignedInTest {
  protected:
    void SetUp() override {
        if (!inOwnRoot()) {
            if (::geteuid() != 0) GTEST_SKIP() << "a root of its own needs root (own_root.sh)";
            FAIL() << "not in a root of its own: run it through tests/storage/own_root.sh";
        }
        SignedInTest::SetUp();
        bucket = newBucket("volumes");
        std::filesystem::create_directories("/Volumes/" + bucket);
        ASSERT_EQ(::chdir(temp.path().c_str()), 0);
    }
    std::string bucket;
};

// The path as given names nothing: the upload sends, and removes, its volume form.
TEST_F(VolumesRoot, UploadFallsBackToTheVolumeFormAndRemovesTheFileItSent) {
    for (const bool deleteAfter : {false, true}) {
        const std::string name = deleteAfter ? "gone" : "kept";
        for (const std::string& given : {"/" + bucket + "/" + name, bucket + "/rel-" + name}) {
            const std::string volume = "/Volumes/" + given.substr(given[0] == '/');
            writeFile(volume, name);
            ASSERT_TRUE(funcs.postObject(S(bucket), S(given.substr(given.rfind('/') + 1)), S(given),
                                         deleteAfter))
                << funcs.getLastError().utf8();
            EXPECT_EQ(nodeKinds(volume).first != 0, !deleteAfter) << given;
        }
    }
    ASSERT_TRUE(list(bucket));
    EXPECT_EQ(property("count"), "4");
}

TEST_F(VolumesRoot, DownloadGoesBelowVolumesButNeverIntoVolumesItself) {
    putObject(bucket, "q1.csv", "a,b");
    ASSERT_TRUE(funcs.getObject(S(bucket), S("q1.csv"), S("/" + bucket + "/q1.csv")));
    EXPECT_EQ(readFile("/Volumes/" + bucket + "/q1.csv"), "a,b");
    for (const std::string& given : {"/" + bucket + ".csv", bucket + ".csv"}) {
        EXPECT_FALSE(funcs.getObject(S(bucket), S("q1.csv"), S(given)));
        expectRecord(
            "Failed to create the folder at the destination location. Please check the "
            "file path and try again.",
            "-400", "GetObject");
        EXPECT_EQ(nodeKinds("/Volumes/" + bucket + ".csv").first, 0u);
    }
}

}  // namespace
}  // namespace storage_test
