// Storage operations meeting link faults and answers that are not S3 fail with a readable record,
// lose nothing local and leave no temporary file; host texts at their limits arrive as UTF-8.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "ErrorRecord.h"
#include "FaultServer.h"
#include "TestEnv.h"
#include "TestServer.h"
#include "Texts.h"
#include "storage/SKFuncs.h"

namespace skrw::test {
namespace {

namespace fs = std::filesystem;
using platform::String;

class StorageFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        useServerEndpoint();
        ASSERT_TRUE(
            m_funcs.useCredentialsForService(u8("s3"), u8(kAccessKey), u8(kSecretKey), String()));
        m_volumes = m_folder.volumesPath();
    }
    void TearDown() override { unsetenv("AWS_ENDPOINT_URL_S3"); }

    ErrorRecord lastError() const { return readErrorRecord(m_funcs.getLastError()); }

    TempDir m_folder;
    std::string m_volumes;
    SKFuncs m_funcs;
};

TEST_F(StorageFaults, EveryOperationMeetingAnUnreachableEndpointKeepsWhatIsLocal) {
    const std::string kept = m_volumes + "/kept.txt", source = m_folder.path() + "/up.txt";
    writeFile(kept, "kept");
    writeFile(source, "up");
    FaultServer untrusted([](int, auto&, auto& c) { c.respond(200, ""); }, {.tls = true});
    const ClosedPort closed;
    // Every failure here is retried ten times: without back-off, so the test stays short.
    const ScopedEnv noBackOff("SKRW_AWS_RETRY_BASE_DELAY_MS", "0");
    const String b = u8("unreachable-bucket"), k = u8("k");
    const std::pair<const char*, std::function<bool()>> operations[] = {
        {"listFolders", [&] { return m_funcs.listBuckets().utf8() != "!!ERROR!!"; }},
        {"GetFolder", [&] { return m_funcs.getBucket(b, String(), String(), String(), String()); }},
        {"CreateFolder", [&] { return m_funcs.createBucket(b); }},
        {"DeleteFolder", [&] { return m_funcs.deleteBucket(b); }},
        {"GetObject", [&] { return m_funcs.getObject(b, k, u8(kept)); }},
        {"PostObject", [&] { return m_funcs.postObject(b, k, u8(source), true); }},
        {"CopyObject", [&] { return m_funcs.copyObjectFromSourceBucket(b, k, b, u8("c")); }},
        {"DeleteObject", [&] { return m_funcs.deleteObject(b, k); }},
    };
    for (const auto& [endpoint, fragment] : {std::pair{unresolvableEndpoint(), "resolve"},
                                             {untrusted.endpoint(), "certificate"},
                                             {closed.endpoint(), "onnect"}}) {
        setenv("AWS_ENDPOINT_URL_S3", endpoint.c_str(), 1);
        for (const auto& [source, operation] : operations) {
            SCOPED_TRACE(endpoint + " " + source);
            EXPECT_FALSE(operation());
            EXPECT_EQ(lastError().source, source);
            EXPECT_EQ(lastError().code, "-400");
            EXPECT_TRUE(lastError().message.starts_with("Unable to connect to endpoint: "));
            EXPECT_NE(lastError().message.find(fragment), std::string::npos) << lastError().message;
        }
    }
    EXPECT_EQ(readFile(kept), "kept");
    EXPECT_EQ(readFile(source), "up");
    EXPECT_TRUE(untrusted.requests().empty());
}

TEST_F(StorageFaults, TransferCutShortLosesNothingAndLeavesNoTemporaryFile) {
    const std::string big(16u << 20, 'u');  // more than the sockets' buffers take in unread
    writeFile(m_folder.path() + "/big", big);
    fs::create_directory(m_volumes + "/old");
    writeFile(m_volumes + "/old/report.pdf", "the old content");
    const auto cutDownload = [](int, auto&, FaultConnection& c) {
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 8388608\r\n\r\n" + std::string(4u << 20, 'n'));
        c.reset();
    };
    const auto early = [](int, auto&, FaultConnection& c) { c.respond(200, ""); };
    const auto cutUpload = [](int, auto&, FaultConnection& c) { c.reset(); };
    const struct {
        const char* name;
        FaultServer::Script script;
        std::string target;  // where a download goes; "": an upload of "big" with the delete flag
        std::vector<std::string> entries;  // what the target's folder holds afterwards
    } rows[] = {
        {"download onto a file", cutDownload, m_volumes + "/old/report.pdf", {"report.pdf"}},
        {"download of a new file", cutDownload, m_volumes + "/new/f.bin", {}},
        {"upload cut off", cutUpload, "", {"Volumes", "big"}},
        {"upload answered before its body was read", early, "", {"Volumes", "big"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FaultServer server(row.script, {.headOnly = row.target.empty()});
        setenv("AWS_ENDPOINT_URL_S3", server.endpoint().c_str(), 1);
        const String b = u8("b"), k = u8("k");
        EXPECT_FALSE(row.target.empty()
                         ? m_funcs.postObject(b, k, u8(m_folder.path() + "/big"), true)
                         : m_funcs.getObject(b, k, u8(row.target)));
        EXPECT_TRUE(lastError().message.starts_with("Unable to connect to endpoint: "))
            << lastError().message;
        EXPECT_EQ(lastError().code + " " + lastError().source,
                  row.target.empty() ? "-400 PostObject" : "-400 GetObject");
        const fs::path folder =
            row.target.empty() ? fs::path(m_folder.path()) : fs::path(row.target).parent_path();
        std::vector<std::string> entries;
        for (const auto& entry :
             fs::exists(folder) ? fs::directory_iterator(folder) : fs::directory_iterator()) {
            entries.push_back(entry.path().filename());
        }
        std::sort(entries.begin(), entries.end());
        EXPECT_EQ(entries, row.entries);
    }
    EXPECT_EQ(readFile(m_volumes + "/old/report.pdf"), "the old content");
    EXPECT_TRUE(readFile(m_folder.path() + "/big") == big);
}

TEST_F(StorageFaults, OnePageOfTenThousandKeysIsKeptWhole) {
    std::string listing = "<ListBucketResult><Name>b</Name><IsTruncated>false</IsTruncated>";
    for (int i = 0; i < 10000; ++i) {
        listing += "<Contents><Key>key-" + std::to_string(10000 + i).substr(1) +
                   "</Key><Size>1</Size></Contents>";
    }
    FaultServer server(
        [&](int, auto&, auto& c) { c.respond(200, listing + "</ListBucketResult>"); });
    setenv("AWS_ENDPOINT_URL_S3", server.endpoint().c_str(), 1);
    ASSERT_TRUE(m_funcs.getBucket(u8("b"), String(), String(), String(), String()));
    EXPECT_EQ(m_funcs.getBucketProperty(u8("count"), 0).utf8(), "10000");
    EXPECT_EQ(m_funcs.getBucketProperty(u8("key"), 9999).utf8(), "key-9999");
    const std::string keys = m_funcs.getBucketProperty(u8("keys"), 0).utf8();
    EXPECT_EQ(std::count(keys.begin(), keys.end(), '\n'), 10000);
}

TEST_F(StorageFaults, HostTextsAtTheirLimitsReachTheServiceAsTheirUtf8Bytes) {
    FaultServer server([](int, auto& request, auto& c) {
        c.respond(request.method == "DELETE" ? 204 : 200,
                  request.method == "GET" ? "<ListBucketResult></ListBucketResult>" : "");
    });
    setenv("AWS_ENDPOINT_URL_S3", server.endpoint().c_str(), 1);
    const std::string success = "MESSAGE: Success\nCODE: 0\nSOURCE: Initialization";
    const struct {
        const char* name;
        std::u16string units;
        std::size_t sent;     // requests: the delete and the listing, or only the listing
        std::string encoded;  // the key and the prefix as they reach the service
        std::string record;   // the error record after the listing
    } rows[] = {
        {"empty", u"", 1, "", success},  // the key is missing; the prefix is left out
        // More than curl will send: it refuses a request head this long as out of memory.
        {"1 MiB", std::u16string(1u << 20, u'x'), 0, "",
         "MESSAGE: Unable to connect to endpoint: Out of memory\nCODE: -400\nSOURCE: GetFolder"},
        {"unpaired surrogates",
         u"a\xD800"
         u"b\xDC00"
         u"c",
         2, "a%EF%BF%BDb%EF%BF%BDc", success},
        {"outside the BMP", u"\U0001F600 \U0001D11E", 2, "%F0%9F%98%80%20%F0%9D%84%9E", success},
        {"NUL", std::u16string(u"n\0ul", 4), 2, "n%00ul", success},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::size_t before = server.requests().size();
        const String value = String::fromUtf16(row.units);
        EXPECT_EQ(m_funcs.deleteObject(u8("b"), value), row.sent == 2);
        EXPECT_EQ(m_funcs.getBucket(u8("b"), value, String(), String(), String()), row.sent > 0);
        EXPECT_EQ(m_funcs.getLastError().utf8(), row.record);
        const auto requests = server.requests();
        ASSERT_EQ(requests.size(), before + row.sent);
        if (row.sent == 0) continue;
        const std::string& listing = requests.back().target;
        EXPECT_TRUE(listing.ends_with(row.sent == 2 ? "prefix=" + row.encoded : "=1000"))
            << listing;
        EXPECT_EQ(requests[before].target, row.sent == 2 ? "/b/" + row.encoded : listing);
    }
}

}  // namespace
}  // namespace skrw::test
