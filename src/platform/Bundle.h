#pragma once
// Bundles and their localized string tables.
//
// A bundle is a folder; its tables live in
// Resources/<language>.lproj/<table>.strings as UTF-8 text in the platform's
// `"key" = "value";` format (with /* */ and // comments and backslash
// escapes). The host hands the plug-in a BundleRef (see the call record); the
// plug-in never owns it.
#include <string>
#include <vector>

#include "platform/String.h"

namespace skrw::platform {

// What a bundle reference points at. The host creates it for the bundle
// folder it loaded and keeps it alive while the plug-in is loaded.
struct BundleRecord {
    static constexpr unsigned kMagic = 0x534B4244;  // "SKBD"
    unsigned magic = kMagic;
    const char* folderPath = nullptr;  // zero-terminated UTF-8, absolute
};
using BundleRef = const BundleRecord*;

// The text of `key` in the table `table` of the bundle, in the language the
// environment chooses (LANGUAGE, LC_ALL, LC_MESSAGES, LANG), falling back to
// English: the languages are tried in order of preference, and the first
// table that holds the key answers. Gives back `value` (or `key` when `value`
// is null) when the bundle, the table or the key is missing or the table
// cannot be read; a malformed table counts as missing. A null or empty table
// name means "Localizable". Tables are read at every call; nothing is cached.
String copyLocalizedString(BundleRef bundle, const String& key, const String& value,
                           const String& table);

// The languages in which the user wants texts, from the environment.
// In order of preference: each entry of LANGUAGE (a ":" separated list),
// then the first of LC_ALL, LC_MESSAGES and LANG that is set and not empty,
// then "en". A locale name gives its language code ("de_DE.UTF-8" gives
// "de"); "C", "POSIX" and names that are not plain language codes (letters,
// digits and "-" only) are passed over. No language appears twice.
std::vector<std::string> preferredLanguages();

}  // namespace skrw::platform
