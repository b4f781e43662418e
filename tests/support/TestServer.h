// Helpers for tests of the local S3 test server (CTest fixture `s3server`); every function throws
// std::runtime_error, with the reason, when the server cannot be reached.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace skrw::test {

// The credentials the test server accepts (any region).
constexpr const char* kAccessKey = "S3RVER";
constexpr const char* kSecretKey = "S3RVER";

// The server's base URL; throws when it takes no connection, so no test spends calls on retries.
std::string serverEndpoint();

// Points AWS_ENDPOINT_URL_S3 at the server (AWS_ENDPOINT_URL unset); call before any thread.
void useServerEndpoint();

// A DNS-compatible bucket name starting with the prefix (made fit for one), unique in the run.
std::string uniqueName(std::string_view prefix);

// One request as the server received it: method, raw target (still percent-encoded) and headers
// under lower-case names.
struct RecordedRequest {
    std::string method;
    std::string target;
    std::map<std::string, std::string> headers;
};

// Every request received so far, in order; a request whose answer has arrived is among them.
// Tests run in parallel against one server: a test reads it only through requestsFor or by a
// marker of its own (a unique access key or region).
std::vector<RecordedRequest> recordedRequests();

// The requests for `bucket` (a name of the test's own), path-style or virtual-host.
std::vector<RecordedRequest> requestsFor(const std::string& bucket);

// Makes the server change the local `path` once it has received the body of the next accepted
// PUT of `bucket`/`key` (the key as stored), before it answers: "delete" removes it, "append"
// appends "appended", "replace" renames a new file holding "replaced" onto it, "folder" puts a
// folder holding "kept.txt" in its place, "fifo" a FIFO, and "rewrite" writes as many other bytes
// into it in place and sets its modification time back (to the millisecond).
void changeOnPut(const std::string& bucket, const std::string& key, const std::string& path,
                 const std::string& change);
// The same once the next accepted GET of `bucket`/`key` arrives, before it is answered.
void changeOnGet(const std::string& bucket, const std::string& key, const std::string& path,
                 const std::string& change);

// A fresh folder in TMPDIR (/tmp when unset) with an empty "Volumes" folder in it, removed whole
// on destruction.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string volumesPath() const { return m_path + "/Volumes"; }

  private:
    std::string m_path;
};

}  // namespace skrw::test
