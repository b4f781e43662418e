#pragma once
// The languages in which the user wants texts, from the environment.
#include <string>
#include <vector>

namespace platform {

// In order of preference: each entry of LANGUAGE (a ":" separated list),
// then the first of LC_ALL, LC_MESSAGES and LANG that is set and not empty,
// then "en". A locale name gives its language code ("de_DE.UTF-8" gives
// "de"); "C", "POSIX" and names that are not plain language codes (letters,
// digits and "-" only) are passed over. No language appears twice.
std::vector<std::string> preferredLanguages();

}  // namespace platform
