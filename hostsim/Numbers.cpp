#include "hostsim/Numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

namespace hostsim {
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
    if (std::isnan(value)) return u"0";
    if (value == 0) return u"0";  // also for -0
    // The longest fixed form of a finite long double has fewer than 5000
    // digits before the point and a few dozen after it.
    std::vector<char> buffer(6000);
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed);
    if (result.ec != std::errc()) return u"0";
    return std::u16string(buffer.data(), result.ptr);
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
        literal.insert(literal.front() == '-' ? 1 : 0, "0");
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

}  // namespace hostsim
