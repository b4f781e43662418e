// FMWrapper's text operations, driven through the plug-in's own wrappers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fmx/fmx.h"
#include "hostsim/HostValues.h"

namespace {

using hostsim::TextOrigin;
using hostsim::unitsOf;

fmx::TextUniquePtr utf8Text(const char* bytes) {
    fmx::TextUniquePtr text;
    text->Assign(bytes, fmx::Text::kEncodingNative);
    return text;
}

fmx::TextUniquePtr utf16Text(const std::u16string& units) {
    fmx::TextUniquePtr text;
    text->AssignUnicode(units.c_str());
    return text;
}

TEST(HostText, SizesCountUtf16UnitsSoNonBmpCharactersCountTwice) {
    const auto text = utf8Text(
        "a\xF0\x9F\x98\x80\xC2\xB6"
        "b");  // a, U+1F600, ¶, b
    EXPECT_EQ(text->GetSize(), 5u);
    std::u16string out(5, u'#');
    text->GetUnicode(out.data(), 0, 5);
    EXPECT_EQ(out, u"a\U0001F600\u00B6b");
    text->GetUnicode(out.data(), 1, 2);
    EXPECT_EQ(out.substr(0, 2), u"\U0001F600");
}

TEST(HostText, AssignDecodesEachEncodingAndRemembersTheOrigin) {
    fmx::TextUniquePtr text;
    EXPECT_EQ(hostsim::originOf(*text), TextOrigin::EightBit);
    text->Assign("\xB6x", fmx::Text::kEncodingLatin1);
    EXPECT_EQ(unitsOf(*text), u"\u00B6x");
    text->AssignUnicode(u"x");
    EXPECT_EQ(hostsim::originOf(*text), TextOrigin::Utf16);
    text->Assign("<pluginstep/>", fmx::Text::kEncodingUtf8);
    EXPECT_EQ(unitsOf(*text), u"<pluginstep/>");
    EXPECT_EQ(hostsim::originOf(*text), TextOrigin::EightBit);
    text->Assign(
        "a\xFF"
        "b\xE2\x82",
        fmx::Text::kEncodingNative);  // invalid UTF-8
    EXPECT_EQ(unitsOf(*text), u"a\uFFFDb\uFFFD\uFFFD");
    // An unknown encoding fails and keeps the text.
    text->AssignUnicode(u"kept");
    EXPECT_THROW(text->Assign("new", 2), fmx::GeneralFailure);
    EXPECT_EQ(unitsOf(*text), u"kept");
}

TEST(HostText, GetUnicodeStretchPastTheEndFailsAndWritesNothing) {
    const auto text = utf16Text(u"abc");
    char16_t buffer[4] = {u'#', u'#', u'#', u'#'};
    EXPECT_THROW(text->GetUnicode(buffer, 2, 2), fmx::GeneralFailure);
    EXPECT_THROW(text->GetUnicode(buffer, 4, 0), fmx::GeneralFailure);
    EXPECT_EQ(buffer[0], u'#');
    text->GetUnicode(buffer, 3, 0);  // the empty stretch at the end is fine
    text->GetUnicode(buffer, 1, 2);
    EXPECT_EQ(std::u16string(buffer, 3), u"bc#");
}

TEST(HostText, GetBytesStopsAtTheBufferWithoutSplittingACharacter) {
    struct Row {
        std::u16string text;
        std::uint32_t size, position, count;
        int encoding;
        std::uint32_t written;
        std::string bytes;  // what precedes the zero
    };
    const int utf8 = fmx::Text::kEncodingNative;
    const Row rows[] = {
        // a b ¶ c; room for 3 bytes and the zero: "¶" (2 bytes) would not fit whole.
        {u"ab\u00B6c", 4, 0, 4, utf8, 2, "ab"},
        {u"ab\u00B6c", 5, 0, 4, utf8, 4, "ab\xC2\xB6"},
        {u"ab\u00B6c", 8, 0, 4, utf8, 5,
         "ab\xC2\xB6"
         "c"},
        {u"a\U0001F600", 5, 0, 3, utf8, 1, "a"},  // a surrogate pair is never split
        {u"L\u00B6\u20AC", 5, 0, 3, fmx::Text::kEncodingLatin1, 3, "L\xB6?"},
        {u"abc", 1, 0, 3, utf8, 0, ""},       // only the zero
        {u"abc", 16, 1, 100, utf8, 2, "bc"},  // the count is cut at the end
        {u"abc", 16, 3, 1, utf8, 0, ""},
        {std::u16string{u'a', 0xD800, u'b'}, 16, 0, 3, utf8, 5,
         "a\xEF\xBF\xBD"
         "b"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.bytes);
        const auto text = utf16Text(row.text);
        std::string buffer(row.size + 1, '#');
        EXPECT_EQ(text->GetBytes(buffer.data(), row.size, row.position, row.count, row.encoding),
                  row.written);
        EXPECT_EQ(buffer.substr(0, row.bytes.size() + 2), row.bytes + '\0' + '#');
    }
    const auto text = utf8Text("abc");
    char buffer[16] = {'#'};
    EXPECT_EQ(text->GetBytes(buffer, 0, 0, 3), 0u);  // size zero writes nothing
    EXPECT_EQ(buffer[0], '#');
    EXPECT_THROW(text->GetBytes(buffer, 16, 4, 1), fmx::GeneralFailure);
    EXPECT_THROW(text->GetBytes(buffer, 16, 0, 3, 7), fmx::GeneralFailure);
}

TEST(HostText, FindAtBothEndsAnswersMinusOneOnAMiss) {
    const auto text = utf8Text("(ab(c");
    const auto open = utf8Text("(");
    EXPECT_EQ(text->Find(*open, 0), 0);
    EXPECT_EQ(text->Find(*open, 1), 3);
    EXPECT_EQ(text->Find(*utf8Text("c"), 0), 4);
    EXPECT_EQ(text->Find(*utf8Text("x"), 0), fmx::Text::kNotFound);
    EXPECT_EQ(text->Find(*open, 4), -1);
    EXPECT_EQ(text->Find(*open, 99), -1);
    EXPECT_EQ(text->Find(*utf8Text(""), 5), 5);
}

TEST(HostText, DeleteTextAtBothEndsCutsTheCount) {
    const auto text = utf8Text("abcdef");
    text->DeleteText(0, 1);
    EXPECT_EQ(unitsOf(*text), u"bcdef");
    text->DeleteText(3, 100);
    EXPECT_EQ(unitsOf(*text), u"bcd");
    text->DeleteText(3, 1);  // at the end: nothing to delete
    EXPECT_EQ(unitsOf(*text), u"bcd");
    EXPECT_THROW(text->DeleteText(4, 1), fmx::GeneralFailure);
    EXPECT_EQ(unitsOf(*text), u"bcd");
}

TEST(HostText, SetTextTakesAStretchOfTheSourceAndItsOrigin) {
    const auto source = utf16Text(u"hello world");
    const auto target = utf8Text("old");
    target->SetText(*source, 6, 5);
    EXPECT_EQ(unitsOf(*target), u"world");
    EXPECT_EQ(hostsim::originOf(*target), TextOrigin::Utf16);
    target->SetText(*source, 6, 100);
    EXPECT_EQ(unitsOf(*target), u"world");
    target->SetText(*source, 11, 3);
    EXPECT_EQ(unitsOf(*target), u"");
    target->SetText(*source, 0, 5);
    EXPECT_THROW(target->SetText(*source, 12, 1), fmx::GeneralFailure);
    EXPECT_EQ(unitsOf(*target), u"hello");
    target->SetText(*target, 1, 2);  // the source may be the target itself
    EXPECT_EQ(unitsOf(*target), u"el");
}

TEST(HostText, ErrorSlotGetsCodeTwoForBadArgumentsAndZeroOtherwise) {
    FM_ErrorSlot slot{1, 0};
    fmx::Text* text = FM_Text_Constructor1(&slot);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(slot.code, 0);
    slot = {1, 0};
    FM_Text_Assign(text, nullptr, 0, &slot);
    EXPECT_EQ(slot.code, 2);
    slot = {1, 0};
    EXPECT_EQ(FM_Text_GetSize(nullptr, &slot), 0u);
    EXPECT_EQ(slot.code, 2);
    slot = {1, 0};
    EXPECT_EQ(FM_Text_Find(text, nullptr, 0, &slot), -1);
    EXPECT_EQ(slot.code, 2);
    slot = {1, 0};
    FM_Text_Delete(text, &slot);
    EXPECT_EQ(slot.code, 0);
}

}  // namespace
