// A failure that the host framework reports never leaves a script function as an exception:
// the function answers the failure's host error code and sets no result.
#include <gtest/gtest.h>

#include "HostFailureInjection.h"
#include "ScriptCall.h"
#include "StorageFixture.h"
#include "functions/FunctionTable.h"

namespace {

using skrw::test::Answer;
using skrw::test::call;
using skrw::test::failHostOperation;
using skrw::test::HostOperation;

class HostFailure : public skrw::test::WithStorage {
  protected:
    void TearDown() override {
        skrw::test::stopHostFailures();
        WithStorage::TearDown();
    }
};

hostsim::Arguments argumentsFor(const ScriptFunctionEntry& entry) {
    hostsim::Arguments args;
    for (short i = 0; i < entry.least; ++i) args.textUtf8("x");
    return args;
}

TEST_F(HostFailure, EveryFunctionAnswersTheFailuresCodeAndSetsNoResult) {
    const std::pair<HostOperation, std::int32_t> failures[] = {{HostOperation::TextConstructor, 1},
                                                               {HostOperation::DataSetAsText, 2}};
    for (const auto& [operation, code] : failures) {
        for (const ScriptFunctionEntry& entry : ScriptFunctionTable()) {
            SCOPED_TRACE(std::string(entry.name) + " with code " + std::to_string(code));
            failHostOperation(operation, code);
            const Answer answer = call(entry.callback, entry.id, argumentsFor(entry));
            skrw::test::stopHostFailures();
            EXPECT_EQ(answer.hostError, code);
            EXPECT_FALSE(answer.set);
        }
    }
}

TEST_F(HostFailure, CountFailuresLogSwitchesAndTheEightBitLocaleAnswerTheFailuresCode) {
    const struct {
        HostOperation operation;
        std::int32_t code;
        ExtPluginType function;
        std::initializer_list<std::string_view> args;
    } rows[] = {
        {HostOperation::DataSetAsText, 2, &SKRW_DeleteObject, {}},
        {HostOperation::DataSetAsText, 2, &SKRW_LogSet, {}},
        {HostOperation::DataSetAsText, 2, &SKRW_LogClear, {}},
        {HostOperation::TextConstructor, 1, &SKRW_LogSet, {"0"}},
        {HostOperation::LocaleConstructor, 1, &SKRW_Version, {}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        failHostOperation(rows[i].operation, rows[i].code);
        const Answer answer = call(rows[i].function, 0, rows[i].args);
        skrw::test::stopHostFailures();
        EXPECT_EQ(answer.hostError, rows[i].code);
        EXPECT_FALSE(answer.set);
    }
    EXPECT_EQ(m_pl, nullptr);
}

TEST_F(HostFailure, AnArgumentThatCannotBeReadStopsBeforeTheStorageOperation) {
    recordMarkerError();
    // The first argument reads, the second does not.
    failHostOperation(HostOperation::DataVectAtAsText, 2, 1);
    const Answer answer = call(SKRW_GetBucket, kSKRW_GetBucketId, {"bucket", "prefix"});
    EXPECT_EQ(answer.hostError, 2);
    EXPECT_FALSE(answer.set);
    EXPECT_EQ(lastError(), kMarkerError);
}

TEST_F(HostFailure, VersionCopyingItsArgumentFailsWithoutRecordingABadLetter) {
    recordMarkerError();
    failHostOperation(HostOperation::TextConstructor, 1);
    EXPECT_EQ(call(SKRW_Version, kSKRW_VersionId, {"x"}).hostError, 1);
    EXPECT_EQ(lastError(), kMarkerError);
}

}  // namespace
