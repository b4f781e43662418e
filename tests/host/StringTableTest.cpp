// The string table as the host reaches it: get-string messages and the names,
// prototypes and descriptions of registrations, read from a bundle whose
// strings table the test writes itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HostTestSupport.h"
#include "hostsim/PluginLoader.h"
#include "hostsim/Registry.h"

namespace skrw::hosttest {
namespace {

using hostsim::PluginLoader;
using hostsim::Registry;
using Kind = hostsim::RegistryEntry::Kind;

// 1020 ASCII units and one character outside the BMP (two units): 1022 units
// in 1025 bytes of UTF-8, so unit counting is what decides.
const std::string k1022Units = std::string(1020, 'a') + "\xF0\x9F\x98\x80";
const std::string k1023Units = std::string(1021, 'b') + "\xF0\x9F\x98\x80";

std::string stringsTable() {
    return "\"SKRW 1\" = \"" + k1022Units + "\";\n" + "\"SKRW 2\" = \"" + k1023Units + "\";\n" +
           "\"SKRW 3\" = \"\";\n"
           "\"SKRW 4\" = \"x\";\n"
           "\"SKRW 7\" = \"seven\";\n"
           "\"SKRW 150\" = \"A(b(c)\";\n"
           "\"SKRW 153\" = \"(starts with a parenthesis\";\n"
           "\"SKRW 200\" = \"NoParenthesis\";\n"
           "\"SKRW 201\" = \"Spaced (x)\";\n"
           "\"SKRW 350\" = \"description of 150\";\n"
           "\"SKRW 401\" = \"description of 201\";\n";
}

class StringTableTest : public testing::Test {
  protected:
    TestBundle bundle_{stringsTable()};
    PluginLoader loader_{bundle_.path()};
};

constexpr char16_t kFill = u'#';

TEST_F(StringTableTest, ATextIsCopiedWithItsZeroOnlyWhenBothFitAndMissingKeysWriteNothing) {
    const struct {
        std::uint8_t id;
        std::int32_t capacity;
        std::vector<char16_t> buffer;
    } rows[] = {
        {3, 0, {}},  // no buffer at all
        {3, 1, {kFill}},
        {3, 2, {0, kFill}},
        {4, 2, {kFill, kFill}},
        {4, 3, {u'x', 0, kFill}},
        {5, 4, std::vector<char16_t>(4, kFill)},
        {0, 4, std::vector<char16_t>(4, kFill)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.id) + " in " + std::to_string(row.capacity));
        EXPECT_EQ(loader_.getString(row.id, row.capacity, kFill).buffer, row.buffer);
    }
}

TEST_F(StringTableTest, Capacity1024CopiesTextsOfUpTo1022Units) {
    const auto fits = loader_.getString(1, 1024, kFill);
    ASSERT_EQ(fits.text.size(), 1022u);
    EXPECT_EQ(fits.text.substr(0, 1020), std::u16string(1020, u'a'));
    EXPECT_EQ(fits.text.substr(1020), u"\U0001F600");
    EXPECT_EQ(fits.buffer[1022], 0);
    EXPECT_EQ(fits.buffer[1023], kFill);

    EXPECT_EQ(loader_.getString(2, 1024, kFill).buffer, std::vector<char16_t>(1024, kFill));
    EXPECT_EQ(loader_.getString(2, 1025, kFill).text.size(), 1023u);
}

TEST_F(StringTableTest, KeysAreTheDecimalIdWithoutPaddingWhateverTheSecondParameter) {
    EXPECT_EQ(loader_.getString(7, 16).text, u"seven");
    EXPECT_EQ(loader_.getString(150, 16).text, u"A(b(c)");
    EXPECT_EQ(loader_.getString(7, 16, 0, 0xFFFFFFFFFFFFFFFFull).text, u"seven");
}

TEST_F(StringTableTest, NamesAreCutBeforeTheFirstParenthesisAndMissingTextsRegisterEmpty) {
    ASSERT_EQ(loader_.startup(57), 57);
    EXPECT_EQ(Registry::instance().log().size(), 26u);
    const struct {
        std::int16_t id;
        std::u16string name, prototype, description;
    } rows[] = {
        {150, u"A", u"A(b(c)", u"description of 150"},
        {153, u"", u"(starts with a parenthesis", u""},
        {200, u"NoParenthesis", u"NoParenthesis", u""},
        {201, u"Spaced ", u"Spaced (x)", u"description of 201"},
        {202, u"", u"", u""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.id);
        const hostsim::RegistryEntry* entry = nullptr;
        for (const auto& logged : Registry::instance().log()) {
            if (logged.kind == Kind::Function && logged.id == row.id) entry = &logged;
        }
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->name, row.name);
        EXPECT_EQ(entry->prototype, row.prototype);
        EXPECT_EQ(entry->description, row.description);
    }
    loader_.shutdown();
}

}  // namespace
}  // namespace skrw::hosttest
