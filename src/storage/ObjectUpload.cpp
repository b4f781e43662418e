// Uploading a local file as an object.
#include <optional>

#include "platform/FileManager.h"
#include "storage/LocalPaths.h"
#include "storage/SKFuncs.h"
#include "storage/ServiceClient.h"
#include "storage/UploadFile.h"

using skrw::platform::String;
using namespace skrw::storage;

namespace {

const char kSource[] = "PostObject";

// The first candidate that exists, when it is not a folder.
std::optional<String> chosenUploadPath(const String& path) {
    for (const String& candidate : uploadCandidates(path)) {
        bool isDirectory = false;
        if (skrw::platform::FileManager::fileExistsAtPath(candidate.utf8(), &isDirectory)) {
            if (isDirectory) return std::nullopt;
            return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace

bool SKFuncs::postObject(const String& bucket, const String& key, const String& path,
                         bool deleteAfter) {
    m_error.clearError();
    if (!hasOperands(m_error, kSource, m_credentials, bucket, &key, &path)) return false;
    const std::optional<String> chosen = chosenUploadPath(path);
    if (!chosen) {
        recordFailure(m_error, "No file exists at this location.", kBadArgumentCode, kSource);
        return false;
    }
    // A file that cannot be read, or is not a regular file, is refused before any request, so
    // that nothing unread is ever reported as stored (or removed).
    skrw::platform::Error error;
    UploadFile file;
    if (!file.open(chosen->utf8(), error)) {
        m_error.setErrorWithError(SkrError(error));
        return false;
    }

    ServiceClient client(m_credentials, clientConfiguration(m_region));
    Aws::S3::Model::PutObjectRequest request;
    request.SetBucket(bucket.utf8());
    request.SetKey(key.utf8());
    request.SetBody(file.body());
    const auto outcome = client->PutObject(request);
    if (!outcome.IsSuccess()) {
        recordServiceFailure(m_error, outcome.GetError(), kSource);
        return false;
    }
    if (deleteAfter && !file.removeIfUnchanged(error)) {
        m_error.setErrorWithNSError(error);
        return false;
    }
    return true;
}
