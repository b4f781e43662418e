// The function table is what the host registers and what every function checks its count
// against; these tests pin its order, ids, names and bounds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "functions/FunctionTable.h"
#include "functions/PluginFunctions.h"

namespace {

struct Expected {
    short id;
    std::string name;
    short least;
    short most;
    ExtPluginType callback;
};

TEST(FunctionTable, ListsTheThirteenFunctionsInRegistrationOrderWithTheirBounds) {
    const std::vector<Expected> expected = {
        {150, "SKRW_Version", 0, 1, &SKRW_Version},
        {153, "SKRW_GetLastError", 0, 1, &SKRW_GetLastError},
        {200, "SKRW_UseCredentials", 3, 4, &SKRW_UseCredentials},
        {201, "SKRW_ListAllBuckets", 0, 0, &SKRW_ListAllBuckets},
        {202, "SKRW_GetBucket", 1, 5, &SKRW_GetBucket},
        {203, "SKRW_GetBucketProperty", 2, 2, &SKRW_GetBucketProperty},
        {204, "SKRW_CreateBucket", 1, 1, &SKRW_CreateBucket},
        {205, "SKRW_DeleteBucket", 1, 1, &SKRW_DeleteBucket},
        {206, "SKRW_GetObject", 3, 3, &SKRW_GetObject},
        {207, "SKRW_PostObject", 3, 4, &SKRW_PostObject},
        {208, "SKRW_CopyObject", 4, 4, &SKRW_CopyObject},
        {209, "SKRW_DeleteObject", 2, 2, &SKRW_DeleteObject},
        {210, "SKRW_Debug", 0, 0, &SKRW_Debug},
    };
    const auto table = ScriptFunctionTable();
    ASSERT_EQ(table.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(table[i].id, expected[i].id);
        EXPECT_EQ(std::string(table[i].name), expected[i].name);
        EXPECT_EQ(table[i].least, expected[i].least);
        EXPECT_EQ(table[i].most, expected[i].most);
        EXPECT_EQ(table[i].callback, expected[i].callback);
    }
}

TEST(FunctionTable, FindsAnEntryByIdAndNothingForAnUnregisteredId) {
    const ScriptFunctionEntry* entry = FindScriptFunction(204);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(std::string(entry->name), "SKRW_CreateBucket");
    EXPECT_EQ(FindScriptFunction(151), nullptr);
    EXPECT_EQ(FindScriptFunction(0), nullptr);
}

TEST(FunctionTable, LeavesTheLogSwitchFunctionsOut) {
    for (const ScriptFunctionEntry& entry : ScriptFunctionTable()) {
        EXPECT_NE(entry.callback, &SKRW_LogSet);
        EXPECT_NE(entry.callback, &SKRW_LogClear);
    }
}

}  // namespace
