// The local path rules of downloads and uploads, with a home folder of /Users/user.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "storage/LocalPaths.h"

namespace {

using platform::String;
using skrw::storage::downloadFileName;
using skrw::storage::downloadFolder;
using skrw::storage::downloadWorkPath;
using skrw::storage::uploadCandidates;
using skrw::storage::volumeForm;

String S(const char* text) {
    return String::fromUtf8(text);
}

class LocalPaths : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* home = ::getenv("HOME");
        if (home != nullptr) savedHome_ = home;
        hadHome_ = home != nullptr;
        ::setenv("HOME", "/Users/user", 1);
    }
    void TearDown() override {
        if (hadHome_) {
            ::setenv("HOME", savedHome_.c_str(), 1);
        } else {
            ::unsetenv("HOME");
        }
    }

    struct Download {
        std::string workPath, folder, file;
    };
    static Download download(const char* given) {
        const String work = downloadWorkPath(S(given));
        const String folder = downloadFolder(work);
        return {work.utf8(), folder.utf8(), downloadFileName(work, folder).utf8()};
    }
    static std::vector<std::string> uploads(const char* given) {
        std::vector<std::string> texts;
        for (const String& candidate : uploadCandidates(S(given)))
            texts.push_back(candidate.utf8());
        return texts;
    }

  private:
    std::string savedHome_;
    bool hadHome_ = false;
};

TEST_F(LocalPaths, VolumeFormJoinsWithExactlyOneSlash) {
    EXPECT_EQ(volumeForm(S("/Data/q1.csv")).utf8(), "/Volumes/Data/q1.csv");
    EXPECT_EQ(volumeForm(S("Data/q1.csv")).utf8(), "/Volumes/Data/q1.csv");
    // A path holding "/Volumes/" anywhere has no volume form; the test is case-sensitive.
    EXPECT_TRUE(volumeForm(S("/Users/user/Volumes/x/q1.csv")).isNull());
    EXPECT_EQ(volumeForm(S("/volumes/x")).utf8(), "/Volumes/volumes/x");
    EXPECT_EQ(volumeForm(S("/Volumes")).utf8(), "/Volumes/Volumes");
}

TEST_F(LocalPaths, AbsolutePathIsWrittenBelowVolumes) {
    const Download d = download("/Data/Reports/q1.csv");
    EXPECT_EQ(d.workPath, "/Volumes/Data/Reports/q1.csv");
    EXPECT_EQ(d.folder, "/Volumes/Data/Reports");
    EXPECT_EQ(d.file, "q1.csv");
    EXPECT_EQ(uploads("/Data/Reports/q1.csv"),
              (std::vector<std::string>{"/Data/Reports/q1.csv", "/Volumes/Data/Reports/q1.csv"}));
}

TEST_F(LocalPaths, RelativePathIsWrittenBelowVolumesButLookedForInTheCurrentFolderFirst) {
    const Download d = download("Data/Reports/q1.csv");
    EXPECT_EQ(d.workPath, "/Volumes/Data/Reports/q1.csv");
    EXPECT_EQ(d.folder, "/Volumes/Data/Reports");
    EXPECT_EQ(d.file, "q1.csv");
    EXPECT_EQ(uploads("Data/Reports/q1.csv"),
              (std::vector<std::string>{"Data/Reports/q1.csv", "/Volumes/Data/Reports/q1.csv"}));
}

TEST_F(LocalPaths, TildeIsExpandedForDownloadsOnly) {
    const Download d = download("~/Downloads/q1.csv");
    EXPECT_EQ(d.workPath, "/Volumes/Users/user/Downloads/q1.csv");
    EXPECT_EQ(d.folder, "/Volumes/Users/user/Downloads");
    EXPECT_EQ(d.file, "q1.csv");
    EXPECT_EQ(uploads("~/Downloads/q1.csv"),
              (std::vector<std::string>{"~/Downloads/q1.csv", "/Volumes/~/Downloads/q1.csv"}));
}

TEST_F(LocalPaths, PathsHoldingVolumesAreKeptAsGiven) {
    Download d = download("/Volumes/Data/q1.csv");
    EXPECT_EQ(d.workPath, "/Volumes/Data/q1.csv");
    EXPECT_EQ(d.folder, "/Volumes/Data");
    EXPECT_EQ(d.file, "q1.csv");
    EXPECT_EQ(uploads("/Volumes/Data/q1.csv"), (std::vector<std::string>{"/Volumes/Data/q1.csv"}));

    d = download("/Users/user/Volumes/x/q1.csv");
    EXPECT_EQ(d.workPath, "/Users/user/Volumes/x/q1.csv");
    EXPECT_EQ(d.folder, "/Users/user/Volumes/x");
    EXPECT_EQ(d.file, "q1.csv");
    EXPECT_EQ(uploads("/Users/user/Volumes/x/q1.csv"),
              (std::vector<std::string>{"/Users/user/Volumes/x/q1.csv"}));
}

TEST_F(LocalPaths, AFileDirectlyInVolumesHasTheVolumesFolderItself) {
    for (const char* given : {"/q1.csv", "q1.csv", "/Volumes/q1.csv"}) {
        const Download d = download(given);
        EXPECT_EQ(d.workPath, "/Volumes/q1.csv") << given;
        EXPECT_EQ(d.folder, "/Volumes") << given;
    }
    EXPECT_EQ(uploads("/q1.csv"), (std::vector<std::string>{"/q1.csv", "/Volumes/q1.csv"}));
    EXPECT_EQ(uploads("q1.csv"), (std::vector<std::string>{"q1.csv", "/Volumes/q1.csv"}));
    EXPECT_EQ(uploads("/Volumes/q1.csv"), (std::vector<std::string>{"/Volumes/q1.csv"}));
}

TEST_F(LocalPaths, TrailingSlashLeavesAFileNameThatNamesAFolder) {
    const Download d = download("/Volumes/Data/Reports/");
    EXPECT_EQ(d.folder, "/Volumes/Data");
    EXPECT_EQ(d.file, "Reports/");
}

}  // namespace
