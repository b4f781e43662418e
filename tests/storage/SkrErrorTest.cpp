// The error record: its cleared state, its three-line form and the platform-error forms.
#include <gtest/gtest.h>

#include "storage/SkrError.h"

namespace {

using platform::String;

String S(const char* text) {
    return String::fromUtf8(text);
}

const char kCleared[] = "MESSAGE: Success\nCODE: 0\nSOURCE: Initialization";

TEST(SkrError, NewRecordReadsAsSuccess) {
    SkrError record;
    EXPECT_EQ(record.getError().utf8(), kCleared);
    EXPECT_EQ(record.code().utf8(), "0");
}

TEST(SkrError, RecordedTripleFormatsAsThreeLinesWithoutTrailingLineFeed) {
    SkrError record;
    record.setError(S("Index out of bounds."), S("-4"), S("getPropertyForFolder"));
    EXPECT_EQ(record.getError().utf8(),
              "MESSAGE: Index out of bounds.\nCODE: -4\nSOURCE: getPropertyForFolder");
    EXPECT_EQ(record.code().utf8(), "-4");
    record.clearError();
    EXPECT_EQ(record.getError().utf8(), kCleared);
}

TEST(SkrError, EmptyTextsKeepTheLabelsAndTheirBlanks) {
    SkrError record(S(""), S(""), S(""));
    EXPECT_EQ(record.getError().utf8(), "MESSAGE: \nCODE: \nSOURCE: ");
}

TEST(SkrError, StoresCopiesSoCallersCannotChangeIt) {
    String message = S("first");
    SkrError record;
    record.setError(message, S("-4"), S("x"));
    message = S("changed");
    EXPECT_EQ(record.message().utf8(), "first");

    SkrError copy(record);
    record.setMessage(S("other"));
    EXPECT_EQ(copy.message().utf8(), "first");
}

TEST(SkrError, PlatformErrorGivesItsNumberAndTheSourceError) {
    platform::Error error;
    error.code = 4;
    error.description = "removing /x: Interrupted system call";
    error.localizedDescription = "Interrupted system call";

    SkrError fromSetter;
    fromSetter.setErrorWithNSError(error);
    EXPECT_EQ(fromSetter.getError().utf8(),
              "MESSAGE: Interrupted system call\nCODE: 4\nSOURCE: ERROR");

    // Built from a platform error, the record takes its fuller description instead.
    SkrError fromConstructor(error);
    EXPECT_EQ(fromConstructor.message().utf8(), "removing /x: Interrupted system call");
    EXPECT_EQ(fromConstructor.code().utf8(), "4");
    EXPECT_EQ(fromConstructor.source().utf8(), "ERROR");

    error.code = -17;
    fromSetter.setErrorWithNSError(error);
    EXPECT_EQ(fromSetter.code().utf8(), "-17");
}

TEST(SkrError, TakingOverAClearedRecordIsTheSameAsClearing) {
    SkrError record(S("m"), S("c"), S("s"));
    record.setErrorWithError(SkrError());
    EXPECT_EQ(record.getError().utf8(), kCleared);

    record.setErrorWithError(SkrError(S("m"), S("c"), S("s")));
    record.setCode(S("-400"));
    record.setSource(S("GetObject"));
    EXPECT_EQ(record.getError().utf8(), "MESSAGE: m\nCODE: -400\nSOURCE: GetObject");
}

}  // namespace
