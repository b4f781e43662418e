#include "storage/LocalPaths.h"

#include <cerrno>
#include <string>

namespace skrw::storage {

using platform::String;

namespace {

const String& volumesMarker() {
    static const String marker = String::fromUtf8(std::string(kVolumesFolder) + "/");
    return marker;
}

}  // namespace

String volumeForm(const String& path) {
    if (path.containsString(volumesMarker())) return String();
    const String& prefix =
        path.characterAtIndex(0) == u'/' ? String::fromUtf8(kVolumesFolder) : volumesMarker();
    return prefix.stringByAppendingString(path);
}

String downloadWorkPath(const String& path) {
    String work = path.characterAtIndex(0) == u'~' ? path.stringByExpandingTildeInPath() : path;
    String volume = volumeForm(work);
    return volume.isNull() ? work : volume;
}

String downloadFolder(const String& workPath) {
    return workPath.stringByDeletingLastPathComponent();
}

String downloadFileName(const String& workPath, const String& folder) {
    return workPath.stringByReplacingOccurrencesOfString(
        folder.stringByAppendingString(String::fromUtf8("/")), String::fromUtf8(""));
}

std::vector<String> uploadCandidates(const String& path) {
    std::vector<String> candidates{path};
    String volume = volumeForm(path);
    if (!volume.isNull()) candidates.push_back(volume);
    return candidates;
}

bool isUsableLocalPath(const platform::String& path, platform::Error& error) {
    const std::string& text = path.utf8();
    if (text.find('\0') == std::string::npos) return true;
    // Named with each NUL shown as U+FFFD: a NUL in the error text would cut it short.
    std::string shown;
    for (const char c : text) {
        if (c == '\0') {
            shown += "\xEF\xBF\xBD";
        } else {
            shown += c;
        }
    }
    error = platform::Error::fromErrno(EINVAL, "open", shown);
    return false;
}

}  // namespace skrw::storage
