#include "platform/PreferredLanguages.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace platform {
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

}  // namespace platform
