#include "hostsim/Numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

namespace skrw::hostsim {
namespace {

bool isSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v' ||
           c == 0x00A0;
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

std::u16string numberAsText(long double value) {
    if (std::isnan(value) || value == 0) return u"0";  // also for -0
    // The shortest digits that read back as the value come from the
    // scientific form ("d.ddde+XX"); they are then written out in plain
    // decimal, so large integers get zeros rather than binary noise.
    char buffer[128];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    if (result.ec != std::errc()) return u"0";
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = text.find('e');
    const bool negative = text.front() == '-';
    std::string digits;
    for (const char c : text.substr(negative ? 1 : 0, e - (negative ? 1 : 0))) {
        if (c != '.') digits.push_back(c);
    }
    int exponent = 0;
    std::string_view expText = text.substr(e + 1);
    if (expText.front() == '+') expText.remove_prefix(1);
    std::from_chars(expText.data(), expText.data() + expText.size(), exponent);
    const long point = 1L + exponent;  // digits before the decimal point
    std::string out = negative ? "-" : "";
    if (point <= 0) {
        out += "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
    } else if (static_cast<std::size_t>(point) >= digits.size()) {
        out += digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0');
    } else {
        out += digits.substr(0, static_cast<std::size_t>(point)) + "." +
               digits.substr(static_cast<std::size_t>(point));
    }
    return std::u16string(out.begin(), out.end());
}

long double textAsNumber(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i])) ++i;
    std::string literal;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        if (text[i] == u'-') literal.push_back('-');
        ++i;
    }
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (isDigit(text[i])) {
            digits = true;
            literal.push_back(static_cast<char>(text[i]));
        } else if (text[i] == u'.' && !point) {
            point = true;
            literal.push_back('.');
        } else {
            break;
        }
    }
    if (!digits) return 0;
    if (literal.back() == '.') literal.pop_back();
    if (literal.front() == '.' || literal.starts_with("-.")) {
        literal.insert(literal.front() == '-' ? 1 : 0, 1, '0');
    }
    long double value = 0;
    const auto result = std::from_chars(literal.data(), literal.data() + literal.size(), value,
                                        std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large saturates; too small to represent is zero.
        const bool large = literal.find_first_of("123456789") < literal.find('.');
        const long double magnitude = large ? std::numeric_limits<long double>::max() : 0.0L;
        return literal.front() == '-' ? -magnitude : magnitude;
    }
    return value;
}

std::int64_t numberAsLong(long double value) {
    if (std::isnan(value)) return 0;
    constexpr long double kTop = 9223372036854775808.0L;  // 2^63
    if (value >= kTop) return std::numeric_limits<std::int64_t>::max();
    if (value <= -kTop) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(std::trunc(value));
}

std::optional<long double> parseNumberLiteral(std::string_view literal) {
    if (literal.empty() || literal.front() == '+') return std::nullopt;
    long double value = 0;
    const auto end = literal.data() + literal.size();
    const auto result = std::from_chars(literal.data(), end, value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != end) return std::nullopt;
    return value;
}

}  // namespace skrw::hostsim
