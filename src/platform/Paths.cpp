#include "platform/Paths.h"

#include <optional>
#include <vector>

#include "platform/HomeFolder.h"
#include "platform/String.h"

namespace platform::paths {
namespace {

std::string_view withoutTrailingSlashes(std::string_view path) {
    while (!path.empty() && path.back() == '/') path.remove_suffix(1);
    return path;
}

std::vector<std::string_view> meaningfulComponents(std::string_view path) {
    std::vector<std::string_view> components;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view piece = path.substr(start, end - start);
        if (!piece.empty() && piece != ".") components.push_back(piece);
        start = end + 1;
    }
    return components;
}

}  // namespace

std::string expandTilde(std::string_view path) {
    if (path.empty() || path.front() != '~') return std::string(path);
    const std::size_t slash = path.find('/');
    const std::string_view userPart =
        path.substr(1, slash == std::string_view::npos ? slash : slash - 1);
    const std::string_view rest =
        slash == std::string_view::npos ? std::string_view() : path.substr(slash);

    const std::optional<std::string> home =
        userPart.empty() ? homeFolderOfCurrentUser() : homeFolderOfUser(std::string(userPart));
    if (!home) return std::string(path);

    const std::string_view base = withoutTrailingSlashes(*home);
    if (base.empty()) {  // the home folder is the root itself
        return rest.empty() ? std::string("/") : std::string(rest);
    }
    std::string expanded(base);
    expanded.append(rest);
    return expanded;
}

std::string standardize(std::string_view path) {
    const std::string expanded = expandTilde(path);
    if (expanded.empty()) return expanded;
    const bool absolute = expanded.front() == '/';
    std::string result = absolute ? "/" : "";
    bool first = true;
    for (std::string_view component : meaningfulComponents(expanded)) {
        if (!first) result.push_back('/');
        result.append(component);
        first = false;
    }
    return result.empty() ? std::string(1, '.') : result;
}

std::string deleteLastComponent(std::string_view path) {
    if (path.empty()) return std::string();
    const bool absolute = path.front() == '/';
    const std::string_view trimmed = withoutTrailingSlashes(path);
    const std::size_t slash = trimmed.rfind('/');
    if (slash == std::string_view::npos) return absolute ? "/" : "";
    const std::string_view parent = withoutTrailingSlashes(trimmed.substr(0, slash));
    if (parent.empty()) return absolute ? "/" : "";
    return std::string(parent);
}

}  // namespace platform::paths

namespace platform {

// Expansion brings in a home folder from outside, so its result is checked
// as UTF-8 again; removing a component only cuts valid text at a "/", which
// keeps it valid.
String String::stringByExpandingTildeInPath() const {
    return text_ ? String::fromUtf8(paths::expandTilde(*text_)) : String();
}

String String::stringByStandardizingPath() const {
    return text_ ? String::fromUtf8(paths::standardize(*text_)) : String();
}

String String::stringByDeletingLastPathComponent() const {
    return text_ ? String(paths::deleteLastComponent(*text_)) : String();
}

}  // namespace platform
