#pragma once
// The platform string: the text type every layer above the host boundary uses.
//
// Contract:
// - A String is either null or a (possibly empty) sequence of Unicode scalar
//   values. Null and empty are different values everywhere: isNull() is true
//   only for null, isEmpty() only for a non-null string of length 0, and a
//   null string never compares equal to an empty one.
// - Text is held as valid UTF-8. Building from UTF-16 replaces every unpaired
//   surrogate by U+FFFD; building from UTF-8 replaces every invalid sequence
//   by U+FFFD. NUL characters are ordinary characters and are kept.
// - Lengths and indexes count UTF-16 units, as the host does.
// - Operations on a null string answer as the platform does for a missing
//   object: null for string results, 0 / false / empty for the others.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skrw::platform {

class String {
  public:
    String() = default;  // the null string

    static String null() { return String(); }
    static String fromUtf8(std::string_view utf8);
    static String fromUtf16(const char16_t* units, std::size_t count);
    static String fromUtf16(std::u16string_view units) {
        return fromUtf16(units.data(), units.size());
    }
    // Decimal text of a signed number ("%ld" / "%lld").
    static String fromInteger(long long value);

    bool isNull() const { return !m_text.has_value(); }
    bool isEmpty() const { return m_text.has_value() && m_text->empty(); }

    // UTF-8 bytes; the empty std::string for a null string.
    const std::string& utf8() const;
    std::u16string utf16() const;
    // Length in UTF-16 units (0 for null).
    std::size_t length() const;
    // The UTF-16 unit at `index`; 0 when out of range or null.
    char16_t characterAtIndex(std::size_t index) const;

    // Exact comparison of the character content; null equals only null.
    bool isEqualToString(const String& other) const;
    bool operator==(const String& other) const { return isEqualToString(other); }

    // Unicode (not ASCII-only) case mapping; nothing is trimmed.
    String lowercaseString() const;
    String uppercaseString() const;

    // Leading white space skipped, an optional sign, then the decimal digits
    // up to the first other character; 0 when the text does not start with a
    // number. Values beyond the range of a signed 64-bit integer saturate.
    long long integerValue() const;
    // True when, after leading white space and an optional sign followed by
    // any number of zeros, the next character is Y, y, T, t or a digit 1-9.
    bool boolValue() const;

    // Pieces between every occurrence of `separator`, empty pieces kept;
    // the empty string gives one empty piece; a null string gives none.
    std::vector<String> componentsSeparatedByString(const String& separator) const;
    // Literal, case-sensitive substring test (false when either is null).
    bool containsString(const String& needle) const;
    String stringByAppendingString(const String& tail) const;
    String stringByReplacingOccurrencesOfString(const String& target,
                                                const String& replacement) const;

    // Path operations.
    // A leading "~" component becomes the current user's home folder ($HOME,
    // else the password database), "~name" that user's home folder; every
    // other path comes back unchanged.
    String stringByExpandingTildeInPath() const;
    // Tilde expansion, then "." components and repeated / trailing "/"
    // removed ("/" alone stays "/").
    String stringByStandardizingPath() const;
    // The path without its last component and the "/" before it; a trailing
    // "/" is ignored; a component right below the root gives "/"; a single
    // relative component gives the empty string.
    String stringByDeletingLastPathComponent() const;

  private:
    explicit String(std::string utf8) : m_text(std::move(utf8)) {}
    std::optional<std::string> m_text;
};

// The text was given and holds something: neither null nor empty.
[[nodiscard]] inline bool isGiven(const String& text) {
    return !text.isNull() && !text.isEmpty();
}

}  // namespace skrw::platform
