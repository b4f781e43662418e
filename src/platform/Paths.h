#pragma once
// Path operations on UTF-8 paths ("/" separated), without touching the file
// system (except the password database for "~name"), and the home folders of
// users, for "~" in paths and the default log location.
#include <optional>
#include <string>
#include <string_view>

namespace skrw::platform {

// The current user's home folder: $HOME when it is set and not empty,
// otherwise the password database's entry for the process's user. Nothing
// when neither gives one.
std::optional<std::string> homeFolderOfCurrentUser();
// The password database's home folder of the user `name`; nothing for an
// unknown user or an empty name.
std::optional<std::string> homeFolderOfUser(const std::string& name);

}  // namespace skrw::platform

namespace skrw::platform::paths {

// A leading "~" component becomes the current user's home folder, "~name"
// that user's home folder; exactly one "/" joins the home folder and the
// rest. Any other path, and a path naming an unknown user, comes back as it
// is.
std::string expandTilde(std::string_view path);
// Tilde expansion, then empty and "." components removed: repeated and
// trailing "/" go, "/" alone stays "/", and a relative path of nothing but
// "." components becomes ".". ".." components are kept as they are, since
// resolving them without the file system could change which folder is meant.
std::string standardize(std::string_view path);
// The path without its last component and the "/" before it; trailing "/"
// are ignored; a component right below the root gives "/"; a single relative
// component gives the empty text.
std::string deleteLastComponent(std::string_view path);

}  // namespace skrw::platform::paths
