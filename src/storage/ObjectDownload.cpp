// Downloading an object into a local file.
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/FileManager.h"
#include "storage/FileReplacement.h"
#include "storage/LocalPaths.h"
#include "storage/SKFuncs.h"
#include "storage/ServiceClient.h"

using platform::String;
using namespace skrw::storage;

namespace {

const char kSource[] = "GetObject";
const char kFolderMessage[] =
    "Failed to create the folder at the destination location. Please check the file path and "
    "try again.";

// The folder as an absolute path, taken before the current folder changes, so that the file is
// written inside the destination folder whatever the change of the current folder gives.
bool absoluteFolder(const std::string& folder, std::string& absolute, platform::Error& error) {
    if (folder.starts_with('/')) {
        absolute = folder;
        return true;
    }
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            error = platform::Error::fromErrno(errno, "getcwd", folder);
            return false;
        }
        buffer.resize(buffer.size() * 2);
    }
    absolute = std::string(buffer.data()) + "/" + folder;
    return true;
}

}  // namespace

bool SKFuncs::getObject(const String& bucket, const String& key, const String& path) {
    m_error.clearError();
    if (!isAuthenticated(m_credentials)) {
        recordFailure(m_error, "System not authenticated.", "-400", kSource);
        return false;
    }
    if (!isGiven(bucket)) {
        recordFailure(m_error, "Bucket ID is blank or invalid.", "-4", kSource);
        return false;
    }
    if (!isGiven(key)) {
        recordFailure(m_error, "Object ID is blank or invalid.", "-4", kSource);
        return false;
    }
    if (!isGiven(path)) {
        recordFailure(m_error, "No file path specified.", "-4", kSource);
        return false;
    }
    Aws::S3::Model::GetObjectRequest request;
    request.SetBucket(bucket.utf8());
    request.SetKey(key.utf8());
    ServiceClient client(m_credentials, clientConfiguration(m_region));
    auto outcome = client->GetObject(request);
    if (!outcome.IsSuccess()) {
        recordServiceFailure(m_error, outcome.GetError(), kSource);
        return false;
    }

    const String workPath = downloadWorkPath(path);
    const String folder = downloadFolder(workPath);
    platform::Error error;
    std::string folderPath;
    if (!absoluteFolder(folder.utf8(), folderPath, error)) {
        m_error.setErrorWithError(SkrError(error));
        return false;
    }
    const bool created =
        platform::FileManager::createDirectoryWithIntermediates(folder.utf8(), nullptr);
    if (folder.isEqualToString(String::fromUtf8("/Volumes")) || !created) {
        recordFailure(m_error, kFolderMessage, "-400", kSource);
        return false;
    }
    // Callers rely on the download folder becoming the current folder; its answer does not
    // matter here, since the file is written by its full path.
    platform::FileManager::changeCurrentDirectoryPath(folder.utf8());

    const std::string fileName = downloadFileName(workPath, folder).utf8();
    const std::string target = folderPath == "/" ? "/" + fileName : folderPath + "/" + fileName;
    if (!replaceFileWithStream(target, outcome.GetResult().GetBody(), error)) {
        m_error.setErrorWithError(SkrError(error));
        return false;
    }
    return true;
}
