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

TEST_F(HostFailure, OutOfMemoryMakingTheResultTextIsAnsweredAsCodeOne) {
    for (const ScriptFunctionEntry& entry : ScriptFunctionTable()) {
        SCOPED_TRACE(entry.name);
        failHostOperation(HostOperation::TextConstructor, 1);
        const Answer answer = call(entry.callback, entry.id, argumentsFor(entry));
        skrw::test::stopHostFailures();
        EXPECT_EQ(answer.hostError, 1);
        EXPECT_FALSE(answer.set);
    }
}

TEST_F(HostFailure, AGeneralFailureSettingTheResultIsAnsweredAsCodeTwo) {
    for (const ScriptFunctionEntry& entry : ScriptFunctionTable()) {
        SCOPED_TRACE(entry.name);
        failHostOperation(HostOperation::DataSetAsText, 2);
        const Answer answer = call(entry.callback, entry.id, argumentsFor(entry));
        skrw::test::stopHostFailures();
        EXPECT_EQ(answer.hostError, 2);
        EXPECT_FALSE(answer.set);
    }
}

TEST_F(HostFailure, ACountFailureThatCannotBeSetIsAnsweredAsTheHostError) {
    failHostOperation(HostOperation::DataSetAsText, 2);
    EXPECT_EQ(call(SKRW_DeleteObject, kSKRW_DeleteObjectId, {}).hostError, 2);
    EXPECT_EQ(call(SKRW_LogSet, 0, {}).hostError, 2);
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

TEST_F(HostFailure, OutOfMemoryForTheEightBitLocaleIsAnsweredAsCodeOne) {
    failHostOperation(HostOperation::LocaleConstructor, 1);
    const Answer answer = call(SKRW_Version, kSKRW_VersionId, {});
    EXPECT_EQ(answer.hostError, 1);
    EXPECT_FALSE(answer.set);
}

TEST_F(HostFailure, VersionCopyingItsArgumentFailsWithoutRecordingABadLetter) {
    recordMarkerError();
    failHostOperation(HostOperation::TextConstructor, 1);
    EXPECT_EQ(call(SKRW_Version, kSKRW_VersionId, {"x"}).hostError, 1);
    EXPECT_EQ(lastError(), kMarkerError);
}

TEST_F(HostFailure, TheLogSwitchFunctionsAnswerTheHostErrorToo) {
    failHostOperation(HostOperation::DataSetAsText, 2);
    EXPECT_EQ(call(SKRW_LogClear, 0, {}).hostError, 2);
    failHostOperation(HostOperation::TextConstructor, 1);
    EXPECT_EQ(call(SKRW_LogSet, 0, {"0"}).hostError, 1);
    EXPECT_EQ(m_pl, nullptr);
}

TEST_F(HostFailure, AfterAFailureTheNextCallWorks) {
    failHostOperation(HostOperation::DataSetAsText, 2);
    EXPECT_EQ(call(SKRW_Debug, kSKRW_DebugId, {}).hostError, 2);
    skrw::test::stopHostFailures();
    const Answer answer = call(SKRW_Debug, kSKRW_DebugId, {});
    EXPECT_EQ(answer.hostError, 0);
    EXPECT_EQ(answer.text, "0");
}

}  // namespace
