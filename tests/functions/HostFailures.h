#pragma once
// The one way tests make host framework operations fail or watch them: through the linker's
// --wrap, a program that links skrw_host_failures calls the wrappers of HostFailures.cpp.
#include <cstdint>

namespace skrw::test {

// The operations: FM_Text_Constructor1, FM_DataVect_AtAsText, FM_Data_SetAsText and
// FM_ExprEnv_RegisterExternalFunctionEx, _RegisterScriptStep, _UnRegisterExternalFunction.
enum class HostOp { NewText, ArgText, SetResult, AddFunction, AddStep, DropFunction };

// Faults that are no host error code: the call throws instead, as the plug-in's own code around
// it does when memory runs out (std::bad_alloc) or on any other failure (std::runtime_error).
inline constexpr std::int32_t kThrowsOutOfMemory = -1;
inline constexpr std::int32_t kThrowsOther = -2;

// The `skip`+1-th call of `operation` from now on fails with the host error `code` (1 out of
// memory, 2 general failure) or the thrown fault and changes nothing; the calls before and after
// it work.
void failHostOperation(HostOp operation, std::int32_t code, int skip = 0);
void stopHostFailures();
extern std::int32_t lastAssignedEncoding;  // the encoding code of the last FM_Text_Assign call

}  // namespace skrw::test
