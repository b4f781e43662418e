// The test support library's own pieces that need no server: the request log reader, bucket
// names and temporary folders.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <stdexcept>

#include "RequestLog.h"
#include "TestServer.h"

namespace skrw::test {
namespace {

TEST(RequestLog, ReadsMethodTargetAndHeaders) {
    RecordedRequest r = parseRequestRecord(
        R"({"method":"PUT","target":"/b/a%2Bb?x-id=PutObject","headers":{"host":"127.0.0.1:1","x-amz-date":"20240101T000000Z"}})");
    EXPECT_EQ(r.method, "PUT");
    EXPECT_EQ(r.target, "/b/a%2Bb?x-id=PutObject");
    ASSERT_EQ(r.headers.size(), 2u);
    EXPECT_EQ(r.headers.at("x-amz-date"), "20240101T000000Z");
}

TEST(RequestLog, DecodesEscapesAndKeepsUtf8) {
    RecordedRequest r = parseRequestRecord(
        "{\"method\":\"GET\",\"target\":\"/\",\"headers\":{\"x-q\":\"a\\\"b\\\\c\\/"
        "d\\n\\t\\u0001\","
        "\"x-\\u00e9\":\"caf\xc3\xa9 \\u20ac \\ud83d\\ude00\"}}");
    EXPECT_EQ(r.headers.at("x-q"), "a\"b\\c/d\n\t\x01");
    EXPECT_EQ(r.headers.at("x-\xc3\xa9"), "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80");
}

TEST(RequestLog, TurnsUnpairedSurrogatesIntoReplacementCharacters) {
    RecordedRequest r = parseRequestRecord(
        R"({"method":"GET","target":"/","headers":{"a":"\ud800x","b":"\udc00","c":"\ud800\u0041"}})");
    EXPECT_EQ(r.headers.at("a"), "\xef\xbf\xbdx");
    EXPECT_EQ(r.headers.at("b"), "\xef\xbf\xbd");
    EXPECT_EQ(r.headers.at("c"),
              "\xef\xbf\xbd"
              "A");
}

TEST(RequestLog, SkipsMembersItDoesNotKnow) {
    RecordedRequest r = parseRequestRecord(
        R"({"time": 1.5e3, "method":"GET", "extra": {"x": [1, true, null, {"y": "}"}]}, "target":"/t", "headers":{}, "flag": false})");
    EXPECT_EQ(r.method, "GET");
    EXPECT_EQ(r.target, "/t");
    EXPECT_TRUE(r.headers.empty());
}

TEST(RequestLog, RejectsMalformedLines) {
    for (const char* bad : {"", "{", R"({"method":"GET")", R"({"method":GET})",
                            R"({"method":"\x"})", R"({"method":"\u12"})", R"({"a":1} x)",
                            "{\"method\":\"a\nb\"}", R"({"headers":{"a":1}})"}) {
        EXPECT_THROW(parseRequestRecord(bad), std::runtime_error) << bad;
    }
    EXPECT_THROW(parseRequestRecord(std::string(10000, '[') + std::string(10000, ']')),
                 std::runtime_error);
    EXPECT_THROW(
        parseRequestRecord("{\"x\":" + std::string(1000, '[') + std::string(1000, ']') + "}"),
        std::runtime_error);
}

TEST(RequestLog, LeavesOutALastLineStillBeingWritten) {
    const auto records = parseRequestLog(
        "{\"method\":\"A\",\"target\":\"/1\",\"headers\":{}}\n"
        "{\"method\":\"B\",\"target\":\"/2\",\"headers\":{}}\n"
        "{\"method\":\"C\",\"tar");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].method, "A");
    EXPECT_EQ(records[1].target, "/2");
}

// 3 to 63 lower-case letters, digits and "-", starting and ending with a letter or digit.
bool isDnsBucketName(const std::string& name) {
    auto alnum = [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); };
    if (name.size() < 3 || name.size() > 63 || !alnum(name.front()) || !alnum(name.back())) {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [&](char c) { return alnum(c) || c == '-'; });
}

TEST(UniqueName, GivesDistinctValidBucketNames) {
    std::set<std::string> seen;
    for (const char* prefix : {"Bucket_One", "", "-x", "xn--abc", "caf\xc3\xa9.name",
                               "a-very-long-prefix-that-would-not-fit-in-a-bucket-name-at-all-x"}) {
        for (int i = 0; i < 3; ++i) {
            const std::string name = uniqueName(prefix);
            EXPECT_TRUE(isDnsBucketName(name)) << name;
            EXPECT_NE(name.rfind("xn--", 0), 0u) << name;
            EXPECT_TRUE(seen.insert(name).second) << name;
        }
    }
    EXPECT_EQ(uniqueName("Bucket_One").rfind("bucket-one-", 0), 0u);
}

TEST(TempDirTest, MakesAFreshFolderWithVolumesAndRemovesItWhole) {
    std::string path;
    {
        TempDir dir;
        path = dir.path();
        struct stat info;
        ASSERT_EQ(stat(dir.volumesPath().c_str(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(dir.volumesPath(), path + "/Volumes");
        EXPECT_EQ(path.rfind("/tmp/", 0), 0u);
        ASSERT_EQ(mkdir((path + "/locked").c_str(), 0755), 0);
        std::ofstream(path + "/locked/file") << "x";
        ASSERT_EQ(chmod((path + "/locked").c_str(), 0), 0);
        TempDir other;
        EXPECT_NE(other.path(), path);
    }
    struct stat info;
    EXPECT_NE(stat(path.c_str(), &info), 0);
}

}  // namespace
}  // namespace skrw::test
