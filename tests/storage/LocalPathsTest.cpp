// The local path rules of downloads and uploads, with a home folder of /Users/user.
#include "StorageTestFixture.h"
#include "storage/LocalPaths.h"

namespace storage_test {
namespace {

using platform::String;
using namespace skrw::storage;
using Paths = std::vector<std::string>;

TEST(LocalPaths, VolumeFormJoinsWithExactlyOneSlash) {
    EXPECT_EQ(volumeForm(S("/Data/q1.csv")).utf8(), "/Volumes/Data/q1.csv");
    EXPECT_EQ(volumeForm(S("Data/q1.csv")).utf8(), "/Volumes/Data/q1.csv");
    // A path holding "/Volumes/" anywhere has no volume form; the test is case-sensitive.
    EXPECT_TRUE(volumeForm(S("/Users/user/Volumes/x/q1.csv")).isNull());
    EXPECT_EQ(volumeForm(S("/volumes/x")).utf8(), "/Volumes/volumes/x");
    EXPECT_EQ(volumeForm(S("/Volumes")).utf8(), "/Volumes/Volumes");
}

TEST(LocalPaths, WhereADownloadIsWrittenAndWhereAnUploadIsLookedFor) {
    ScopedEnv home("HOME", "/Users/user");
    const struct {
        const char* given;
        const char* workPath;
        const char* folder;
        const char* file;
        Paths uploads;
    } rows[] = {
        // Absolute and relative paths are written below /Volumes; uploads try the path first.
        {"/Data/Reports/q1.csv",
         "/Volumes/Data/Reports/q1.csv",
         "/Volumes/Data/Reports",
         "q1.csv",
         {"/Data/Reports/q1.csv", "/Volumes/Data/Reports/q1.csv"}},
        {"Data/Reports/q1.csv",
         "/Volumes/Data/Reports/q1.csv",
         "/Volumes/Data/Reports",
         "q1.csv",
         {"Data/Reports/q1.csv", "/Volumes/Data/Reports/q1.csv"}},
        // "~" is expanded for downloads only.
        {"~/Downloads/q1.csv",
         "/Volumes/Users/user/Downloads/q1.csv",
         "/Volumes/Users/user/Downloads",
         "q1.csv",
         {"~/Downloads/q1.csv", "/Volumes/~/Downloads/q1.csv"}},
        // Paths holding "/Volumes/" are kept as given.
        {"/Volumes/Data/q1.csv",
         "/Volumes/Data/q1.csv",
         "/Volumes/Data",
         "q1.csv",
         {"/Volumes/Data/q1.csv"}},
        {"/Users/user/Volumes/x/q1.csv",
         "/Users/user/Volumes/x/q1.csv",
         "/Users/user/Volumes/x",
         "q1.csv",
         {"/Users/user/Volumes/x/q1.csv"}},
        // A file directly in /Volumes has the volumes folder itself.
        {"/q1.csv", "/Volumes/q1.csv", "/Volumes", "q1.csv", {"/q1.csv", "/Volumes/q1.csv"}},
        {"q1.csv", "/Volumes/q1.csv", "/Volumes", "q1.csv", {"q1.csv", "/Volumes/q1.csv"}},
        {"/Volumes/q1.csv", "/Volumes/q1.csv", "/Volumes", "q1.csv", {"/Volumes/q1.csv"}},
        // A trailing slash leaves a file name that names a folder.
        {"/Volumes/Data/Reports/",
         "/Volumes/Data/Reports/",
         "/Volumes/Data",
         "Reports/",
         {"/Volumes/Data/Reports/"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.given);
        const String work = downloadWorkPath(S(row.given));
        const String folder = downloadFolder(work);
        EXPECT_EQ(work.utf8(), row.workPath);
        EXPECT_EQ(folder.utf8(), row.folder);
        EXPECT_EQ(downloadFileName(work, folder).utf8(), row.file);
        Paths uploads;
        for (const String& candidate : uploadCandidates(S(row.given))) {
            uploads.push_back(candidate.utf8());
        }
        EXPECT_EQ(uploads, row.uploads);
    }
}

}  // namespace
}  // namespace storage_test
