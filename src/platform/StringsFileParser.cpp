#include "platform/StringsFileParser.h"

#include "platform/Utf.h"

namespace skrw::platform {
namespace {

class Parser {
  public:
    explicit Parser(std::string_view text) : m_text(text) {}

    std::optional<StringTable> parse() {
        if (m_text.substr(0, 3) == "\xEF\xBB\xBF") m_pos = 3;
        StringTable table;
        while (skipSpaceAndComments() && !atEnd()) {
            std::optional<std::string> key = quoted();
            if (!key || !skipSpaceAndComments()) return std::nullopt;
            if (peek() == ';') {
                ++m_pos;
                std::string value = *key;
                table.insert_or_assign(std::move(*key), std::move(value));
                continue;
            }
            if (!expect('=') || !skipSpaceAndComments()) return std::nullopt;
            std::optional<std::string> value = quoted();
            if (!value || !skipSpaceAndComments() || !expect(';')) return std::nullopt;
            table.insert_or_assign(std::move(*key), std::move(*value));
        }
        if (!atEnd()) return std::nullopt;
        return table;
    }

  private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }

    bool expect(char c) {
        if (atEnd() || m_text[m_pos] != c) return false;
        ++m_pos;
        return true;
    }

    // False only for an unterminated block comment.
    bool skipSpaceAndComments() {
        while (!atEnd()) {
            const char c = m_text[m_pos];
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
                ++m_pos;
            } else if (m_text.substr(m_pos, 2) == "//") {
                const std::size_t end = m_text.find('\n', m_pos);
                m_pos = end == std::string_view::npos ? m_text.size() : end + 1;
            } else if (m_text.substr(m_pos, 2) == "/*") {
                const std::size_t end = m_text.find("*/", m_pos + 2);
                if (end == std::string_view::npos) return false;
                m_pos = end + 2;
            } else {
                break;
            }
        }
        return true;
    }

    std::optional<char32_t> hexUnit() {
        if (m_text.size() - m_pos < 4) return std::nullopt;
        char32_t unit = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_pos++];
            unit <<= 4;
            if (c >= '0' && c <= '9') {
                unit |= static_cast<char32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                unit |= static_cast<char32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                unit |= static_cast<char32_t>(c - 'A' + 10);
            } else {
                return std::nullopt;
            }
        }
        return unit;
    }

    bool atUnicodeEscape() const {
        return m_text.size() - m_pos >= 2 && m_text[m_pos] == '\\' &&
               (m_text[m_pos + 1] == 'u' || m_text[m_pos + 1] == 'U');
    }

    // After "\u": one UTF-16 unit, joined with a following "\u" low
    // surrogate when it is a high one.
    bool unicodeEscape(std::string& out) {
        const std::optional<char32_t> unit = hexUnit();
        if (!unit) return false;
        if (utf::isHighSurrogate(*unit) && atUnicodeEscape()) {
            const std::size_t before = m_pos;
            m_pos += 2;
            const std::optional<char32_t> low = hexUnit();
            if (!low) return false;
            if (utf::isLowSurrogate(*low)) {
                utf::appendUtf8(out, utf::combineSurrogates(*unit, *low));
                return true;
            }
            m_pos = before;  // the second escape stands on its own
        }
        utf::appendUtf8(out, *unit);  // an unpaired surrogate becomes U+FFFD
        return true;
    }

    bool escape(std::string& out) {
        if (atEnd()) return false;
        const char c = m_text[m_pos++];
        switch (c) {
            case '"':
            case '\\':
            case '\'':
            case '/':
                out.push_back(c);
                return true;
            case 'n':
                out.push_back('\n');
                return true;
            case 't':
                out.push_back('\t');
                return true;
            case 'r':
                out.push_back('\r');
                return true;
            case 'u':
            case 'U':
                return unicodeEscape(out);
            default:
                return false;
        }
    }

    std::optional<std::string> quoted() {
        if (!expect('"')) return std::nullopt;
        std::string out;
        while (!atEnd()) {
            const char c = m_text[m_pos++];
            if (c == '"') return out;
            if (c == '\\') {
                if (!escape(out)) return std::nullopt;
            } else {
                out.push_back(c);
            }
        }
        return std::nullopt;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

}  // namespace

std::optional<StringTable> parseStringsFile(std::string_view text) {
    if (!utf::isValidUtf8(text)) return std::nullopt;
    return Parser(text).parse();
}

}  // namespace skrw::platform
