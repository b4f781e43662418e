#pragma once
// Home folders of users, for "~" in paths and the default log location.
#include <optional>
#include <string>

namespace platform {

// The current user's home folder: $HOME when it is set and not empty,
// otherwise the password database's entry for the process's user. Nothing
// when neither gives one.
std::optional<std::string> homeFolderOfCurrentUser();
// The password database's home folder of the user `name`; nothing for an
// unknown user or an empty name.
std::optional<std::string> homeFolderOfUser(const std::string& name);

}  // namespace platform
