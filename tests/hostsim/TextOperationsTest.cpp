// FMWrapper's text operations, driven through the plug-in's own wrappers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fmx/fmx.h"
#include "hostsim/HostValues.h"

namespace {

using hostsim::TextOrigin;

fmx::TextUniquePtr utf8Text(const char* bytes) {
    fmx::TextUniquePtr text;
    text->Assign(bytes, fmx::Text::kEncodingNative);
    return text;
}

fmx::TextUniquePtr utf16Text(const char16_t* units) {
    fmx::TextUniquePtr text;
    text->AssignUnicode(units);
    return text;
}

std::u16string unicodeOf(const fmx::Text& text, std::uint32_t position, std::uint32_t count) {
    std::u16string out(count, u'#');
    text.GetUnicode(out.data(), position, count);
    return out;
}

TEST(HostTextSize, CountsUtf16UnitsSoNonBmpCharactersCountTwice) {
    // "a", U+1F600 (two units), "¶", "b"
    const auto text = utf8Text(
        "a\xF0\x9F\x98\x80\xC2\xB6"
        "b");
    EXPECT_EQ(text->GetSize(), 5u);
    EXPECT_EQ(unicodeOf(*text, 0, 5), u"a\U0001F600\u00B6b");
    EXPECT_EQ(unicodeOf(*text, 1, 2), u"\U0001F600");
}

TEST(HostTextAssign, EncodingsDecodeTheirOwnBytes) {
    const auto native = utf8Text("\xC2\xB6");
    EXPECT_EQ(hostsim::unitsOf(*native), u"\u00B6");
    fmx::TextUniquePtr latin1;
    latin1->Assign("\xB6x", fmx::Text::kEncodingLatin1);
    EXPECT_EQ(hostsim::unitsOf(*latin1), u"\u00B6x");
    fmx::TextUniquePtr utf8;
    utf8->Assign("<pluginstep/>", fmx::Text::kEncodingUtf8);
    EXPECT_EQ(hostsim::unitsOf(*utf8), u"<pluginstep/>");
}

TEST(HostTextAssign, InvalidUtf8BecomesReplacementCharacters) {
    const auto text = utf8Text(
        "a\xFF"
        "b\xE2\x82");
    EXPECT_EQ(hostsim::unitsOf(*text), u"a\uFFFDb\uFFFD\uFFFD");
}

TEST(HostTextAssign, UnknownEncodingFailsAndKeepsTheText) {
    const auto text = utf8Text("kept");
    EXPECT_THROW(text->Assign("new", 2), fmx::GeneralFailure);
    EXPECT_EQ(hostsim::unitsOf(*text), u"kept");
    EXPECT_EQ(hostsim::originOf(*text), TextOrigin::EightBit);
}

TEST(HostTextAssign, RemembersWhetherTheTextCameAsBytesOrUtf16) {
    fmx::TextUniquePtr text;
    EXPECT_EQ(hostsim::originOf(*text), TextOrigin::EightBit);
    text->AssignUnicode(u"x");
    EXPECT_EQ(hostsim::originOf(*text), TextOrigin::Utf16);
    text->Assign("y");
    EXPECT_EQ(hostsim::originOf(*text), TextOrigin::EightBit);
}

TEST(HostTextGetUnicode, StretchPastTheEndFailsAndWritesNothing) {
    const auto text = utf16Text(u"abc");
    char16_t buffer[4] = {u'#', u'#', u'#', u'#'};
    EXPECT_THROW(text->GetUnicode(buffer, 2, 2), fmx::GeneralFailure);
    EXPECT_THROW(text->GetUnicode(buffer, 4, 0), fmx::GeneralFailure);
    EXPECT_EQ(buffer[0], u'#');
    text->GetUnicode(buffer, 3, 0);  // the empty stretch at the end is fine
    text->GetUnicode(buffer, 1, 2);
    EXPECT_EQ(std::u16string(buffer, 3), u"bc#");
}

TEST(HostTextGetBytes, StopsAtTheBufferSizeWithoutSplittingACharacter) {
    const auto text = utf8Text(
        "ab\xC2\xB6"
        "c");  // a b ¶ c: 5 UTF-8 bytes
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    // Room for 3 bytes and the zero: "¶" (2 bytes) would not fit whole.
    EXPECT_EQ(text->GetBytes(buffer, 4, 0, 4), 2u);
    EXPECT_STREQ(buffer, "ab");
    EXPECT_EQ(buffer[3], '#');
    EXPECT_EQ(text->GetBytes(buffer, 5, 0, 4), 4u);
    EXPECT_STREQ(buffer, "ab\xC2\xB6");
    EXPECT_EQ(text->GetBytes(buffer, 8, 0, 4), 5u);
    EXPECT_STREQ(buffer,
                 "ab\xC2\xB6"
                 "c");
}

TEST(HostTextGetBytes, NeverSplitsASurrogatePair) {
    const auto text = utf16Text(u"a\U0001F600");
    char buffer[5];
    EXPECT_EQ(text->GetBytes(buffer, 5, 0, 3), 1u);  // 4 bytes of U+1F600 do not fit in 4 - 1
    EXPECT_STREQ(buffer, "a");
}

TEST(HostTextGetBytes, Latin1GivesOneBytePerCharacterAndQuestionMarksOtherwise) {
    const auto text = utf16Text(u"L\u00B6\u20AC");
    char buffer[5];
    EXPECT_EQ(text->GetBytes(buffer, 5, 0, 3, fmx::Text::kEncodingLatin1), 3u);
    EXPECT_STREQ(buffer, "L\xB6?");
}

TEST(HostTextGetBytes, BufferSizeOneWritesOnlyTheZeroAndZeroWritesNothing) {
    const auto text = utf8Text("abc");
    char buffer[2] = {'#', '#'};
    EXPECT_EQ(text->GetBytes(buffer, 0, 0, 3), 0u);
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(text->GetBytes(buffer, 1, 0, 3), 0u);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], '#');
}

TEST(HostTextGetBytes, CountIsCutAtTheEndButAPositionPastItFails) {
    const auto text = utf8Text("abc");
    char buffer[16];
    EXPECT_EQ(text->GetBytes(buffer, 16, 1, 100), 2u);
    EXPECT_STREQ(buffer, "bc");
    EXPECT_EQ(text->GetBytes(buffer, 16, 3, 1), 0u);
    EXPECT_THROW(text->GetBytes(buffer, 16, 4, 1), fmx::GeneralFailure);
    EXPECT_THROW(text->GetBytes(buffer, 16, 0, 3, 7), fmx::GeneralFailure);
}

TEST(HostTextGetBytes, UnpairedSurrogateBecomesReplacementCharacterInUtf8) {
    const char16_t units[] = {u'a', 0xD800, u'b', 0};
    const auto text = utf16Text(units);
    char buffer[16];
    EXPECT_EQ(text->GetBytes(buffer, 16, 0, 3), 5u);
    EXPECT_STREQ(buffer,
                 "a\xEF\xBF\xBD"
                 "b");
}

TEST(HostTextFind, FindsAtBothEndsAndAnswersMinusOneOnAMiss) {
    const auto text = utf8Text("(ab(c");
    const auto open = utf8Text("(");
    const auto c = utf8Text("c");
    const auto absent = utf8Text("x");
    EXPECT_EQ(text->Find(*open, 0), 0);
    EXPECT_EQ(text->Find(*open, 1), 3);
    EXPECT_EQ(text->Find(*c, 0), 4);
    EXPECT_EQ(text->Find(*absent, 0), fmx::Text::kNotFound);
    EXPECT_EQ(text->Find(*open, 4), -1);
    EXPECT_EQ(text->Find(*open, 99), -1);
    const auto empty = utf8Text("");
    EXPECT_EQ(text->Find(*empty, 5), 5);
}

TEST(HostTextDeleteText, DeletesAtBothEndsAndCutsTheCount) {
    const auto text = utf8Text("abcdef");
    text->DeleteText(0, 1);
    EXPECT_EQ(hostsim::unitsOf(*text), u"bcdef");
    text->DeleteText(3, 100);
    EXPECT_EQ(hostsim::unitsOf(*text), u"bcd");
    text->DeleteText(3, 1);  // at the end: nothing to delete
    EXPECT_EQ(hostsim::unitsOf(*text), u"bcd");
    EXPECT_THROW(text->DeleteText(4, 1), fmx::GeneralFailure);
    EXPECT_EQ(hostsim::unitsOf(*text), u"bcd");
}

TEST(HostTextDeleteText, CutBeforeTheFirstParenthesisAsTheStringTableDoes) {
    const auto text = utf8Text("SKRW_Version(type) (x)");
    const auto open = utf8Text("(");
    const std::int32_t at = text->Find(*open, 0);
    text->DeleteText(static_cast<std::uint32_t>(at),
                     text->GetSize() - static_cast<std::uint32_t>(at));
    EXPECT_EQ(hostsim::unitsOf(*text), u"SKRW_Version");
}

TEST(HostTextSetText, TakesAStretchOfTheSourceAndItsOrigin) {
    const auto source = utf16Text(u"hello world");
    const auto target = utf8Text("old");
    target->SetText(*source, 6, 5);
    EXPECT_EQ(hostsim::unitsOf(*target), u"world");
    EXPECT_EQ(hostsim::originOf(*target), TextOrigin::Utf16);
    target->SetText(*source, 6, 100);
    EXPECT_EQ(hostsim::unitsOf(*target), u"world");
    target->SetText(*source, 11, 3);
    EXPECT_EQ(hostsim::unitsOf(*target), u"");
    target->SetText(*source, 0, 5);
    EXPECT_THROW(target->SetText(*source, 12, 1), fmx::GeneralFailure);
    EXPECT_EQ(hostsim::unitsOf(*target), u"hello");
}

TEST(HostTextSetText, SourceMayBeTheTargetItself) {
    const auto text = utf8Text("abcdef");
    text->SetText(*text, 2, 2);
    EXPECT_EQ(hostsim::unitsOf(*text), u"cd");
}

TEST(HostTextErrorSlot, HostWritesCodeTwoForBadArgumentsAndZeroOtherwise) {
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

TEST(HostHolders, MovedHolderOwnsNothingAndTheNewOneKeepsTheText) {
    fmx::TextUniquePtr first;
    first->Assign("moved");
    fmx::TextUniquePtr second = std::move(first);
    EXPECT_EQ(first.get(), nullptr);
    EXPECT_EQ(hostsim::unitsOf(*second), u"moved");
    fmx::LocaleUniquePtr locale(3);
    EXPECT_EQ(hostsim::localeTypeOf(*locale), 3);
}

}  // namespace
