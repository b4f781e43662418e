#include "UriEncoding.h"

#include <algorithm>

namespace skrw::aws {
namespace {

bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

void appendEncoded(std::string& out, std::string_view text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (unsigned char c : text) {
        if (isUnreserved(c)) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(kDigits[c >> 4]);
            out.push_back(kDigits[c & 0x0F]);
        }
    }
}

}  // namespace

std::string uriEncode(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    appendEncoded(out, text);
    return out;
}

std::string encodePathSegments(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = text.find('/', start);
        appendEncoded(out, text.substr(start, slash - start));
        if (slash == std::string_view::npos) break;
        out.push_back('/');
        start = slash + 1;
    }
    return out;
}

std::string canonicalQuery(std::vector<QueryParameter> parameters) {
    for (auto& [name, value] : parameters) {
        name = uriEncode(name);
        value = uriEncode(value);
    }
    std::sort(parameters.begin(), parameters.end());
    std::string out;
    for (const auto& [name, value] : parameters) {
        if (!out.empty()) out.push_back('&');
        out += name;
        out.push_back('=');
        out += value;
    }
    return out;
}

}  // namespace skrw::aws
