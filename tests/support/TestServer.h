// Helpers for tests that talk to the local S3 test server (tests/s3server).
//
// The server is started by the CTest fixture `s3server` and writes its files into a state folder
// fixed at configure time (SKRW_TEST_SERVER_STATE_DIR): `endpoint` holds the URL once the server
// answers, `requests.jsonl` one JSON object per request the server received, in order.
// Every function here throws std::runtime_error when the server's files or the server itself
// cannot be reached, so a test fails with a readable reason instead of a crash.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace skrw::test {

// The credentials the test server accepts (any region).
constexpr const char* kAccessKey = "S3RVER";
constexpr const char* kSecretKey = "S3RVER";

// The folder the fixture writes its files into.
std::string serverStateDir();

// The server's base URL, e.g. "http://127.0.0.1:45678" (no trailing "/"). Throws, saying the
// server is not running, when it takes no connection: a test that went on would spend every call
// on the S3 layer's retries.
std::string serverEndpoint();

// Points the S3 layer at the test server: sets AWS_ENDPOINT_URL_S3 to serverEndpoint() and
// unsets AWS_ENDPOINT_URL. Changes the process environment, so call it before starting threads.
void useServerEndpoint();

// A name that is valid as a DNS-compatible bucket name (3 to 63 characters of lower-case
// letters, digits and "-", starting and ending with a letter or digit) and unique across the
// processes of a test run. The prefix is lower-cased; characters a bucket name cannot hold
// become "-"; it is shortened when needed to keep the name within 63 characters.
std::string uniqueName(std::string_view prefix);

// One request as the server received it: the method, the raw request target exactly as sent
// (path and query still percent-encoded, e.g. "/b/a%2Bb?x-id=PutObject") and the headers under
// their lower-case names (repeated headers joined with ", ").
struct RecordedRequest {
    std::string method;
    std::string target;
    std::map<std::string, std::string> headers;
};

// Every request the server received so far, in the order received. A request is recorded
// before the server answers it, so a request whose answer has arrived is always in the list.
// Tests run in parallel against one server: a test reads it only through requestsFor or by a
// marker of its own (a unique access key or region).
std::vector<RecordedRequest> recordedRequests();

// The requests for `bucket` (a name of the test's own), in order: path-style targets "/<bucket>",
// "/<bucket>/..." or "/<bucket>?...", and virtual-host requests to "<bucket>.<host>".
std::vector<RecordedRequest> requestsFor(const std::string& bucket);

// Asks the server to change the local `path` once it has received the body of the next PUT of
// `bucket`/`key` that passes its checks (the key as stored, not percent-encoded), before it
// answers: "delete" removes it, "append" appends "appended", "replace" renames a new file
// holding "replaced" onto it, "folder" puts a folder holding "kept.txt" in its place. Used to
// change an uploaded file while its upload is under way.
void changeOnPut(const std::string& bucket, const std::string& key, const std::string& path,
                 const std::string& change);

// A fresh folder under /tmp, removed with everything in it on destruction.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // "<path>/Volumes", created with the folder, so that download paths below it contain
    // "/Volumes/" without touching the machine's real /Volumes.
    std::string volumesPath() const { return path_ + "/Volumes"; }

  private:
    std::string path_;
};

}  // namespace skrw::test
