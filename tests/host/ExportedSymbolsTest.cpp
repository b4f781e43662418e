// The plug-in library's dynamic interface: the host finds exactly the entry
// point and the call-record pointer, and nothing of the code inside (template
// instances, static libraries' symbols) leaks into the process.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "HostTestSupport.h"

namespace skrw::hosttest {
namespace {

std::set<std::string> definedDynamicSymbols(const std::string& library) {
    const ProcessResult nm = runProcess("/usr/bin/nm", {"-D", "--defined-only", library});
    EXPECT_EQ(nm.exitStatus, 0) << nm.err;
    std::set<std::string> names;
    std::istringstream lines(nm.out);
    std::string address, type, name;
    while (lines >> address >> type >> name) names.insert(name);
    return names;
}

TEST(ExportedSymbols, OnlyTheEntryPointAndTheCallRecordPointerWhileTheHostFrameworkIsLeftOpen) {
    EXPECT_EQ(definedDynamicSymbols(pluginLibrary()),
              (std::set<std::string>{"FMExternCallProc", "gFMX_ExternCallPtr"}));
    const ProcessResult nm = runProcess("/usr/bin/nm", {"-D", "--undefined-only", pluginLibrary()});
    EXPECT_NE(nm.out.find("FM_ExprEnv_RegisterExternalFunctionEx"), std::string::npos);
    EXPECT_NE(nm.out.find("FM_Text_AssignUnicode"), std::string::npos);
}

}  // namespace
}  // namespace skrw::hosttest
