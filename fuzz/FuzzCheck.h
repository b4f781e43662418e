#pragma once
// A property check for fuzz targets: a broken property aborts, so libFuzzer keeps the input as a
// finding like any crash.
#include <cstdio>
#include <cstdlib>

#define SKRW_FUZZ_CHECK(condition)                                                                \
    ((condition)                                                                                  \
         ? void()                                                                                 \
         : (std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition), \
            std::abort()))
