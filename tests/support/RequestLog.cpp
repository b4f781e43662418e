#include "RequestLog.h"

#include <cstdint>
#include <stdexcept>

namespace skrw::test {
namespace {

// A reader for the subset of JSON the log needs: objects, strings, and any other value skipped
// without being interpreted. Nesting is bounded so that hostile input cannot exhaust the stack.
class JsonReader {
  public:
    explicit JsonReader(std::string_view text) : text_(text) {}

    RecordedRequest readRecord() {
        RecordedRequest record;
        readObject([&](const std::string& name) {
            if (name == "method") {
                record.method = readString();
            } else if (name == "target") {
                record.target = readString();
            } else if (name == "headers") {
                readObject(
                    [&](const std::string& header) { record.headers[header] = readString(); });
            } else {
                skipValue(0);
            }
        });
        skipSpace();
        if (pos_ != text_.size()) fail("unexpected text after the object");
        return record;
    }

  private:
    static constexpr int kMaxDepth = 64;

    template <typename OnMember>
    void readObject(OnMember&& onMember) {
        expect('{');
        skipSpace();
        if (peek() == '}') {
            ++pos_;
            return;
        }
        for (;;) {
            skipSpace();
            std::string name = readString();
            skipSpace();
            expect(':');
            skipSpace();
            onMember(name);
            skipSpace();
            if (peek() == ',') {
                ++pos_;
                continue;
            }
            expect('}');
            return;
        }
    }

    std::string readString() {
        expect('"');
        std::string out;
        for (;;) {
            if (pos_ >= text_.size()) fail("unterminated string");
            char c = text_[pos_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) fail("control character in string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size()) fail("unterminated escape");
            char e = text_[pos_++];
            switch (e) {
                case '"':
                    out += '"';
                    break;
                case '\\':
                    out += '\\';
                    break;
                case '/':
                    out += '/';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u':
                    appendUtf8(out, readEscapedCodePoint());
                    break;
                default:
                    fail("unknown escape");
            }
        }
    }

    // Reads the four hex digits after "\u" (and a following low surrogate escape when the first
    // is a high surrogate) and gives the code point; unpaired surrogates give U+FFFD.
    char32_t readEscapedCodePoint() {
        char32_t unit = readHex4();
        if (unit >= 0xDC00 && unit <= 0xDFFF) return 0xFFFD;
        if (unit < 0xD800 || unit > 0xDBFF) return unit;
        if (text_.substr(pos_, 2) != "\\u") return 0xFFFD;
        size_t save = pos_;
        pos_ += 2;
        char32_t low = readHex4();
        if (low < 0xDC00 || low > 0xDFFF) {
            pos_ = save;  // not a pair: the next escape is read on its own
            return 0xFFFD;
        }
        return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }

    char32_t readHex4() {
        if (pos_ + 4 > text_.size()) fail("short \\u escape");
        char32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            char c = text_[pos_++];
            value <<= 4;
            if (c >= '0' && c <= '9') {
                value |= static_cast<char32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                value |= static_cast<char32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                value |= static_cast<char32_t>(c - 'A' + 10);
            } else {
                fail("bad hex digit in \\u escape");
            }
        }
        return value;
    }

    static void appendUtf8(std::string& out, char32_t cp) {
        auto put = [&](uint32_t byte) { out += static_cast<char>(byte); };
        if (cp < 0x80) {
            put(cp);
        } else if (cp < 0x800) {
            put(0xC0 | (cp >> 6));
            put(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            put(0xE0 | (cp >> 12));
            put(0x80 | ((cp >> 6) & 0x3F));
            put(0x80 | (cp & 0x3F));
        } else {
            put(0xF0 | (cp >> 18));
            put(0x80 | ((cp >> 12) & 0x3F));
            put(0x80 | ((cp >> 6) & 0x3F));
            put(0x80 | (cp & 0x3F));
        }
    }

    void skipValue(int depth) {
        if (depth > kMaxDepth) fail("nesting too deep");
        char c = peek();
        if (c == '"') {
            readString();
        } else if (c == '{') {
            readObject([&](const std::string&) { skipValue(depth + 1); });
        } else if (c == '[') {
            skipArray(depth);
        } else {
            skipScalar();
        }
    }

    void skipArray(int depth) {
        expect('[');
        skipSpace();
        if (peek() == ']') {
            ++pos_;
            return;
        }
        for (;;) {
            skipSpace();
            skipValue(depth + 1);
            skipSpace();
            if (peek() == ',') {
                ++pos_;
                continue;
            }
            expect(']');
            return;
        }
    }

    // Numbers, true, false and null: the run of characters that can make them up.
    void skipScalar() {
        size_t start = pos_;
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            bool part = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || c == '-' || c == '+' ||
                        c == '.' || c == 'E';
            if (!part) break;
            ++pos_;
        }
        if (pos_ == start) fail("expected a value");
    }

    void skipSpace() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                       text_[pos_] == '\n' || text_[pos_] == '\r')) {
            ++pos_;
        }
    }

    char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }

    void expect(char c) {
        if (peek() != c) fail(std::string("expected '") + c + "'");
        ++pos_;
    }

    [[noreturn]] void fail(const std::string& why) const {
        throw std::runtime_error("malformed request log line at offset " + std::to_string(pos_) +
                                 ": " + why);
    }

    std::string_view text_;
    size_t pos_ = 0;
};

}  // namespace

RecordedRequest parseRequestRecord(std::string_view line) {
    return JsonReader(line).readRecord();
}

std::vector<RecordedRequest> parseRequestLog(std::string_view contents) {
    std::vector<RecordedRequest> records;
    size_t start = 0;
    for (;;) {
        size_t end = contents.find('\n', start);
        if (end == std::string_view::npos) break;
        std::string_view line = contents.substr(start, end - start);
        if (!line.empty()) records.push_back(parseRequestRecord(line));
        start = end + 1;
    }
    return records;
}

}  // namespace skrw::test
