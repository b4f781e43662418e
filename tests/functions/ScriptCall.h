#pragma once
// Script functions called the way the host calls them, through the real FMWrapper objects, with
// a fresh storage object in m_objFuncs as the host's start-up makes it.
#include <gtest/gtest.h>

#include "HostFailures.h"
#include "TestServer.h"
#include "functions/FunctionTable.h"
#include "functions/PluginFunctions.h"
#include "hostsim/HostValues.h"
#include "storage/SKFuncs.h"

namespace skrw::test {

using Args = skrw::hostsim::Arguments;
// The locale type of a result before the call: the count failure and the UTF-16 path keep it,
// the 8-bit path sets a new locale of type 1.
inline constexpr std::int32_t kOwnLocaleType = 7;

struct Answer {
    short hostError;
    bool set;
    std::string text;
    bool utf16;
    std::int32_t localeType;
};

inline Args texts(std::initializer_list<std::string_view> values) {
    Args args;
    for (std::string_view value : values) args.textUtf8(value);
    return args;
}

inline Answer call(ExtPluginType callback, const Args& args) {
    skrw::hostsim::Result result;
    skrw::hostsim::host(&result.data())->locale.type = kOwnLocaleType;
    const short hostError = skrw::hostsim::invoke(callback, 0, args, result);
    return {hostError, result.isSet(), result.textUtf8(),
            result.origin() == skrw::hostsim::TextOrigin::Utf16, result.localeType()};
}

class WithStorage : public ::testing::Test {
  protected:
    void SetUp() override { m_objFuncs = new SKFuncs(); }
    void TearDown() override {
        stopHostFailures();
        delete std::exchange(m_objFuncs, nullptr);
    }
    // A record no function makes, its message outside ASCII.
    static void markError() {
        using S = platform::String;
        m_objFuncs->SetError(S::fromUtf8("caf\xC3\xA9 \xF0\x9F\x98\x80"), S::fromUtf8("-77"),
                             S::fromUtf8("m"));
    }
    static std::string lastError() { return m_objFuncs->getLastError().utf8(); }
    static bool marked() { return m_objFuncs->getLastErrorCode().utf8() == "-77"; }
};

}  // namespace skrw::test
