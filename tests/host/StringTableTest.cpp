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

TEST_F(StringTableTest, CapacityOneOrNoBufferWritesNothing) {
    const auto reply = loader_.getString(3, 1, kFill);
    EXPECT_EQ(reply.buffer, std::vector<char16_t>(1, kFill));
    // Capacity 0 hands over no buffer at all; the plug-in must not touch it.
    EXPECT_TRUE(loader_.getString(3, 0, kFill).buffer.empty());
}

TEST_F(StringTableTest, CapacityTwoTakesOnlyTheEmptyText) {
    const auto empty = loader_.getString(3, 2, kFill);
    EXPECT_EQ(empty.buffer, (std::vector<char16_t>{0, kFill}));
    const auto oneUnit = loader_.getString(4, 2, kFill);
    EXPECT_EQ(oneUnit.buffer, std::vector<char16_t>(2, kFill));
}

TEST_F(StringTableTest, CapacityThreeTakesOneUnit) {
    const auto reply = loader_.getString(4, 3, kFill);
    EXPECT_EQ(reply.buffer, (std::vector<char16_t>{u'x', 0, kFill}));
}

TEST_F(StringTableTest, Capacity1024CopiesTextsOfUpTo1022Units) {
    const auto fits = loader_.getString(1, 1024, kFill);
    ASSERT_EQ(fits.text.size(), 1022u);
    EXPECT_EQ(fits.text.substr(0, 1020), std::u16string(1020, u'a'));
    EXPECT_EQ(fits.text.substr(1020), u"\U0001F600");
    EXPECT_EQ(fits.buffer[1022], 0);
    EXPECT_EQ(fits.buffer[1023], kFill);

    const auto tooLong = loader_.getString(2, 1024, kFill);
    EXPECT_EQ(tooLong.buffer, std::vector<char16_t>(1024, kFill));
    // One unit more of room and it fits.
    EXPECT_EQ(loader_.getString(2, 1025, kFill).text.size(), 1023u);
}

TEST_F(StringTableTest, MissingKeyLeavesTheBufferAsItWas) {
    EXPECT_EQ(loader_.getString(5, 8, kFill).buffer, std::vector<char16_t>(8, kFill));
    EXPECT_EQ(loader_.getString(0, 8, kFill).buffer, std::vector<char16_t>(8, kFill));
}

TEST_F(StringTableTest, KeysAreTheDecimalIdWithoutPadding) {
    EXPECT_EQ(loader_.getString(7, 16).text, u"seven");
    EXPECT_EQ(loader_.getString(150, 16).text, u"A(b(c)");
}

TEST_F(StringTableTest, TheSecondParameterDoesNotMatter) {
    EXPECT_EQ(loader_.getString(7, 16, 0, 0xFFFFFFFFFFFFFFFFull).text, u"seven");
}

const hostsim::RegistryEntry* registered(std::int16_t id) {
    for (const auto& entry : Registry::instance().log()) {
        if (entry.kind == Kind::Function && entry.id == id) return &entry;
    }
    return nullptr;
}

TEST_F(StringTableTest, NamesAreCutBeforeTheFirstParenthesis) {
    ASSERT_EQ(loader_.startup(57), 57);
    const auto* several = registered(150);
    ASSERT_NE(several, nullptr);
    EXPECT_EQ(several->name, u"A");
    EXPECT_EQ(several->prototype, u"A(b(c)");
    EXPECT_EQ(several->description, u"description of 150");

    const auto* leading = registered(153);
    ASSERT_NE(leading, nullptr);
    EXPECT_EQ(leading->name, u"");
    EXPECT_EQ(leading->prototype, u"(starts with a parenthesis");

    const auto* spaced = registered(201);
    ASSERT_NE(spaced, nullptr);
    EXPECT_EQ(spaced->name, u"Spaced ");
    EXPECT_EQ(spaced->prototype, u"Spaced (x)");
    loader_.shutdown();
}

TEST_F(StringTableTest, ANameWithoutParenthesisStaysWhole) {
    ASSERT_EQ(loader_.startup(57), 57);
    const auto* entry = registered(200);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->name, u"NoParenthesis");
    EXPECT_EQ(entry->prototype, u"NoParenthesis");
    loader_.shutdown();
}

TEST_F(StringTableTest, MissingTextsRegisterEmptyAndTheSequenceGoesOn) {
    ASSERT_EQ(loader_.startup(57), 57);
    EXPECT_EQ(Registry::instance().log().size(), 26u);
    const auto* missing = registered(202);
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->name, u"");
    EXPECT_EQ(missing->prototype, u"");
    EXPECT_EQ(missing->description, u"");
    loader_.shutdown();
}

}  // namespace
}  // namespace skrw::hosttest
