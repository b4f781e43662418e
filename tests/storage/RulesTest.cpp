// The pure rules of storage: the record's text, local paths, the region of the parameters and of
// new buckets, the texts a listed object answers, and how a downloaded body replaces a file.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <ctime>
#include <filesystem>
#include <set>

#include "FileCalls.h"
#include "TestEnv.h"
#include "TestServer.h"
#include "Texts.h"
#include "storage/FileReplacement.h"
#include "storage/ListingProperties.h"
#include "storage/LocalPaths.h"
#include "storage/Region.h"
#include "storage/SKFuncs.h"

namespace {

using namespace skrw::storage;
using namespace skrw::test;
using Aws::S3::Model::BucketLocationConstraint;
using Class = Aws::S3::Model::ObjectStorageClass;

TEST(SkrError, ThreeLinesAndThePlatformForms) {
    SkrError record;
    EXPECT_EQ(record.getError().utf8(), "MESSAGE: Success\nCODE: 0\nSOURCE: Initialization");
    record.setErrorWithNSError({-17, "removing /x: Interrupted", "Interrupted"});
    EXPECT_EQ(record.getError().utf8(), "MESSAGE: Interrupted\nCODE: -17\nSOURCE: ERROR");
    EXPECT_EQ(record.code().utf8(), "-17");
    record.setErrorWithError(SkrError({-4, "removing /x: Interrupted", ""}));
    EXPECT_EQ(record.getError().utf8(),
              "MESSAGE: removing /x: Interrupted\nCODE: -4\nSOURCE: ERROR");
    record.clearError();
    EXPECT_EQ(record.getError().utf8(), SkrError().getError().utf8());
}

// Where a download is written (work path, folder, file name) and where an upload looks.
TEST(LocalPaths, WhereADownloadIsWrittenAndWhereAnUploadIsLookedFor) {
    ScopedEnv home("HOME", "/Users/u");
    const std::pair<const char*, const char*> rows[] = {
        {"/D/q", "/Volumes/D/q /Volumes/D q /D/q /Volumes/D/q"},
        {"q", "/Volumes/q /Volumes q q /Volumes/q"},
        {"~/q", "/Volumes/Users/u/q /Volumes/Users/u q ~/q /Volumes/~/q"},
        {"/u/Volumes/x/q", "/u/Volumes/x/q /u/Volumes/x q /u/Volumes/x/q"},
        {"/Volumes/D/R/", "/Volumes/D/R/ /Volumes/D R/ /Volumes/D/R/"},
        {"/volumes/q", "/Volumes/volumes/q /Volumes/volumes q /volumes/q /Volumes/volumes/q"}};
    for (const auto& [given, expected] : rows) {
        SCOPED_TRACE(given);
        const skrw::platform::String work = downloadWorkPath(u8(given)),
                                     folder = downloadFolder(work);
        std::string found = work.utf8() + " " + folder.utf8() + " ";
        found += downloadFileName(work, folder).utf8();
        for (const auto& path : uploadCandidates(u8(given))) found += " " + path.utf8();
        EXPECT_EQ(found, expected);
    }
}

TEST(Region, FirstPairNamedRegionGivesItsValueAndOnlyAKnownNameAConstraint) {
    std::string regions;
    for (const char* parameters :
         {"REGION=us-west-2;region=sa-east-1", "region=EU-1=x", "region;x=1;region= eu ",
          "region=;region=eu-west-1", "regionx=eu", " region=eu", ""}) {
        regions += regionFromParameters(u8(parameters)).utf8() + "|";
    }
    EXPECT_EQ(regions, "us-west-2|EU-1| eu |||||");
    EXPECT_FALSE(regionFromParameters(skrw::platform::String()).isNull());
    // Every known name but "EU", in any case, is its own constraint; any other text us-east-1.
    using enum BucketLocationConstraint;
    const std::pair<const char*, BucketLocationConstraint> rows[] = {
        {"eu-west-1", eu_west_1},
        {"US-WEST-1", us_west_1},
        {"us-west-2", us_west_2},
        {"Ap-South-1", ap_south_1},
        {"ap-southeast-1", ap_southeast_1},
        {"AP-SOUTHEAST-2", ap_southeast_2},
        {"ap-northeast-1", ap_northeast_1},
        {"ap-northeast-2", ap_northeast_2},
        {"SA-EAST-1", sa_east_1},
        {"cn-north-1", cn_north_1},
        {"eu-central-1", eu_central_1},
        {"EU-WEST-3", eu_west_3},
        {"eu-west-2", eu_west_2},
        {"ca-central-1", ca_central_1},
        {"us-gov-west-1", us_gov_west_1},
        {"US-East-1", us_east_1},
        {"us-east-2", us_east_2},
        {"cn-northwest-1", cn_northwest_1},
        {"", us_east_1},
        {"EU", us_east_1},
        {"eu", us_east_1},
        {" eu-west-1", us_east_1},
        {"eu_west_1", us_east_1},
        {"mars-1", us_east_1}};
    for (const auto& [name, constraint] : rows) {
        SCOPED_TRACE(name);
        EXPECT_EQ(GetRegion(u8(name)), constraint);
    }
}

TEST(ListingProperties, TextsOfAnObject) {
    Aws::S3::Model::Object object;
    Aws::S3::Model::Owner owner;
    owner.SetDisplayName("owner-name");
    owner.SetID("owner-id");
    object.SetKey("d/\xC3\xA9.txt");
    object.SetETag("\"abc\"");
    object.SetSize(5000000000LL);
    object.SetStorageClass(Class::GLACIER);
    object.SetOwner(owner);
    object.SetLastModified(Aws::Utils::DateTime(int64_t{1700000000000}));  // 2023-11-14T22:13:20Z
    const auto localOffset = [] {
        const std::time_t start = 0;
        std::tm local{};
        return ::localtime_r(&start, &local)->tm_gmtoff;
    };
    const long offset = localOffset();
    std::string texts;
    {
        ScopedEnv zone("TZ", "IST-5:30");
        ::tzset();
        for (const char* name : {"key", "displayname", "name", "etag", "size", "storageclass",
                                 "isfolder", "ownername", "ownerid", "owner", "lastmodified"}) {
            texts += objectPropertyText(object, u8(name)).utf8() + " ";
        }
    }
    ::tzset();  // the zone of the process again, for the tests after this one
    EXPECT_EQ(localOffset(), offset);
    EXPECT_EQ(texts,
              "d/\xC3\xA9.txt d/\xC3\xA9.txt d/\xC3\xA9.txt \"abc\" 5000000000 GLACIER false "
              "owner-name owner-id  2023-11-15T03:43:20Z ");
    for (const auto& [key, text] : {std::pair{"d/", "true"}, {"", "true"}, {"r-1.2/", "false"}}) {
        SCOPED_TRACE(key);
        EXPECT_EQ(isFolderText(u8(key)).utf8(), text);
    }
    // The five classes the service names; every other class, "NOT SET".
    const std::pair<Class, const char*> classes[] = {
        {Class::NOT_SET, "NOT SET"},
        {Class::STANDARD, "STANDARD"},
        {Class::REDUCED_REDUNDANCY, "REDUCED_REDUNDANCY"},
        {Class::GLACIER, "GLACIER"},
        {Class::STANDARD_IA, "STANDARD_IA"},
        {Class::ONEZONE_IA, "ONEZONE_IA"},
        {Class::INTELLIGENT_TIERING, "NOT SET"},
        {Class::DEEP_ARCHIVE, "NOT SET"}};
    for (const auto& [storageClass, text] : classes) {
        SCOPED_TRACE("class " + std::to_string(int(storageClass)));
        EXPECT_EQ(storageClassText(storageClass).utf8(), text);
    }
}

// Each body through a stream of its own (each starts afresh), then the commit, as a download.
bool replace(const std::string& target, std::initializer_list<std::string> bodies,
             skrw::platform::Error& error) {
    ReplacementFile file;
    if (!file.open(target, error)) return false;
    for (const std::string& body : bodies) {
        std::unique_ptr<std::iostream> stream(file.newStream(error));
        if (stream == nullptr) return false;
        stream->write(body.data(), std::streamsize(body.size())).flush();
    }
    EXPECT_EQ(readFile(target), "old");
    return file.commit(error);
}

// The names in a folder, sorted, each followed by a blank.
std::string entries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename());
    }
    std::string text;
    for (const auto& name : names) text += name + " ";
    return text;
}

// The file systems a replacement meets: one with unnamed files (0), and ones that refuse them as
// a file system without them does (EOPNOTSUPP) or as a kernel without them does (EISDIR).
constexpr int kUnnamedFileRefusals[] = {0, EOPNOTSUPP, EISDIR};

struct FileSystemWithout {
    explicit FileSystemWithout(int refusal) { refuseUnnamedFiles(refusal); }
    ~FileSystemWithout() { refuseUnnamedFiles(0); }
};

// On a file system whose names are short, a name longer than its folder allows is refused before
// the body is fetched, not at the rename after it.
TEST(FileReplacement, ANameLongerThanItsFolderAllowsIsRefusedBeforeAnythingIsMade) {
    TempDir temp;
    limitNameLength(8);
    for (const auto& [name, fits] : {std::pair{"8-bytes!", true}, {"9-bytes!!", false}}) {
        SCOPED_TRACE(name);
        const std::string target = temp.volumesPath() + "/" + name;
        skrw::platform::Error before, atOpen;
        EXPECT_EQ(ReplacementFile::mayReplace(target, before), fits);
        ReplacementFile file;
        EXPECT_EQ(file.open(target, atOpen), fits);
        EXPECT_EQ(before.code, fits ? 0 : ENAMETOOLONG);
        EXPECT_EQ(atOpen.code, fits ? 0 : ENAMETOOLONG);
    }
    limitNameLength(0);
    EXPECT_EQ(entries(temp.volumesPath()), "");
}

// A failed write (a size limit gives EFBIG, as a full disk) leaves the old file, no temporary one.
TEST(FileReplacement, OnlyTheCommitReplacesAndAFailedWriteLeavesTheOldFile) {
    TempDir temp;
    const std::string target = temp.volumesPath() + "/kept.txt";
    const sighandler_t handler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit small{4096, limit.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    for (const int refusal : kUnnamedFileRefusals) {
        for (const std::size_t size : {8192, 5}) {
            SCOPED_TRACE(std::to_string(refusal) + " " + std::to_string(size));
            const FileSystemWithout unnamedFiles(refusal);
            skrw::platform::Error error;
            writeFile(target, "old");
            EXPECT_EQ(replace(target, {"a longer first attempt", std::string(size, '\0')}, error),
                      size == 5);
            EXPECT_EQ(error.code, size == 5 ? 0 : EFBIG);
            EXPECT_EQ(readFile(target), size == 5 ? std::string(5, '\0') : "old");
            EXPECT_EQ(entries(temp.volumesPath()), "kept.txt ");
        }
    }
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, handler);
}

// "Done" means on disk: the body is synced while the target is still old, and the folder once
// it holds the new name. The body has no name in the folder until the commit, where the file
// system allows.
TEST(FileReplacement, CommitSyncsTheBodyThenNamesItThenSyncsTheFolder) {
    TempDir temp;
    const std::string target = temp.volumesPath() + "/synced.txt";
    for (const int refusal : kUnnamedFileRefusals) {
        SCOPED_TRACE(refusal);
        const FileSystemWithout unnamedFiles(refusal);
        writeFile(target, "old");
        // Each sync: what it synced, what the target held then, and whether it succeeded.
        std::string syncs;
        watchFsync([&](int fd, int result) {
            struct stat info {};
            ::fstat(fd, &info);
            syncs += (S_ISDIR(info.st_mode) ? "folder:" : "file:") + readFile(target) +
                     (result == 0 ? " " : ":failed ");
        });
        skrw::platform::Error error;
        ReplacementFile file;
        ASSERT_TRUE(file.open(target, error)) << error.description;
        std::unique_ptr<std::iostream> stream(file.newStream(error));
        ASSERT_NE(stream, nullptr);
        *stream << "new" << std::flush;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.volumesPath()), {}),
                  refusal == 0 ? 1 : 2);
        stream.reset();
        EXPECT_TRUE(file.commit(error)) << error.description;
        watchFsync(nullptr);
        EXPECT_EQ(syncs, "file:old folder:new ");
        EXPECT_EQ(entries(temp.volumesPath()), "synced.txt ");
    }
}

// A replacement killed half-way (as a host process can be) leaves the folder as it was.
TEST(FileReplacement, AKilledReplacementLeavesTheFolderAsItWas) {
    TempDir temp;
    const std::string target = temp.volumesPath() + "/kept.txt";
    writeFile(target, "old");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        skrw::platform::Error error;
        ReplacementFile file;
        if (!file.open(target, error)) ::_exit(1);
        std::unique_ptr<std::iostream> stream(file.newStream(error));
        if (stream == nullptr) ::_exit(2);
        *stream << std::string(1 << 20, 'h') << std::flush;
        ::raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    EXPECT_EQ(entries(temp.volumesPath()), "kept.txt ");
    EXPECT_EQ(readFile(target), "old");
}

}  // namespace
