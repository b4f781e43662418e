// The plug-in's wrappers in a process without the host framework: the weak FM_* operations are
// absent, and every use is a general failure instead of a call through a null address.
#include <gtest/gtest.h>

#include "fmx/fmx.h"

TEST(MissingHostFramework, HoldersRaiseGeneralFailureInsteadOfCrashing) {
    EXPECT_THROW(fmx::TextUniquePtr(), fmx::GeneralFailure);
    EXPECT_THROW(fmx::LocaleUniquePtr(1), fmx::GeneralFailure);
    EXPECT_THROW(fmx::QuadCharUniquePtr('S', 'K', 'R', 'W'), fmx::GeneralFailure);
}
