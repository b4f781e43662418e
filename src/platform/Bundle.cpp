#include "platform/Bundle.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>

#include "platform/StringsFileParser.h"

namespace skrw::platform {
namespace {

bool isPlainCode(std::string_view code) {
    return !code.empty() && std::all_of(code.begin(), code.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '-';
    });
}

// "de_DE.UTF-8@euro" gives "de". The code becomes part of a file path, so
// anything but a plain code (a "/" or ".." for instance) is refused.
void addLanguageOf(std::string_view localeName, std::vector<std::string>& languages) {
    const std::string_view code = localeName.substr(0, localeName.find_first_of("_.@"));
    if (!isPlainCode(code) || code == "C" || code == "POSIX") return;
    if (std::find(languages.begin(), languages.end(), code) == languages.end()) {
        languages.emplace_back(code);
    }
}

std::string_view environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string_view() : std::string_view(value);
}

// Tables are a few kilobytes; a file far beyond that is not a table of ours
// and is not read into memory.
constexpr std::streamoff kLargestTable = 4 * 1024 * 1024;

std::optional<std::string> readSmallFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || size > kLargestTable) return std::nullopt;
    in.seekg(0, std::ios::beg);
    std::string contents(static_cast<std::size_t>(size), '\0');
    if (!in.read(contents.data(), size)) return std::nullopt;
    return contents;
}

// A table name becomes part of a file path: it must name a file of the
// folder, not a path out of it.
bool isPlainTableName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

bool isUsable(BundleRef bundle) {
    return bundle != nullptr && bundle->magic == BundleRecord::kMagic &&
           bundle->folderPath != nullptr && *bundle->folderPath != '\0';
}

}  // namespace

std::vector<std::string> preferredLanguages() {
    std::vector<std::string> languages;
    std::string_view list = environment("LANGUAGE");
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        addLanguageOf(list.substr(0, colon), languages);
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const std::string_view value = environment(name);
        if (!value.empty()) {
            addLanguageOf(value, languages);
            break;
        }
    }
    addLanguageOf("en", languages);
    return languages;
}

// Tables are read afresh at every look-up: nothing is kept between calls,
// so an edited table is seen at once and no state outlives the call.
String copyLocalizedString(BundleRef bundle, const String& key, const String& value,
                           const String& table) {
    const String notFound = value.isNull() ? key : value;
    if (!isUsable(bundle) || key.isNull()) return notFound;
    const std::string tableName = isGiven(table) ? table.utf8() : "Localizable";
    if (!isPlainTableName(tableName)) return notFound;

    for (const std::string& language : preferredLanguages()) {
        const std::string path = std::string(bundle->folderPath) + "/Resources/" + language +
                                 ".lproj/" + tableName + ".strings";
        const std::optional<std::string> contents = readSmallFile(path);
        if (!contents) continue;
        const std::optional<StringTable> entries = parseStringsFile(*contents);
        if (!entries) continue;  // a malformed table counts as missing
        const auto found = entries->find(key.utf8());
        if (found != entries->end()) return String::fromUtf8(found->second);
    }
    return notFound;
}

}  // namespace skrw::platform
