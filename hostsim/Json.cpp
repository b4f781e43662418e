#include "hostsim/Json.h"

#include <cstdio>

#include "hostsim/Encoding.h"

namespace skrw::hostsim {
namespace {

bool isHigh(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool isLow(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

void appendEscape(std::string& out, char16_t u) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(u));
    out += buffer;
}

}  // namespace

std::string jsonString(std::u16string_view units) {
    std::string out = "\"";
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        switch (u) {
            case u'"':
                out += "\\\"";
                continue;
            case u'\\':
                out += "\\\\";
                continue;
            case u'\n':
                out += "\\n";
                continue;
            case u'\r':
                out += "\\r";
                continue;
            case u'\t':
                out += "\\t";
                continue;
            default:
                break;
        }
        if (u < 0x20 || u == 0x7F) {
            appendEscape(out, u);
        } else if (isHigh(u) && i + 1 < units.size() && isLow(units[i + 1])) {
            out += utf8FromUtf16(units.substr(i, 2));
            ++i;
        } else if (isHigh(u) || isLow(u)) {
            appendEscape(out, u);
        } else {
            out += utf8FromUtf16(units.substr(i, 1));
        }
    }
    out += '"';
    return out;
}

std::string jsonString(std::string_view utf8) {
    return jsonString(utf16FromUtf8(utf8));
}

}  // namespace skrw::hostsim
