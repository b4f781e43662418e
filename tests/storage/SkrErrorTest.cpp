// The error record: its cleared state, its three-line form and the platform-error forms.
#include <gtest/gtest.h>

#include "storage/SkrError.h"

namespace {

using platform::String;

String S(const char* text) {
    return String::fromUtf8(text);
}

const char kCleared[] = "MESSAGE: Success\nCODE: 0\nSOURCE: Initialization";

TEST(SkrError, ThreeLinesWithoutTrailingLineFeedAndClearingRestoresSuccess) {
    SkrError record;
    EXPECT_EQ(record.getError().utf8(), kCleared);
    record.setError(S("Index out of bounds."), S("-4"), S("getPropertyForFolder"));
    EXPECT_EQ(record.getError().utf8(),
              "MESSAGE: Index out of bounds.\nCODE: -4\nSOURCE: getPropertyForFolder");
    EXPECT_EQ(record.code().utf8(), "-4");
    record.clearError();
    EXPECT_EQ(record.getError().utf8(), kCleared);

    EXPECT_EQ(SkrError(S(""), S(""), S("")).getError().utf8(), "MESSAGE: \nCODE: \nSOURCE: ");
    record.setErrorWithError(SkrError(S("m"), S("c"), S("s")));
    record.setErrorWithError(SkrError());
    EXPECT_EQ(record.getError().utf8(), kCleared);
}

TEST(SkrError, PlatformErrorGivesItsNumberAndTheSourceError) {
    platform::Error error;
    error.code = -17;
    error.description = "removing /x: Interrupted system call";
    error.localizedDescription = "Interrupted system call";

    SkrError fromSetter;
    fromSetter.setErrorWithNSError(error);
    EXPECT_EQ(fromSetter.getError().utf8(),
              "MESSAGE: Interrupted system call\nCODE: -17\nSOURCE: ERROR");

    // Built from a platform error, the record takes its fuller description instead.
    EXPECT_EQ(SkrError(error).getError().utf8(),
              "MESSAGE: removing /x: Interrupted system call\nCODE: -17\nSOURCE: ERROR");
}

}  // namespace
