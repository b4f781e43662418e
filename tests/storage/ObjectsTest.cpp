// Copying, deleting, uploading and downloading objects. An upload sends only the regular file it
// opened and removes it only when that is safe; a download's target holds every byte or stays as
// it was. Downloads always go below a temporary ".../Volumes/" folder.
#include <cerrno>
#include <cstring>

#include "StorageTestFixture.h"

namespace storage_test {
namespace {

class Objects : public SignedInTest {
  protected:
    void SetUp() override {
        SignedInTest::SetUp();
        bucket = newBucket("objects");
        ASSERT_EQ(::chdir(temp.path().c_str()), 0);
    }
    bool upload(const std::string& key, const std::string& path, bool deleteAfter) {
        return funcs.postObject(S(bucket), S(key), S(path), deleteAfter);
    }
    bool download(const std::string& key, const std::string& path) {
        return funcs.getObject(S(bucket), S(key), S(path));
    }
    std::string keys() {
        EXPECT_TRUE(list(bucket));
        return property("keys");
    }
    // Whether the bucket received "METHOD TARGET[ COPY-SOURCE]" (the target without its query).
    bool sent(const std::string& line) {
        for (const auto& request : requestsFor(bucket)) {
            const auto source = request.headers.find("x-amz-copy-source");
            if (line == request.method + " " + request.target.substr(0, request.target.find('?')) +
                            (source == request.headers.end() ? "" : " " + source->second)) {
                return true;
            }
        }
        return false;
    }
    void expectNotARegularFile(const std::string& path) {
        expectRecord("open \"" + path + "\": Not a regular file", std::to_string(EINVAL), "ERROR");
    }
    std::string bucket;
    const std::string volumes = temp.volumesPath();
};

// The copy source is encoded once, by the S3 layer; keys travel as they are.
TEST_F(Objects, AwkwardKeysRoundTripThroughEveryOperation) {
    const std::string key = "\xC3\xBC/a b+c%d.txt", encoded = "%C3%BC/a%20b%2Bc%25d.txt";
    putObject(bucket, key, "body");
    ASSERT_TRUE(funcs.copyObjectFromSourceBucket(S(bucket), S(key), S(bucket), S("c/" + key)));
    expectCleared();
    for (const std::string& name : {key, "c/" + key}) {
        ASSERT_TRUE(download(name, volumes + "/body"));
        EXPECT_EQ(readFile(volumes + "/body"), "body");
        EXPECT_TRUE(funcs.deleteObject(S(bucket), S(name)));
        expectCleared();
    }
    EXPECT_TRUE(sent("PUT /" + bucket + "/c/" + encoded + " " + bucket + "/" + encoded));
    EXPECT_TRUE(sent("GET /" + bucket + "/c/" + encoded));
    EXPECT_TRUE(sent("DELETE /" + bucket + "/" + encoded));
    EXPECT_EQ(keys(), "");
}

// Relative paths are taken from the current folder; "~" is not expanded; a link is sent as the
// file it names, and the flag removes the link only.
TEST_F(Objects, UploadStoresTheFileItFindsAndRemovesItOnlyWithTheFlag) {
    ScopedEnv home("HOME", temp.path() + "/home");
    for (const char* folder : {"home", "~"}) ASSERT_EQ(::mkdir(folder, 0755), 0);
    writeFile("home/q1.csv", "in home");
    EXPECT_FALSE(upload("q1", "~/q1.csv", true));
    expectRecord("No file exists at this location.", "-4", "PostObject");
    writeFile("named.csv", "named");
    ASSERT_EQ(::symlink("named.csv", "link.csv"), 0);
    const struct {
        std::string key, path;
        bool deleteAfter;
    } rows[] = {{"kept", "kept.csv", false},
                {"gone", temp.path() + "/gone.csv", true},
                {"tilde", "~/q1.csv", true},
                {"link", "link.csv", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        if (nodeKinds(row.path).first == 0) writeFile(row.path, row.key);
        ASSERT_TRUE(upload(row.key, row.path, row.deleteAfter)) << funcs.getLastError().utf8();
        expectCleared();
        EXPECT_EQ(nodeKinds(row.path).first != 0, !row.deleteAfter);
    }
    EXPECT_EQ(readFile("named.csv") + readFile("home/q1.csv"), "namedin home");
    EXPECT_EQ(keys(), "gone\nkept\nlink\ntilde\n");
}

// Neither an upload nor a download touches, or spends a request on, a folder or a node that is
// not a regular file, nor a path holding NUL (the file calls would stop there: a shorter path).
TEST_F(Objects, OnlyRegularFilesAreSentOrReplacedAndNothingElseIsTouched) {
    putObject(bucket, "q1.csv", "a,b");
    ASSERT_EQ(::mkdir((volumes + "/folder").c_str(), 0755), 0);
    EXPECT_FALSE(upload("folder", volumes + "/folder", true));
    expectRecord("No file exists at this location.", "-4", "PostObject");
    for (const std::string& path : makeSpecialNodes(volumes)) {
        const auto before = nodeKinds(path);
        EXPECT_FALSE(upload("special", path, true));
        expectNotARegularFile(path);
        EXPECT_FALSE(download("q1.csv", path));
        expectNotARegularFile(path);
        EXPECT_EQ(nodeKinds(path), before) << path;
    }
    writeFile(volumes + "/cut", "kept");
    const std::string cut = volumes + std::string("/cut\0tail", 9);
    for (const bool up : {true, false}) {
        EXPECT_FALSE(up ? upload("cut", cut, true) : download("q1.csv", cut));
        expectRecord("open \"" + volumes + "/cut\xEF\xBF\xBDtail\": Invalid argument",
                     std::to_string(EINVAL), "ERROR");
    }
    EXPECT_EQ(readFile(volumes + "/cut"), "kept");
    EXPECT_EQ(nodeKinds(volumes + "/folder").first, S_IFDIR);
    EXPECT_EQ(requestsFor(bucket).size(), 2u);  // the bucket's creation and the upload of q1.csv
}

// A file is removed only when the service took every byte of it and the path still names it,
// unchanged.
TEST_F(Objects, FileChangedDuringTheUploadIsKept) {
    const std::string path = temp.path() + "/changing", stale = std::to_string(ESTALE);
    const std::string changed = "The file changed during the upload and was not removed.";
    const struct {
        const char* change;
        std::string message, code, content;  // content of the file, or of the folder's kept.txt
    } rows[] = {{"replace", changed, stale, "replaced"},
                {"append", changed, stale, "contentappended"},
                {"folder", changed, stale, "kept"},
                {"delete", std::strerror(ENOENT), std::to_string(ENOENT), ""},
                {"refused", "The specified bucket does not exist", "-400", "content"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.change);
        std::filesystem::remove_all(path);
        writeFile(path, "content");
        const bool refused = row.code == "-400";
        if (!refused) changeOnPut(bucket, row.change, path, row.change);
        EXPECT_FALSE(
            funcs.postObject(S(refused ? bucket + "-no" : bucket), S(row.change), S(path), true));
        expectRecord(row.message, row.code, refused ? "PostObject" : "ERROR");
        const bool folder = std::filesystem::is_directory(path);
        EXPECT_EQ(folder, row.change == std::string("folder"));
        EXPECT_EQ(readFile(folder ? path + "/kept.txt" : path), row.content);
    }
    EXPECT_EQ(keys(), "append\ndelete\nfolder\nreplace\n");
}

TEST_F(Objects, DownloadCreatesTheFolderAndMakesItTheCurrentFolder) {
    const std::string home = volumes + "/home/user", body = "a,b\n1,2\n";
    ScopedEnv homeVariable("HOME", home);
    putObject(bucket, "q1.csv", body);
    putObject(bucket, "empty", "");
    writeFile(volumes + "/q1.csv", std::string(1000, 'o'));
    ::chmod((volumes + "/q1.csv").c_str(), 0604);
    writeFile(volumes + "/real.csv", "old");
    ASSERT_EQ(::symlink("real.csv", (volumes + "/link.csv").c_str()), 0);
    const struct {
        std::string key, given, folder, file, content;
    } rows[] = {
        {"q1.csv", volumes + "/Data/Reports/q1.csv", volumes + "/Data/Reports", "q1.csv", body},
        {"q1.csv", "~/Downloads/q1.csv", home + "/Downloads", "q1.csv", body},
        // A relative path holding "/Volumes/" is taken from the current folder.
        {"q1.csv", "rel/Volumes/d/q1.csv", temp.path() + "/rel/Volumes/d", "q1.csv", body},
        {"empty", volumes + "/empty/q1.csv", volumes + "/empty", "q1.csv", ""},
        // An existing file is replaced whole and keeps its permissions; a link, the file it names.
        {"q1.csv", volumes + "/q1.csv", volumes, "q1.csv", body},
        {"empty", volumes + "/link.csv", volumes, "real.csv", ""}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.given);
        ASSERT_EQ(::chdir(temp.path().c_str()), 0);
        ASSERT_TRUE(download(row.key, row.given)) << funcs.getLastError().utf8();
        expectCleared();
        EXPECT_EQ(std::filesystem::current_path(), row.folder);
        EXPECT_EQ(readFile(row.folder + "/" + row.file), row.content);
    }
    EXPECT_EQ(entries(volumes + "/empty"), std::vector<std::string>{"q1.csv"});
    EXPECT_EQ(entries(volumes), (std::vector<std::string>{"Data", "empty", "home", "link.csv",
                                                          "q1.csv", "real.csv"}));
    EXPECT_EQ(nodeKinds(volumes + "/link.csv").first, S_IFLNK);
    struct stat info {};
    ASSERT_EQ(::stat((volumes + "/q1.csv").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
}

TEST_F(Objects, FailedDownloadTouchesNothingLocal) {
    putObject(bucket, "q1.csv", "a,b");
    writeFile(volumes + "/blocker", "in the way");
    ASSERT_EQ(::mkdir((volumes + "/existing").c_str(), 0755), 0);
    EXPECT_FALSE(download("absent.csv", volumes + "/new/absent.csv"));
    expectRecord("The specified key does not exist.", "-400", "GetObject");
    EXPECT_EQ(std::filesystem::current_path(), temp.path());
    EXPECT_FALSE(download("q1.csv", volumes + "/blocker/sub/q1.csv"));
    expectRecord(
        "Failed to create the folder at the destination location. Please check the file "
        "path and try again.",
        "-400", "GetObject");
    for (const std::string& path : {volumes + "/existing", volumes + "/slash/"}) {
        EXPECT_FALSE(download("q1.csv", path));
        EXPECT_EQ(funcs.getLastErrorCode().utf8(), std::to_string(EISDIR)) << path;
    }
    EXPECT_EQ(entries(volumes), (std::vector<std::string>{"blocker", "existing"}));
    EXPECT_TRUE(entries(volumes + "/existing").empty());
    EXPECT_EQ(readFile(volumes + "/blocker"), "in the way");
}

}  // namespace
}  // namespace storage_test
