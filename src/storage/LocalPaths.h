#pragma once
// The local path rules of downloads and uploads, as pure functions of texts.
//
// The volume form of a path puts "/Volumes" in front of it, joined by exactly one "/"; a path
// that contains "/Volumes/" anywhere (a literal, case-sensitive test) has no volume form.
// Users rely on these rules to reach mounted volumes by short paths, so they are kept exactly,
// odd as some results look (a relative path becomes a path below /Volumes, "~" is expanded for
// downloads only).
#include <vector>

#include "platform/Error.h"
#include "platform/String.h"

namespace skrw::storage {

// The folder below which volumes are mounted; downloads never create it.
inline constexpr char kVolumesFolder[] = "/Volumes";

// "/Volumes" + path when the path begins with "/", "/Volumes/" + path otherwise; the null
// string when the path contains "/Volumes/".
platform::String volumeForm(const platform::String& path);

// Where a download goes: the path with a leading "~" expanded (when its first character is
// "~"), then replaced by its volume form when it has one.
platform::String downloadWorkPath(const platform::String& path);

// The folder a download is written into: the work path without its last component.
platform::String downloadFolder(const platform::String& workPath);

// The file name inside the download folder: the work path with every occurrence of the folder
// followed by "/" removed (the last component, for a work path in normal form).
platform::String downloadFileName(const platform::String& workPath, const platform::String& folder);

// The paths an upload looks for, in order: the path as given (no "~" expansion), then its volume
// form when it has one.
std::vector<platform::String> uploadCandidates(const platform::String& path);

// Whether the path can be handed to the file calls as given. A path holding a NUL character
// cannot: those calls would stop at it and reach a different, shorter path. Sets `error` (EINVAL,
// naming the path with each NUL shown as U+FFFD) when the path is refused.
[[nodiscard]] bool isUsableLocalPath(const platform::String& path, platform::Error& error);

}  // namespace skrw::storage
