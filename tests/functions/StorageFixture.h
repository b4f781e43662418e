#pragma once
// A fixture that gives the script functions a fresh storage object in m_objFuncs, as the host's
// start-up does, and removes it afterwards.
#include <gtest/gtest.h>

#include <string>

#include "functions/PluginFunctions.h"
#include "platform/String.h"
#include "storage/SKFuncs.h"

namespace skrw::test {

class WithStorage : public ::testing::Test {
  protected:
    void SetUp() override { m_objFuncs = new SKFuncs(); }
    void TearDown() override {
        delete m_objFuncs;
        m_objFuncs = nullptr;
    }

    SKFuncs& storage() { return *m_objFuncs; }
    std::string lastError() { return storage().getLastError().utf8(); }
    std::string lastErrorCode() { return storage().getLastErrorCode().utf8(); }
    void recordMarkerError() {
        storage().SetError(platform::String::fromUtf8("marker message"),
                           platform::String::fromUtf8("-77"),
                           platform::String::fromUtf8("marker source"));
    }
    static constexpr const char* kMarkerError =
        "MESSAGE: marker message\nCODE: -77\nSOURCE: marker source";
};

}  // namespace skrw::test
