#pragma once
// Writes a downloaded body into a local file so that the file either holds every byte or is left
// exactly as it was.
#include <istream>
#include <string>

#include "platform/Error.h"

namespace skrw::storage {

// Copies the whole of `body` into a new temporary file in the folder of `target`, closes it, and
// renames it over `target` only then. `target` is an absolute path. A target that is a symbolic
// link is followed and the file it names is replaced; a replaced file keeps its permission bits,
// a new one gets the process's default ones.
//
// Fails, setting `error`, when the target ends in "/" or names a folder, or when the temporary
// file cannot be created, written, closed or renamed, or the body cannot be read; then the
// target is untouched and no temporary file remains.
bool replaceFileWithStream(const std::string& target, std::istream& body, platform::Error& error);

}  // namespace skrw::storage
