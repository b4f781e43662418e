#pragma once
// The one way tests make host framework operations fail or watch them: a program that links
// skrw_host_failures gets the linker's --wrap for each operation below, so the plug-in code in
// it calls the wrappers of HostFailures.cpp, which go on to the host's own unless armed.
#include <cstdint>

namespace skrw::test {

enum class HostOperation {
    TextConstructor,
    LocaleConstructor,
    DataVectAtAsText,
    DataSetAsText,
    RegisterFunction,
    RegisterStep,
    UnregisterFunction
};

// The `skip`+1-th call of `operation` from now on fails with the host error `code` (1 out of
// memory, 2 general failure) and changes nothing; the calls before and after it work.
void failHostOperation(HostOperation operation, std::int32_t code, int skip = 0);
void stopHostFailures();

// The encoding code of the last FM_Text_Assign call.
std::int32_t lastAssignedEncoding();

}  // namespace skrw::test
