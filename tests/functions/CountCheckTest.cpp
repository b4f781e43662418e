// The argument-count check of every registered function, read from the function table: refused
// counts answer "!!ERROR!!" with the result's own locale and leave the storage object untouched
// (SKRW_CreateBucket with a bucket and a region among them); counts within the bounds reach the
// storage operation.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ScriptCall.h"
#include "StorageFixture.h"
#include "functions/FunctionTable.h"

namespace {

using skrw::test::call;
using skrw::test::kOwnLocaleType;

hostsim::Arguments argumentsOfCount(std::uint32_t count) {
    hostsim::Arguments args;
    for (std::uint32_t i = 0; i < count; ++i) args.textUtf8("x");
    return args;
}

// Version and Debug check nothing.
bool checksItsCount(const ScriptFunctionEntry& entry) {
    return entry.id != kSKRW_VersionId && entry.id != kSKRW_DebugId;
}

std::vector<std::uint32_t> refusedCounts(const ScriptFunctionEntry& entry) {
    std::vector<std::uint32_t> counts;
    if (entry.least > 0) counts.push_back(0);
    if (entry.least > 1) counts.push_back(static_cast<std::uint32_t>(entry.least - 1));
    counts.push_back(static_cast<std::uint32_t>(entry.most + 1));
    counts.push_back(static_cast<std::uint32_t>(entry.most + 3));
    return counts;
}

class CountCheck : public skrw::test::WithStorage {};

TEST_F(CountCheck, RefusedCountsAnswerErrorWithTheResultsOwnLocaleAndKeepTheLastError) {
    for (const ScriptFunctionEntry& entry : ScriptFunctionTable()) {
        if (!checksItsCount(entry)) continue;
        for (std::uint32_t count : refusedCounts(entry)) {
            SCOPED_TRACE(std::string(entry.name) + " with " + std::to_string(count));
            recordMarkerError();
            const auto answer = call(entry.callback, entry.id, argumentsOfCount(count));
            EXPECT_EQ(answer.hostError, 0);
            EXPECT_EQ(answer.text, "!!ERROR!!");
            EXPECT_TRUE(answer.isEightBit());
            EXPECT_EQ(answer.localeType, kOwnLocaleType);
            EXPECT_EQ(answer.dataType, 1);
            EXPECT_EQ(lastError(), kMarkerError);
        }
    }
}

TEST_F(CountCheck, CountsAtTheBoundsReachTheStorageOperation) {
    for (const ScriptFunctionEntry& entry : ScriptFunctionTable()) {
        // GetLastError reads the record without clearing it; Version and Debug call nothing.
        if (!checksItsCount(entry) || entry.id == kSKRW_GetLastErrorId) continue;
        for (short count : {entry.least, entry.most}) {
            SCOPED_TRACE(std::string(entry.name) + " with " + std::to_string(count));
            recordMarkerError();
            const auto answer =
                call(entry.callback, entry.id, argumentsOfCount(static_cast<std::uint32_t>(count)));
            EXPECT_EQ(answer.hostError, 0);
            EXPECT_TRUE(answer.set);
            // No credentials were given, so every operation fails, but it first clears the
            // record and then records its own reason.
            EXPECT_NE(lastError(), kMarkerError);
        }
    }
}

TEST(WithoutStorage, StorageFunctionsAnswerErrorInsteadOfCrashing) {
    ASSERT_EQ(m_objFuncs, nullptr);
    EXPECT_EQ(call(SKRW_ListAllBuckets, kSKRW_ListAllBucketsId, {}).text, "!!ERROR!!");
    EXPECT_EQ(call(SKRW_GetBucket, kSKRW_GetBucketId, {"b"}).text, "!!ERROR!!");
    EXPECT_EQ(call(SKRW_GetLastError, kSKRW_GetLastErrorId, {}).text, "!!ERROR!!");
    EXPECT_EQ(call(SKRW_Version, kSKRW_VersionId, {"x"}).text, "!!ERROR!!");
    EXPECT_EQ(call(SKRW_Version, kSKRW_VersionId, {"s"}).text, "1.0.0.0");
}

}  // namespace
