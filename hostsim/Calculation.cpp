#include "hostsim/Calculation.h"

#include <cstddef>

#include "hostsim/Encoding.h"
#include "hostsim/Numbers.h"

namespace skrw::hostsim {
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
    explicit Parser(std::string_view text) : m_text(text) {}

    Calculation parse(std::string& nameSeen) {
        Calculation calc;
        skipBlanks();
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && !endsName(m_text[m_pos])) ++m_pos;
        calc.name.assign(m_text.substr(start, m_pos - start));
        nameSeen = calc.name;
        if (calc.name.empty()) fail("expected a function name");
        skipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == '(') {
            ++m_pos;
            parseArguments(calc.arguments);
        }
        skipBlanks();
        if (m_pos < m_text.size()) fail("unexpected character after the calculation");
        return calc;
    }

  private:
    [[noreturn]] void fail(std::string what) const { throw SyntaxError{m_pos, std::move(what)}; }

    void skipBlanks() {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos])) ++m_pos;
    }

    void parseArguments(std::vector<CalculationArgument>& out) {
        skipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == ')') {
            ++m_pos;
            return;
        }
        for (;;) {
            skipBlanks();
            out.push_back(parseArgument());
            skipBlanks();
            if (m_pos >= m_text.size()) fail("expected \";\" or \")\" before the end");
            if (m_text[m_pos] == ')') {
                ++m_pos;
                return;
            }
            if (m_text[m_pos] != ';') fail("expected \";\" or \")\"");
            ++m_pos;
        }
    }

    CalculationArgument parseArgument() {
        if (m_pos >= m_text.size()) fail("expected an argument before the end");
        if (m_text[m_pos] == '"') return {parseText()};
        if (m_text[m_pos] == '-' || isDigit(m_text[m_pos])) return {parseNumber()};
        fail("expected a text in double quotes or a number");
    }

    std::u16string parseText() {
        const std::size_t open = m_pos++;
        std::u16string out;
        std::size_t run = m_pos;  // start of the current run of plain bytes
        for (;;) {
            if (m_pos >= m_text.size()) {
                m_pos = open;
                fail("unterminated text (no closing double quote)");
            }
            const char c = m_text[m_pos];
            if (c == '"' || c == '\\') {
                out += utf16FromUtf8(m_text.substr(run, m_pos - run));
                if (c == '"') {
                    ++m_pos;
                    return out;
                }
                out.push_back(parseEscape());
                run = m_pos;
            } else {
                ++m_pos;
            }
        }
    }

    char16_t parseEscape() {
        const std::size_t backslash = m_pos++;
        if (m_pos >= m_text.size()) {
            m_pos = backslash;
            fail("unterminated text (no closing double quote)");
        }
        const char c = m_text[m_pos++];
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
                m_pos = backslash;
                fail("unknown escape in a text");
        }
    }

    char16_t parseUnicodeEscape(std::size_t backslash) {
        unsigned value = 0;
        for (int k = 0; k < 4; ++k) {
            const int digit = m_pos < m_text.size() ? hexValue(m_text[m_pos]) : -1;
            if (digit < 0) {
                m_pos = backslash;
                fail("\\u must be followed by four hexadecimal digits");
            }
            value = value * 16 + static_cast<unsigned>(digit);
            ++m_pos;
        }
        return static_cast<char16_t>(value);
    }

    long double parseNumber() {
        const std::size_t start = m_pos;
        if (m_text[m_pos] == '-') ++m_pos;
        if (!digits()) fail("expected digits in a number");
        if (m_pos < m_text.size() && m_text[m_pos] == '.') {
            ++m_pos;
            if (!digits()) fail("expected digits after the decimal point");
        }
        if (m_pos < m_text.size() && (m_text[m_pos] == 'e' || m_text[m_pos] == 'E')) {
            ++m_pos;
            if (m_pos < m_text.size() && (m_text[m_pos] == '+' || m_text[m_pos] == '-')) ++m_pos;
            if (!digits()) fail("expected digits in the exponent");
        }
        const auto value = parseNumberLiteral(m_text.substr(start, m_pos - start));
        if (!value) {
            m_pos = start;
            fail("number out of range");
        }
        return *value;
    }

    bool digits() {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && isDigit(m_text[m_pos])) ++m_pos;
        return m_pos > start;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
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

}  // namespace skrw::hostsim
