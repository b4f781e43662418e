// Downloading an object into a local file.
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileManager.h"
#include "storage/FileReplacement.h"
#include "storage/LocalPaths.h"
#include "storage/SKFuncs.h"
#include "storage/ServiceClient.h"

using skrw::platform::String;
using namespace skrw::storage;

namespace {

const char kSource[] = "GetObject";
const char kFolderMessage[] =
    "Failed to create the folder at the destination location. Please check the file path and "
    "try again.";

// The folder as an absolute path, taken before the current folder changes, so that the file is
// written inside the destination folder whatever the change of the current folder gives.
bool absoluteFolder(const std::string& folder, std::string& absolute,
                    skrw::platform::Error& error) {
    if (folder.starts_with('/')) {
        absolute = folder;
        return true;
    }
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            error = skrw::platform::Error::fromErrno(errno, "getcwd", folder);
            return false;
        }
        buffer.resize(buffer.size() * 2);
    }
    absolute = std::string(buffer.data()) + "/" + folder;
    return true;
}

// Where one download goes. Prepared only when the service answers with the object, so that a
// refused download touches nothing local: the destination folder is created and made the current
// folder, and the new file opened in the folder of the file the target names. Each stream asked
// for starts the new file afresh.
class DownloadDestination {
  public:
    explicit DownloadDestination(const String& path) : m_path(path) {}

    // The response stream factory's work; null when the destination cannot be prepared.
    Aws::IOStream* newStream() {
        if (!m_prepared) {
            m_prepared = true;
            m_ready = prepare();
        }
        if (!m_ready) return nullptr;
        skrw::platform::Error error;
        Aws::IOStream* stream = m_file.newStream(error);
        if (stream == nullptr) m_platformFailure = error;
        return stream;
    }

    // Records why the destination could not take the body, when that is why the download
    // failed; false when nothing local failed.
    bool recordLocalFailure(SkrError& record) {
        skrw::platform::Error error;
        if (m_file.writeFailed(error)) m_platformFailure = error;
        if (m_folderFailure) {
            recordFailure(record, kFolderMessage, kServiceFailureCode, kSource);
        } else if (m_platformFailure) {
            record.setErrorWithError(SkrError(*m_platformFailure));
        } else {
            return false;
        }
        return true;
    }

    bool commit(skrw::platform::Error& error) { return m_file.commit(error); }

    // Whether the file the download would replace must not be replaced (ReplacementFile's
    // refusals: a folder, a FIFO, a socket or a device, a file the caller may not write, a link
    // not to be followed, a name too long). Checked before any request, without opening the
    // target, so that a refused download costs no request; ReplacementFile checks again when it
    // opens, since the target may change while the request runs.
    bool refusesTarget(skrw::platform::Error& error) const {
        const String workPath = downloadWorkPath(m_path);
        const String folder = downloadFolder(workPath);
        const std::string target = joined(folder.utf8(), downloadFileName(workPath, folder).utf8());
        return !ReplacementFile::mayReplace(target, error);
    }

  private:
    static std::string joined(const std::string& folder, const std::string& name) {
        if (folder.empty()) return name;
        return folder == "/" ? "/" + name : folder + "/" + name;
    }

    bool prepare() {
        const String workPath = downloadWorkPath(m_path);
        const String folder = downloadFolder(workPath);
        skrw::platform::Error error;
        std::string folderPath;
        if (!absoluteFolder(folder.utf8(), folderPath, error)) {
            m_platformFailure = error;
            return false;
        }
        const bool created =
            skrw::platform::FileManager::createDirectoryWithIntermediates(folder.utf8(), nullptr);
        if (folder.isEqualToString(String::fromUtf8(kVolumesFolder)) || !created) {
            m_folderFailure = true;
            return false;
        }
        // Callers rely on the download folder becoming the current folder; its answer does not
        // matter here, since the file is written by its full path.
        skrw::platform::FileManager::changeCurrentDirectoryPath(folder.utf8());

        const std::string fileName = downloadFileName(workPath, folder).utf8();
        if (!m_file.open(joined(folderPath, fileName), error)) {
            m_platformFailure = error;
            return false;
        }
        return true;
    }

    const String& m_path;
    ReplacementFile m_file;
    bool m_prepared = false;
    bool m_ready = false;
    bool m_folderFailure = false;
    std::optional<skrw::platform::Error> m_platformFailure;
};

}  // namespace

bool SKFuncs::getObject(const String& bucket, const String& key, const String& path) {
    m_error.clearError();
    if (!hasOperands(m_error, kSource, m_credentials, bucket, &key, &path)) return false;
    // Declared before the outcome, which may hold one of its streams.
    DownloadDestination destination(path);
    if (skrw::platform::Error refused; destination.refusesTarget(refused)) {
        m_error.setErrorWithError(SkrError(refused));
        return false;
    }
    Aws::S3::Model::GetObjectRequest request;
    request.SetBucket(bucket.utf8());
    request.SetKey(key.utf8());
    request.SetResponseStreamFactory([&destination] { return destination.newStream(); });
    ServiceClient client(m_credentials, clientConfiguration(m_region));
    auto outcome = client->GetObject(request);
    if (!outcome.IsSuccess()) {
        if (!destination.recordLocalFailure(m_error)) {
            recordServiceFailure(m_error, outcome.GetError(), kSource);
        }
        return false;
    }
    skrw::platform::Error error;
    if (!outcome.GetResult().GetBody().flush() || !destination.commit(error)) {
        if (!destination.recordLocalFailure(m_error)) m_error.setErrorWithError(SkrError(error));
        return false;
    }
    return true;
}
