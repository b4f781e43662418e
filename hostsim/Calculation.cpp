#include "hostsim/Calculation.h"

#include <cstddef>

#include "hostsim/Encoding.h"
#include "hostsim/Numbers.h"

namespace hostsim {
namespace {

struct SyntaxError {
    std::size_t offset;  // byte offset in the calculation
    std::string what;
};

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool endsName(char c) {
    return isBlank(c) || c == '(' || c == ')' || c == ';' || c == '"';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads one calculation; positions are byte offsets until reported.
class Parser {
  public:
    explicit Parser(std::string_view text) : s_(text) {}

    Calculation parse(std::string& nameSeen) {
        Calculation calc;
        skipBlanks();
        const std::size_t start = i_;
        while (i_ < s_.size() && !endsName(s_[i_])) ++i_;
        calc.name.assign(s_.substr(start, i_ - start));
        nameSeen = calc.name;
        if (calc.name.empty()) fail("expected a function name");
        skipBlanks();
        if (i_ < s_.size() && s_[i_] == '(') {
            ++i_;
            parseArguments(calc.arguments);
        }
        skipBlanks();
        if (i_ < s_.size()) fail("unexpected character after the calculation");
        return calc;
    }

  private:
    [[noreturn]] void fail(std::string what) const { throw SyntaxError{i_, std::move(what)}; }

    void skipBlanks() {
        while (i_ < s_.size() && isBlank(s_[i_])) ++i_;
    }

    void parseArguments(std::vector<CalculationArgument>& out) {
        skipBlanks();
        if (i_ < s_.size() && s_[i_] == ')') {
            ++i_;
            return;
        }
        for (;;) {
            skipBlanks();
            out.push_back(parseArgument());
            skipBlanks();
            if (i_ >= s_.size()) fail("expected \";\" or \")\" before the end");
            if (s_[i_] == ')') {
                ++i_;
                return;
            }
            if (s_[i_] != ';') fail("expected \";\" or \")\"");
            ++i_;
        }
    }

    CalculationArgument parseArgument() {
        if (i_ >= s_.size()) fail("expected an argument before the end");
        if (s_[i_] == '"') return {parseText()};
        if (s_[i_] == '-' || isDigit(s_[i_])) return {parseNumber()};
        fail("expected a text in double quotes or a number");
    }

    std::u16string parseText() {
        const std::size_t open = i_++;
        std::u16string out;
        std::size_t run = i_;  // start of the current run of plain bytes
        for (;;) {
            if (i_ >= s_.size()) {
                i_ = open;
                fail("unterminated text (no closing double quote)");
            }
            const char c = s_[i_];
            if (c == '"' || c == '\\') {
                out += utf16FromUtf8(s_.substr(run, i_ - run));
                if (c == '"') {
                    ++i_;
                    return out;
                }
                out.push_back(parseEscape());
                run = i_;
            } else {
                ++i_;
            }
        }
    }

    char16_t parseEscape() {
        const std::size_t backslash = i_++;
        if (i_ >= s_.size()) {
            i_ = backslash;
            fail("unterminated text (no closing double quote)");
        }
        const char c = s_[i_++];
        switch (c) {
            case '"':
                return u'"';
            case '\\':
                return u'\\';
            case '/':
                return u'/';
            case 'b':
                return u'\b';
            case 'f':
                return u'\f';
            case 'n':
                return u'\n';
            case 'r':
                return u'\r';
            case 't':
                return u'\t';
            case 'u':
                return parseUnicodeEscape(backslash);
            default:
                i_ = backslash;
                fail("unknown escape in a text");
        }
    }

    char16_t parseUnicodeEscape(std::size_t backslash) {
        unsigned value = 0;
        for (int k = 0; k < 4; ++k) {
            const int digit = i_ < s_.size() ? hexValue(s_[i_]) : -1;
            if (digit < 0) {
                i_ = backslash;
                fail("\\u must be followed by four hexadecimal digits");
            }
            value = value * 16 + static_cast<unsigned>(digit);
            ++i_;
        }
        return static_cast<char16_t>(value);
    }

    long double parseNumber() {
        const std::size_t start = i_;
        if (s_[i_] == '-') ++i_;
        if (!digits()) fail("expected digits in a number");
        if (i_ < s_.size() && s_[i_] == '.') {
            ++i_;
            if (!digits()) fail("expected digits after the decimal point");
        }
        if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
            ++i_;
            if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-')) ++i_;
            if (!digits()) fail("expected digits in the exponent");
        }
        const auto value = parseNumberLiteral(s_.substr(start, i_ - start));
        if (!value) {
            i_ = start;
            fail("number out of range");
        }
        return *value;
    }

    bool digits() {
        const std::size_t start = i_;
        while (i_ < s_.size() && isDigit(s_[i_])) ++i_;
        return i_ > start;
    }

    std::string_view s_;
    std::size_t i_ = 0;
};

// The 1-based character position of a byte offset (UTF-8 continuation bytes
// do not count).
std::size_t characterPosition(std::string_view text, std::size_t offset) {
    std::size_t position = 1;
    for (std::size_t k = 0; k < offset && k < text.size(); ++k) {
        if ((static_cast<unsigned char>(text[k]) & 0xC0) != 0x80) ++position;
    }
    return position;
}

}  // namespace

ParsedCalculation parseCalculation(std::string_view text) {
    ParsedCalculation parsed;
    try {
        parsed.calculation = Parser(text).parse(parsed.name);
    } catch (const SyntaxError& e) {
        parsed.error = "syntax error at position " +
                       std::to_string(characterPosition(text, e.offset)) + ": " + e.what;
        if (parsed.name.empty()) parsed.name = std::string(text);
    }
    return parsed;
}

}  // namespace hostsim
