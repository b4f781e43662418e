// Every storage operation against the local S3 server. Downloads go below a temporary
// ".../Volumes/" folder; the "/Volumes" forms are tested in a root of their own (own_root.sh).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>

#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "ErrorRecord.h"
#include "RunProcess.h"
#include "TestEnv.h"
#include "TestServer.h"
#include "Texts.h"
#include "storage/SKFuncs.h"

namespace {

using namespace skrw::test;
namespace fs = std::filesystem;
const skrw::platform::String kNull;
// A cleared error record, as ErrorRecord::joined() gives it.
const std::string kCleared = "Success|0|Initialization";
// What the path itself names (links not followed).
const auto kind = [](const std::string& path) { return fs::symlink_status(path).type(); };

// An access control list in the file system's own form: the owner, the user `named` and the mask
// with read and write (and search, for a folder's default list), the owning group and others with
// nothing.
std::string accessListFor(unsigned named, unsigned short rights = 6) {
    std::string list;
    const auto add = [&](auto value) {
        list.append(reinterpret_cast<const char*>(&value), sizeof value);
    };
    const unsigned kNoId = ~0u;
    add(2u);  // the format's version
    const struct {
        unsigned short tag, rights;
        unsigned id;
    } entries[] = {{0x01, rights, kNoId},
                   {0x02, rights, named},
                   {0x04, 0, kNoId},
                   {0x10, rights, kNoId},
                   {0x20, 0, kNoId}};
    for (const auto& entry : entries) {
        add(entry.tag);
        add(entry.rights);
        add(entry.id);
    }
    return list;
}

// The access list of `path` in that form; "" for none.
std::string accessListOf(const std::string& path) {
    char list[256];
    const ssize_t size = ::lgetxattr(path.c_str(), "system.posix_acl_access", list, sizeof list);
    return size > 0 ? std::string(list, static_cast<std::size_t>(size)) : "";
}

// The folder's entries, sorted, each followed by a blank.
std::string entries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
    std::string text;
    for (const auto& name : names) text += name + " ";
    return text;
}

// The value of a query parameter in a target ("-" when it is not there).
std::string found(const std::string& target, const std::string& name) {
    std::size_t at = target.find("?" + name + "=");
    if (at == std::string::npos) at = target.find("&" + name + "=");
    if (at == std::string::npos) return "-";
    at += name.size() + 2;
    return target.substr(at, target.find('&', at) - at);
}

// Waits until the coarse clock that stamps file changes has passed the file's change time.
void waitPastChangeTime(const std::string& path) {
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    for (timespec now{}; ::clock_gettime(CLOCK_REALTIME_COARSE, &now) == 0 &&
                         std::pair(now.tv_sec, now.tv_nsec) <=
                             std::pair(info.st_ctim.tv_sec, info.st_ctim.tv_nsec);) {
        ::usleep(1000);
    }
}

const std::string kNoFolder =
    "Failed to create the folder at the destination location. Please check the file path and try "
    "again.|-400|GetObject";
const std::string kNoContents = "No folder contents to access|-4|getPropertyforFolder";

// Signed in, with a bucket and a current temporary folder of the test's own.
class Storage : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { useServerEndpoint(); }
    void SetUp() override {
        ASSERT_TRUE(signIn(u8("s3"))) << funcs.getLastError().utf8();
        bucket = uniqueName("storage");
        ASSERT_TRUE(funcs.createBucket(u8(bucket))) << funcs.getLastError().utf8();
        ASSERT_EQ(::chdir(temp.path().c_str()), 0);
    }
    void TearDown() override {
        EXPECT_TRUE(fs::exists("/.skrw-own-root") || !fs::exists("/Volumes"));
    }
    bool signIn(const skrw::platform::String& service, const char* secret = kSecretKey,
                const skrw::platform::String& parameters = kNull) {
        return funcs.useCredentialsForService(service, u8(kAccessKey), u8(secret), parameters);
    }
    void putObject(const std::string& key, const std::string& content) {
        writeFile(temp.path() + "/upload-source", content);
        EXPECT_TRUE(
            funcs.postObject(u8(bucket), u8(key), u8(temp.path() + "/upload-source"), false));
    }
    std::string property(const char* name, int index = 0) {
        return funcs.getBucketProperty(u8(name), index).utf8();
    }
    std::string keys() {
        EXPECT_TRUE(call("GetFolder", {u8(bucket)}));
        return property("keys");
    }
    // The operation whose refusals carry `source` (or a property read); true on success.
    bool call(const std::string& source, std::vector<skrw::platform::String> a) {
        a.resize(4);
        if (source == "CreateFolder") return funcs.createBucket(a[0]);
        if (source == "DeleteFolder") return funcs.deleteBucket(a[0]);
        if (source == "GetFolder") return funcs.getBucket(a[0], kNull, kNull, a[1], a[2]);
        if (source == "GetObject") return funcs.getObject(a[0], a[1], a[2]);
        if (source == "PostObject") return funcs.postObject(a[0], a[1], a[2], true);
        if (source == "DeleteObject") return funcs.deleteObject(a[0], a[1]);
        if (source == "listFolders") return funcs.listBuckets().utf8() != "!!ERROR!!";
        if (source == "property") {
            return funcs.getBucketProperty(a[0], int(a[1].integerValue())).utf8() != "!!ERROR!!";
        }
        return funcs.copyObjectFromSourceBucket(a[0], a[1], a[2], a[3]);
    }
    // The operation succeeded and cleared the record (for ""), or it failed and the record holds
    // "MESSAGE|CODE|SOURCE" (the record's text is SkrError's own to check).
    void expectOutcome(bool succeeded, const std::string& record) {
        EXPECT_EQ(succeeded, record.empty()) << record;
        EXPECT_EQ(readErrorRecord(funcs.getLastError()).joined(),
                  record.empty() ? kCleared : record);
    }

    SKFuncs funcs;
    TempDir temp;
    CurrentFolderGuard folderGuard;
    std::string bucket;
    const std::string volumes = temp.volumesPath();
};

// Refusals by letter: signed out (a), no module (m), and the argument that is missing.
const std::map<char, std::string> kRefusals = {
    {'a', "System not authenticated.|-400|"},
    {'m', "Invalid module specified.|-1000|"},
    {'b', "Bucket ID is blank or invalid.|-4|"},
    {'k', "Object ID is blank or invalid.|-4|"},
    {'p', "No file path specified.|-4|"},
    {'n', "Bucket name/ID must be specified.|-400|"},
    {'f', "Source or destination folder ID is missing.|-4|"},
    {'o', "Source or destination object ID is missing.|-4|"}};

// Each operation: the source of its refusals; signed out, its refusal and source; then its
// arguments in the order it checks them (position and refusal).
const struct {
    const char *source, *signedOut, *signedOutSource, *order;
} kOperations[] = {
    {"CreateFolder", "a", "CreateFolder", "0b"}, {"DeleteFolder", "a", "DeleteFolder", "0b"},
    {"GetFolder", "m", "getBucket", "0n"},       {"GetObject", "a", "GetObject", "0b1k2p"},
    {"PostObject", "a", "PostObject", "0b1k2p"}, {"DeleteObject", "a", "DeleteObject", "0b1k"},
    {"copyObject", "a", "", "0f2f1o3o"},         {"listFolders", "m", "listFolders", ""}};

struct SignedOut : Storage {
    void SetUp() override {}
};

// The service, then the credentials, then each missing argument in order, before any request.
TEST_F(SignedOut, RefusalsComeInTheirOrderBeforeAnyRequest) {
    const std::string unsent = uniqueName("unsent"), module = "Invalid module specified.|-1000|",
                      service = "Service cannot be empty or null.|-4|useCredentials",
                      blank = "Property name cannot be blank or null.|-4|getPropertyForFolder";
    expectOutcome(signIn(u8("")), service);
    expectOutcome(signIn(kNull), service);
    expectOutcome(signIn(u8("s3x")), module + "UseCredentials");
    expectOutcome(signIn(u8(" aws")), module + "UseCredentials");
    expectOutcome(call("property", {kNull}), blank);
    expectOutcome(call("property", {u8("")}), blank);
    expectOutcome(call("property", {u8(" count")}), kNoContents);
    for (const auto& op : kOperations) {  // every argument missing
        SCOPED_TRACE(op.source);
        expectOutcome(call(op.source, {}), kRefusals.at(op.signedOut[0]) + op.signedOutSource);
    }
    for (const char* name : {"s3", "S3", "aws", "AwS"}) {
        SCOPED_TRACE(name);
        expectOutcome(signIn(u8(name)), "");
    }
    for (const auto& [source, signedOut, signedOutSource, order] : kOperations) {
        for (std::size_t step = 0; order[step] != '\0'; step += 2) {
            SCOPED_TRACE(std::string(source) + " argument " + order[step]);
            // Those checked before given; this one and the later ones null or empty in turn.
            std::vector<skrw::platform::String> a(4, step % 4 ? kNull : u8(""));
            for (std::size_t given = 0; given < step; given += 2)
                a[order[given] - '0'] = u8(unsent);
            expectOutcome(call(source, a), kRefusals.at(order[step + 1]) + source);
        }
    }
    EXPECT_TRUE(requestsFor(unsent).empty());
}

// The last listing outlives every refusal and its bucket; the list of all buckets has one line
// feed after each name.
using Refusals = Storage;
TEST_F(Refusals, ServiceRefusalsCarryTheServiceMessageAndKeepTheLastListing) {
    putObject("keep.txt", "x");
    const auto b = u8(bucket), missing = u8(bucket + "-missing");
    const std::string noBucket = "The specified bucket does not exist|-400|",
                      range = "Index out of bounds.|-4|getPropertyForFolder";
    ASSERT_TRUE(funcs.getBucket(b, u8("none/"), kNull, kNull, kNull));
    expectOutcome(call("property", {u8("key")}), kNoContents);
    EXPECT_EQ(keys(), "keep.txt\n");
    expectOutcome(call("GetFolder", {missing}), noBucket + "GetFolder");
    expectOutcome(funcs.deleteBucket(b),
                  "The bucket your tried to delete is not empty|-400|DeleteFolder");
    expectOutcome(funcs.createBucket(u8("Not_Valid")),
                  "Bucket names can contain lowercase letters, numbers, and hyphens. Each label "
                  "must start and end with a lowercase letter or a number.|-400|CreateFolder");
    expectOutcome(funcs.copyObjectFromSourceBucket(b, u8("absent"), b, u8("copy")),
                  "The specified key does not exist.|-400|CopyObject");
    expectOutcome(funcs.deleteObject(missing, u8("k")), noBucket + "DeleteObject");
    expectOutcome(call("property", {u8("key"), u8("1")}), range);
    expectOutcome(call("property", {u8("owner"), u8("-1")}), range);
    expectOutcome(signIn(u8("s3"), "wrong"), "Failed to list buckets|-400|UseCredentials");
    const std::string all = "\n" + funcs.listBuckets().utf8();
    expectOutcome(true, "");
    EXPECT_TRUE(all.ends_with('\n') && all.find("\n" + bucket + "\n") != std::string::npos &&
                all.find("\n\n") == std::string::npos)
        << all;
    ASSERT_TRUE(funcs.deleteObject(b, u8("keep.txt")));
    expectOutcome(funcs.deleteBucket(b), "");
    EXPECT_EQ(funcs.listBuckets().utf8().find(bucket), std::string::npos);
    EXPECT_EQ(property("keys"), "keep.txt\n");
}

using Objects = Storage;

// "~" is not expanded; a link is sent as the file it names, and the flag removes the link only;
// a file is removed only when the service took it and the path still names it, unchanged (also
// when rewritten with its size and modification time kept). A file whose size reads 0 but that
// holds bytes is never stored as an empty object.
TEST_F(Objects, UploadSendsTheFileItFindsAndRemovesItOnlyWhenAskedAndUnchanged) {
    ScopedEnv home("HOME", temp.path() + "/home");
    ASSERT_EQ(::mkdir("home", 0755) + ::mkdir("dir", 0755) + ::symlink("named", "link"), 0);
    writeFile("home/q1.csv", "in home");
    writeFile("named", "named");
    const std::set<std::string> changes = {"replace", "append", "folder", "delete", "rewrite"};
    const std::string noFile = "No file exists at this location.|-4|PostObject",
                      changed = "The file changed during the upload and was not removed.|" +
                                std::to_string(ESTALE) + "|ERROR",
                      deleted = std::strerror(ENOENT) + ("|" + std::to_string(ENOENT)) + "|ERROR",
                      refused = "The specified bucket does not exist|-400|PostObject",
                      unsized =
                          "open \"/proc/self/status\": The file's size reads 0, but it holds "
                          "data|" +
                          std::to_string(EINVAL) + "|ERROR";
    // Each path (its last part the key) and the record its upload leaves.
    const std::pair<std::string, std::string> rows[] = {
        {"kept", ""},         {temp.path() + "/gone", ""},
        {"link", ""},         {"~/q1.csv", noFile},
        {"dir", noFile},      {"replace", changed},
        {"append", changed},  {"folder", changed},
        {"delete", deleted},  {"refused", refused},
        {"rewrite", changed}, {"/proc/self/status", unsized}};
    for (const auto& [path, record] : rows) {
        SCOPED_TRACE(path);
        const std::string key = path.substr(path.rfind('/') + 1);
        if (kind(path) == fs::file_type::not_found) writeFile(path, "content");
        // A whole second, which the rewrite's time (to the millisecond) gives back exactly; then
        // the clock that stamps changes moves on, so the rewrite's change time differs.
        const timespec second[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
        if (key == "rewrite") {
            ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), second, 0), 0);
            waitPastChangeTime(path);
        }
        if (changes.count(key)) changeOnPut(bucket, key, temp.path() + "/" + key, key);
        expectOutcome(funcs.postObject(u8(key == "refused" ? bucket + "-no" : bucket), u8(key),
                                       u8(path), key != "kept"),
                      record);
    }
    EXPECT_EQ(entries("."), "Volumes append dir folder home kept named refused replace rewrite ");
    EXPECT_EQ(readFile("named") + readFile("home/q1.csv") + readFile("replace") +
                  readFile("append") + readFile("folder/kept.txt") + readFile("refused") +
                  readFile("rewrite"),
              "namedin homereplacedcontentappendedkeptcontentrrrrrrr");
    EXPECT_EQ(keys(), "append\ndelete\nfolder\ngone\nkept\nlink\nreplace\nrewrite\n");
}

// A FIFO, a link to a null device node of the test's own (never the machine's) and a path
// holding NUL are neither sent, replaced nor removed, and cost no request.
TEST_F(Objects, NothingButARegularFileIsSentOrReplaced) {
    putObject("q1.csv", "a,b");
    const auto sent = requestsFor(bucket).size();
    const std::string fifo = volumes + "/fifo", null = volumes + "/null", cut = volumes + "/cut";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    writeFile(cut, "kept");
    std::vector<std::pair<std::string, std::string>> nodes = {
        {fifo, "open \"" + fifo + "\": Not a regular file"},
        {cut + std::string("\0tail", 5), "open \"" + cut + "\xEF\xBF\xBDtail\": Invalid argument"}};
    if (::mknod((null + ".node").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        ASSERT_EQ(::symlink("null.node", null.c_str()), 0);
        nodes.emplace_back(null, "open \"" + null + "\": Not a regular file");
    }
    for (const auto& [path, message] : nodes) {
        SCOPED_TRACE(path);
        const auto before = kind(path);
        const std::string record = message + "|" + std::to_string(EINVAL) + "|ERROR";
        expectOutcome(funcs.postObject(u8(bucket), u8("special"), u8(path), true), record);
        expectOutcome(funcs.getObject(u8(bucket), u8("q1.csv"), u8(path)), record);
        EXPECT_EQ(kind(path), before);
    }
    EXPECT_EQ(readFile(cut), "kept");
    EXPECT_EQ(requestsFor(bucket).size(), sent);
}

// A new file gets the permissions of a new file, an existing one keeps its own (never a set-ID
// bit); a link replaces the file it names, a loop is refused. A name too long, a folder or "/" at
// the end cost no request; a target near PATH_MAX is written; a FIFO put in place while the
// request runs is left as it is. Keys travel as they are; the copy source is encoded once, by the
// S3 layer.
TEST_F(Objects, DownloadWritesIntoTheFolderItMakesCurrentOrTouchesNothing) {
    const std::string home = volumes + "/home/user", body = "a,b\n1,2\n",
                      key = "\xC3\xBC/a b+c%d.txt", copy = "c/" + key;
    ScopedEnv homeVariable("HOME", home);
    putObject(key, body);
    putObject("empty", "");
    expectOutcome(funcs.copyObjectFromSourceBucket(u8(bucket), u8(key), u8(bucket), u8(copy)), "");
    writeFile(volumes + "/old.csv", std::string(1000, 'o'));
    writeFile(volumes + "/real.csv", "old");
    writeFile(volumes + "/blocker", "in the way");
    writeFile(volumes + "/setid.csv", "old");
    writeFile(volumes + "/late.csv", "old");
    ASSERT_EQ(::chmod((volumes + "/old.csv").c_str(), 0604) +
                  ::chmod((volumes + "/setid.csv").c_str(), 06755) +
                  ::symlink("real.csv", (volumes + "/link.csv").c_str()) +
                  ::symlink("made.csv", (volumes + "/dangling.csv").c_str()) +
                  ::symlink("loop.csv", (volumes + "/loop.csv").c_str()) +
                  ::mkdir((volumes + "/existing").c_str(), 0755),
              0);
    const auto failure = [](int number) {
        return std::strerror(number) + ("|" + std::to_string(number)) + "|ERROR";
    };
    const std::string directory = failure(EISDIR), longName(256, 'n');
    std::string deep = volumes + "/deep";  // deep + "/q1.csv": 4,070 bytes
    while (deep.size() < 4070 - 7 - 251 - 1) deep += "/" + std::string(250, 'd');
    deep += "/" + std::string(4070 - 7 - 1 - deep.size(), 'e');
    const struct {
        std::string key, given, folder, file, content, record = "";  // the current folder after it
        bool sent = true;        // whether the download asked the service
        std::string onGet = {};  // what the server does to the target when the request arrives
    } rows[] = {{key, volumes + "/Data/Reports/q1.csv", volumes + "/Data/Reports", "q1.csv", body},
                {copy, "~/Downloads/q1.csv", home + "/Downloads", "q1.csv", body},
                // A relative path holding "/Volumes/" is taken from the current folder.
                {key, "rel/Volumes/d/q1.csv", temp.path() + "/rel/Volumes/d", "q1.csv", body},
                {"empty", volumes + "/empty/q1.csv", volumes + "/empty", "q1.csv", ""},
                {key, volumes + "/old.csv", volumes, "old.csv", body},
                {"empty", volumes + "/link.csv", volumes, "real.csv", ""},
                {key, volumes + "/dangling.csv", volumes, "made.csv", body},
                {"absent", volumes + "/new/absent", temp.path(), "Volumes/blocker", "in the way",
                 "The specified key does not exist.|-400|GetObject"},
                {key, volumes + "/blocker/sub/q1.csv", temp.path(), "Volumes/blocker", "in the way",
                 kNoFolder},
                {key, volumes + "/existing", "", "", "",
                 "open \"" + volumes + "/existing\": " + directory, false},
                {key, volumes + "/slash/", "", "", "",
                 "open \"" + volumes + "/slash/\": " + directory, false},
                {key, volumes + "/setid.csv", volumes, "setid.csv", body},
                {key, volumes + "/loop.csv", "", "", "",
                 "open \"" + volumes + "/loop.csv\": " + failure(ELOOP), false},
                {key, volumes + "/" + longName, "", "", "",
                 "open \"" + volumes + "/" + longName + "\": " + failure(ENAMETOOLONG), false},
                {key, volumes + "/new/" + longName, "", "", "",
                 "open \"" + volumes + "/new/" + longName + "\": " + failure(ENAMETOOLONG), false},
                {key, deep + "/q1.csv", deep, "q1.csv", body},
                {key, volumes + "/late.csv", "", "", "",
                 "open \"" + volumes + "/late.csv\": Not a regular file|" + std::to_string(EINVAL) +
                     "|ERROR",
                 true, "fifo"}};
    const mode_t mask = ::umask(022);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.given);
        ASSERT_EQ(::chdir(temp.path().c_str()), 0);
        if (!row.onGet.empty()) changeOnGet(bucket, row.key, row.given, row.onGet);
        const auto sent = requestsFor(bucket).size();
        expectOutcome(funcs.getObject(u8(bucket), u8(row.key), u8(row.given)), row.record);
        EXPECT_EQ(requestsFor(bucket).size() - sent, row.sent ? 1u : 0u);
        EXPECT_TRUE(row.folder.empty() || fs::current_path() == row.folder);
        EXPECT_EQ(readFile(row.folder + "/" + row.file), row.content);
    }
    ::umask(mask);
    EXPECT_EQ(entries(volumes) + entries(volumes + "/empty") + entries(volumes + "/existing"),
              "Data blocker dangling.csv deep empty existing home late.csv link.csv loop.csv "
              "made.csv old.csv real.csv setid.csv q1.csv ");
    EXPECT_EQ(kind(volumes + "/link.csv"), fs::file_type::symlink);
    EXPECT_EQ(kind(volumes + "/loop.csv"), fs::file_type::symlink);
    EXPECT_EQ(kind(volumes + "/late.csv"), fs::file_type::fifo);
    EXPECT_EQ(int(fs::status(volumes + "/old.csv").permissions()), 0604);
    EXPECT_EQ(int(fs::status(volumes + "/setid.csv").permissions()), 0755);
    EXPECT_EQ(int(fs::status(volumes + "/made.csv").permissions()), 0644);
    for (const auto& name : {key, copy})
        expectOutcome(funcs.deleteObject(u8(bucket), u8(name)), "");
    EXPECT_EQ(keys(), "empty\n");
}

// A download replaces a file only where writing into it in place would have been allowed, and
// gives no one more than that write would have: in a shared (sticky, world-writable) folder only
// links of the caller or of the folder's owner are followed, at the end of a path or on the way;
// a replaced file keeps its owner but loses its set-ID bits; a file the caller may not write is
// kept. Refusals cost no request. Other users' files, links and downloads come from children
// that become those users.
TEST_F(Objects, DownloadReplacesOnlyWhatWritingInPlaceWouldAllow) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root: other users' files, links and downloads are made by child "
                        "processes that become those users";
    }
    constexpr unsigned kRoot = 0, kOwner = 61001, kOther = 61002;  // no other files of theirs here
    putObject("q1.csv", "new");
    const mode_t mask = ::umask(022);
    const std::string shared = volumes + "/shared", own = volumes + "/own",
                      victims = volumes + "/victims", open = volumes + "/open",
                      inheriting = volumes + "/inheriting";
    ASSERT_EQ(::chmod(temp.path().c_str(), 0755) + ::mkdir(shared.c_str(), 0777) +
                  ::chmod(shared.c_str(), 01777) + ::chown(shared.c_str(), kOwner, kOwner) +
                  ::mkdir(own.c_str(), 0755) + ::chown(own.c_str(), kOwner, kOwner) +
                  ::mkdir(open.c_str(), 0777) + ::chmod(open.c_str(), 0777) +
                  ::mkdir(victims.c_str(), 0755) + ::mkdir(inheriting.c_str(), 0755) +
                  ::symlink("../victims/by-root", (shared + "/roots-link").c_str()),
              0);
    for (const char* name : {"secret", "by-owner", "by-root"})
        writeFile(victims + "/" + name, name);
    writeFile(own + "/roots", "old");
    writeFile(own + "/listed", "old");
    writeFile(own + "/linked", "old");
    writeFile(inheriting + "/unlisted", "old");
    ASSERT_EQ(::link((own + "/linked").c_str(), (own + "/other-name").c_str()), 0);
    const std::string listed = accessListFor(kOther), inherited = accessListFor(kOther, 7);
    if (::setxattr((own + "/listed").c_str(), "system.posix_acl_access", listed.data(),
                   listed.size(), 0) != 0 ||
        ::setxattr(inheriting.c_str(), "system.posix_acl_default", inherited.data(),
                   inherited.size(), 0) != 0) {
        GTEST_SKIP() << "needs access control lists on " << volumes << ": " << strerror(errno);
    }
    ASSERT_EQ(
        runAsUser(kOwner,
                  [&] {
                      writeFile(shared + "/setid", "old");
                      writeFile(shared + "/private", "old");
                      writeFile(own + "/readonly", "old");
                      writeFile(open + "/everyones", "old");
                      writeFile(own + "/others-may-write", "old");
                      return std::to_string(
                          ::chmod((shared + "/setid").c_str(), 06755) +
                          ::chmod((shared + "/private").c_str(), 0600) +
                          ::chmod((own + "/readonly").c_str(), 0444) +
                          ::chmod((open + "/everyones").c_str(), 0666) +
                          ::chmod((own + "/others-may-write").c_str(), 0666) +
                          ::symlink("../victims/by-owner", (shared + "/owners-link").c_str()));
                  }),
        "0");
    ASSERT_EQ(
        runAsUser(kOther,
                  [&] {
                      writeFile(shared + "/planted", "old");
                      return std::to_string(
                          ::symlink("../victims/secret", (shared + "/others-link").c_str()) +
                          ::symlink("../victims/made", (shared + "/others-dangling").c_str()) +
                          ::symlink("../victims", (shared + "/others-folder").c_str()));
                  }),
        "0");
    ASSERT_EQ(fs::status(shared + "/setid").permissions(), fs::perms(06755));
    const std::string refused = "Permission denied|" + std::to_string(EACCES) + "|ERROR";
    const struct {
        unsigned caller;
        std::string target, file, content;  // the target (below volumes) and what it replaces
        bool replaced;
        unsigned owner = kRoot;  // of the file afterwards, and its permissions
        int mode = 0644;
    } rows[] = {
        {kRoot, "shared/setid", "shared/setid", "new", true, kOwner, 0755},
        {kRoot, "shared/private", "shared/private", "new", true, kOwner, 0600},
        {kRoot, "shared/owners-link", "victims/by-owner", "new", true},
        {kRoot, "shared/roots-link", "victims/by-root", "new", true},
        {kRoot, "shared/others-link", "victims/secret", "secret", false},
        {kRoot, "shared/others-dangling", "victims/made", "", false},
        {kRoot, "shared/others-folder/q1.csv", "victims/q1.csv", "", false},
        {kRoot, "shared/planted", "shared/planted", "old", false, kOther},
        {kOwner, "own/readonly", "own/readonly", "old", false, kOwner, 0444},
        {kOwner, "own/roots", "own/roots", "old", false},
        // Writable, but in a folder the caller may not write into: refused before the
        // request, not after the body was fetched.
        {kOther, "own/others-may-write", "own/others-may-write", "old", false, kOwner, 0666},
        // Neither the owner nor the group is the caller's to give, so the group's bits
        // are not handed to the caller's group.
        {kOther, "open/everyones", "open/everyones", "new", true, kOther, 0606},
        {kRoot, "own/listed", "own/listed", "new", true, kRoot, 0660},
        {kRoot, "own/linked", "own/linked", "new", true},
        {kRoot, "inheriting/unlisted", "inheriting/unlisted", "new", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.target);
        const std::string given = volumes + "/" + row.target, file = volumes + "/" + row.file;
        const auto download = [&] {
            const bool done = funcs.getObject(u8(bucket), u8("q1.csv"), u8(given));
            return (done ? "done " : "failed ") + readErrorRecord(funcs.getLastError()).joined();
        };
        const auto sent = requestsFor(bucket).size();
        EXPECT_EQ(row.caller == kRoot ? download() : runAsUser(row.caller, download),
                  (row.replaced ? "done " : "failed ") +
                      (row.replaced ? kCleared : "open \"" + given + "\": " + refused));
        EXPECT_EQ(requestsFor(bucket).size() - sent, row.replaced ? 1u : 0u);
        EXPECT_EQ(readFile(file), row.content);
        if (struct stat info{}; ::lstat(file.c_str(), &info) == 0) {
            std::ostringstream found, expected;
            found << info.st_uid << ":" << info.st_gid << " " << std::oct << (info.st_mode & 07777);
            expected << row.owner << ":" << row.owner << " " << std::oct << row.mode;
            EXPECT_EQ(found.str(), expected.str());
        }
    }
    ::umask(mask);
    // The access list goes with the permission bits; one the replaced file lacked is not
    // inherited from the folder.
    EXPECT_EQ(accessListOf(own + "/listed"), listed);
    EXPECT_EQ(accessListOf(inheriting + "/unlisted"), "");
    // The replacement is a new file: another name of the old one keeps the old content.
    EXPECT_EQ(readFile(own + "/other-name"), "old");
    EXPECT_EQ(entries(victims), "by-owner by-root secret ");
    EXPECT_EQ(
        entries(shared),
        "others-dangling others-folder others-link owners-link planted private roots-link setid ");
}

// The region signs later bucket operations as written and outlives a refused probe; neither a
// probe nor the list of all buckets is signed for it. A us-east-1 bucket has an empty body.
using Buckets = Storage;
TEST_F(Buckets, RegionSignsLaterBucketOperationsAndOnlyAKnownOneOtherThanUsEast1IsAConstraint) {
    const std::string own = "EU-West-" + uniqueName("r");  // only this test signs with it
    const auto signedRegion = [](RecordedRequest request) {
        const std::string& auth = request.headers["authorization"];  // .../<region>/s3/aws4_request
        const std::size_t end = auth.find("/s3/aws4_request"), start = auth.rfind('/', end - 1) + 1;
        return auth.substr(start, end - start);
    };
    const std::tuple<std::string, std::string, bool> rows[] = {
        {"", "us-east-1", false},
        {"x=1;REGION=US-EAST-1;region=eu-west-1", "US-EAST-1", false},
        {"region=" + own, own, false},
        {"Region=EU-West-1", "EU-West-1", true}};
    for (const auto& [parameters, region, configured] : rows) {
        SCOPED_TRACE(parameters);
        ASSERT_TRUE(signIn(u8("s3"), kSecretKey, u8(parameters)));
        EXPECT_FALSE(signIn(u8("s3"), "bad"));
        EXPECT_NE(funcs.listBuckets().utf8(), "!!ERROR!!");
        const std::string created = uniqueName("region");
        ASSERT_TRUE(funcs.createBucket(u8(created)));
        const auto requests = requestsFor(created);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].headers.at("x-amz-content-sha256") !=
                      "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
                  configured);  // the hash of an empty body
        EXPECT_EQ(keys(), "");
        EXPECT_EQ(signedRegion(requests[0]) + " " + signedRegion(requestsFor(bucket).back()),
                  region + " " + region);
    }
    for (const auto& request : recordedRequests()) {
        EXPECT_FALSE(request.target == "/" && signedRegion(request) == own);
    }
}

// Only a given prefix and delimiter are sent, a given token even when empty, no owner asked for,
// and the low 32 bits of a maximum-keys text's number; the next token outlives a failure.
TEST_F(Buckets, ListingSendsWhatWasGivenAndAnswersItsObjectsByIndexAndPages) {
    for (const char* key : {"README", "a/b/2.txt", "a/1.txt"}) putObject(key, key);
    expectOutcome(funcs.getBucket(u8(bucket), u8(""), u8(""), kNull, kNull), "");
    EXPECT_EQ(property("KEYS") + property("Count") + property("isTruncated") + property("key", 2),
              "README\na/1.txt\na/b/2.txt\n3falsea/b/2.txt");
    ASSERT_TRUE(funcs.getBucket(u8(bucket), kNull, kNull, kNull, u8("")));
    ASSERT_TRUE(funcs.getBucket(u8(bucket), u8("a/"), u8("/"), kNull, kNull));
    for (const char* text : {"", "25 items", "-5", "4294967297", "4294967295"})
        call("GetFolder", {u8(bucket), u8(text)});
    std::string sent;  // of each listing: prefix, delimiter, token, owner and maximum keys
    for (const auto& request : requestsFor(bucket)) {
        if (found(request.target, "list-type") == "-") continue;
        for (const char* name : {"prefix", "delimiter", "continuation-token", "fetch-owner"}) {
            sent += found(request.target, name);
        }
        sent += " " + found(request.target, "max-keys") + "|";
    }
    EXPECT_EQ(sent, "---- 1000|--- 1000|a%2F%2F-- 1000|---- 1000|---- 25|---- -5|---- 1|---- -1|");
    std::string pages;
    skrw::platform::String token;  // absent on the first page
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        ASSERT_TRUE(call("GetFolder", {u8(bucket), u8("1"), token}));
        pages += property("keys") + property("istruncated");
        token = u8(property("nextcontinuationtoken"));
        EXPECT_EQ(token.isEmpty(), page == 2);  // the last page leads nowhere
        EXPECT_FALSE(call("GetFolder", {u8(bucket + "-missing")}));
        EXPECT_EQ(property("nextcontinuationtoken"), token.utf8());
    }
    EXPECT_EQ(pages, "README\ntruea/1.txt\ntruea/b/2.txt\nfalse");
}

// Paths reached through their "/Volumes" form, in a root of its own (own_root.sh).
struct VolumesRoot : Storage {
    void SetUp() override {
        if (!fs::exists("/.skrw-own-root"))
            GTEST_SKIP() << "needs a root of its own: own_root.sh, run as root";
        Storage::SetUp();
        fs::create_directories("/Volumes/" + bucket);
    }
};

// The upload sends, and removes, the volume form of a path that names nothing, but refuses a path
// that names a folder; a download goes below /Volumes, never into it.
TEST_F(VolumesRoot, PathsFallBackToTheirVolumeFormButNeverIntoVolumesItself) {
    for (const std::string& given : {"/" + bucket + "/kept", bucket + "/rel-kept",
                                     "/" + bucket + "/gone", bucket + "/rel-gone"}) {
        const std::string volume = "/Volumes/" + given.substr(given[0] == '/');
        const bool gone = given.ends_with("gone");
        writeFile(volume, given);
        expectOutcome(
            funcs.postObject(u8(bucket), u8(given.substr(given.rfind('/') + 1)), u8(given), gone),
            "");
        EXPECT_EQ(kind(volume), gone ? fs::file_type::not_found : fs::file_type::regular);
    }
    ASSERT_TRUE(fs::create_directories(bucket + "/folder"));
    writeFile("/Volumes/" + bucket + "/folder", "volume");
    expectOutcome(funcs.postObject(u8(bucket), u8("folder"), u8(bucket + "/folder"), true),
                  "No file exists at this location.|-4|PostObject");
    EXPECT_EQ(readFile("/Volumes/" + bucket + "/folder"), "volume");
    EXPECT_EQ(keys(), "gone\nkept\nrel-gone\nrel-kept\n");
    expectOutcome(funcs.getObject(u8(bucket), u8("kept"), u8("/" + bucket + "/q1.csv")), "");
    EXPECT_EQ(readFile("/Volumes/" + bucket + "/q1.csv"), "/" + bucket + "/kept");
    for (const std::string& given : {"/" + bucket + ".csv", bucket + ".csv"}) {
        expectOutcome(funcs.getObject(u8(bucket), u8("kept"), u8(given)), kNoFolder);
        EXPECT_EQ(kind("/Volumes/" + bucket + ".csv"), fs::file_type::not_found);
    }
}

// A download reaches a folder on another file system than the temporary folder's: the new file
// is made in the destination folder itself. The tmpfs lives in this root's own mount namespace.
TEST_F(VolumesRoot, DownloadsReachAFolderOnAnotherFileSystem) {
    const std::string mounted = volumes + "/tmpfs";
    ASSERT_EQ(::mkdir(mounted.c_str(), 0755), 0);
    ASSERT_EQ(::mount("tmpfs", mounted.c_str(), "tmpfs", 0, "size=1m"), 0) << std::strerror(errno);
    putObject("q1.csv", "on tmpfs");
    writeFile(mounted + "/old.csv", "old");
    for (const char* name : {"q1.csv", "old.csv"}) {
        SCOPED_TRACE(name);
        expectOutcome(funcs.getObject(u8(bucket), u8("q1.csv"), u8(mounted + "/" + name)), "");
        EXPECT_EQ(readFile(mounted + "/" + name), "on tmpfs");
    }
    EXPECT_EQ(entries(mounted), "old.csv q1.csv ");
    EXPECT_EQ(::umount2(mounted.c_str(), MNT_DETACH), 0);
}

}  // namespace
