// The host interface's text helpers called directly, where the host's
// messages cannot reach: ids no step or string has, and lookups made while no
// call record is current.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "HostTestSupport.h"
#include "fmx/fmx.h"
#include "host/CallRecordAccess.h"
#include "host/StepDefinitions.h"
#include "host/StringTable.h"
#include "hostsim/HostValues.h"

namespace skrw::hosttest {
namespace {

class HostTextsTest : public testing::Test {
  protected:
    HostTextsTest() {
        std::memset(&record_, 0, sizeof record_);
        bundle_.folderPath = bundlePath_.c_str();
        record_.bundle = &bundle_;
        record_.interfaceVersion = 57;
        gFMX_ExternCallPtr = &record_;
    }
    ~HostTextsTest() override { gFMX_ExternCallPtr = nullptr; }

    std::string bundlePath_ = pluginBundle();
    platform::BundleRecord bundle_;
    fmx::CallRecord record_;
};

TEST_F(HostTextsTest, ADefinitionReplacesWhatTheTextHeldAndOtherIdsLeaveItEmpty) {
    for (std::int16_t id : {205, 0, 149, 151, 152, 199, 210, 211, -1}) {
        fmx::TextUniquePtr text;
        text->Assign("left over");
        GetXMLDefinition(id, text);
        EXPECT_EQ(hostsim::unitsOf(*text),
                  id != 205 ? u""
                            : u"<pluginstep><parameter type=\"target\" label=\"Results\" "
                              u"showinline=\"true\"/><parameter type=\"calc\" showinline=\"true\" "
                              u"label=\"Folder ID\" datatype=\"Text\" ID=\"0\"/></pluginstep>")
            << "id " << id;
    }
}

TEST_F(HostTextsTest, TheTextVariantFillsAndCutsAHostText) {
    fmx::TextUniquePtr name;
    Do_GetString(209, name, true);
    EXPECT_EQ(hostsim::unitsOf(*name), u"SKRW_DeleteObject");
    fmx::TextUniquePtr missing;
    missing->Assign("left over");
    Do_GetString(5, missing, false);
    EXPECT_TRUE(hostsim::unitsOf(*missing).empty());
}

TEST_F(HostTextsTest, NothingIsWrittenWithoutACallRecordABufferOrAPositiveCapacity) {
    std::vector<char16_t> buffer(16, u'#');
    EXPECT_EQ(Sub_OSXLoadString(150, nullptr, 1024), 0u);
    EXPECT_EQ(Do_GetString(150, 0, 1024, nullptr), 0u);
    EXPECT_EQ(Do_GetString(128, 0, -5, buffer.data()), 0u);
    EXPECT_EQ(buffer, std::vector<char16_t>(16, u'#'));
    std::vector<char16_t> large(4096, u'#');
    EXPECT_EQ(Sub_OSXLoadString(128, large.data(), 4096), 7u);
    EXPECT_EQ(std::u16string(large.data()), u"Skerrow");

    gFMX_ExternCallPtr = nullptr;
    EXPECT_EQ(Sub_OSXLoadString(150, buffer.data(), 16), 0u);
    EXPECT_EQ(buffer, std::vector<char16_t>(16, u'#'));
    fmx::TextUniquePtr name;
    Do_GetString(150, name, true);
    EXPECT_TRUE(hostsim::unitsOf(*name).empty());
}

}  // namespace
}  // namespace skrw::hosttest
