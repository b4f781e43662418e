#pragma once
// A property check for fuzz targets: a broken property aborts the run, so
// libFuzzer records the input as a finding like any crash.
#include <cstdio>
#include <cstdlib>

#define SKRW_FUZZ_CHECK(condition)                                                                \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)
