// Construction, conversion, comparison and the text operations of String.
// Case mapping, number reading and the path operations live in their own
// files.
#include "platform/String.h"

#include "platform/CaseMapping.h"
#include "platform/Utf.h"

namespace platform {

String String::fromUtf8(std::string_view utf8) {
    return String(utf::sanitizeUtf8(utf8));
}

String String::fromUtf16(const char16_t* units, std::size_t count) {
    if (units == nullptr || count == 0) return String(std::string());
    return String(utf::utf16ToUtf8(units, count));
}

String String::fromInteger(long long value) {
    return String(std::to_string(value));
}

const std::string& String::utf8() const {
    static const std::string kEmpty;
    return text_ ? *text_ : kEmpty;
}

std::u16string String::utf16() const {
    return text_ ? utf::utf8ToUtf16(*text_) : u"";
}

std::size_t String::length() const {
    return text_ ? utf::utf16Length(*text_) : 0;
}

char16_t String::characterAtIndex(std::size_t index) const {
    if (!text_) return 0;
    const std::u16string units = utf16();
    return index < units.size() ? units[index] : 0;
}

bool String::isEqualToString(const String& other) const {
    if (isNull() || other.isNull()) return isNull() && other.isNull();
    // Both are valid UTF-8, so equal bytes and equal UTF-16 units coincide.
    return *text_ == *other.text_;
}

String String::lowercaseString() const {
    return text_ ? String(lowercaseUtf8(*text_)) : String();
}

String String::uppercaseString() const {
    return text_ ? String(uppercaseUtf8(*text_)) : String();
}

std::vector<String> String::componentsSeparatedByString(const String& separator) const {
    std::vector<String> pieces;
    if (!text_) return pieces;
    if (separator.isNull() || separator.isEmpty()) {
        pieces.push_back(*this);
        return pieces;
    }
    // Matching whole UTF-8 sequences of valid text never splits a character.
    const std::string& text = *text_;
    const std::string& sep = *separator.text_;
    std::size_t start = 0;
    for (std::size_t found = text.find(sep); found != std::string::npos;
         found = text.find(sep, start)) {
        pieces.push_back(String(text.substr(start, found - start)));
        start = found + sep.size();
    }
    pieces.push_back(String(text.substr(start)));
    return pieces;
}

bool String::containsString(const String& needle) const {
    // As on the platform, the empty text is contained in nothing.
    if (!text_ || needle.isNull() || needle.isEmpty()) return false;
    return text_->find(*needle.text_) != std::string::npos;
}

String String::stringByAppendingString(const String& tail) const {
    if (!text_) return String();
    return String(*text_ + tail.utf8());
}

String String::stringByReplacingOccurrencesOfString(const String& target,
                                                    const String& replacement) const {
    if (!text_) return String();
    if (target.isNull() || target.isEmpty()) return *this;
    const std::string& text = *text_;
    const std::string& from = *target.text_;
    const std::string& to = replacement.utf8();
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t found = text.find(from); found != std::string::npos;
         found = text.find(from, start)) {
        out.append(text, start, found - start);
        out.append(to);
        start = found + from.size();
    }
    out.append(text, start, std::string::npos);
    return String(std::move(out));
}

}  // namespace platform
