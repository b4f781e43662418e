#pragma once
// Makes chosen host framework operations fail, for tests of what a script function answers when
// the host reports a failure. The operations are interposed in the test program: every other
// call goes on to the real FMWrapper operation.
#include <cstdint>
#include <string>

namespace skrw::test {

// The operations that can be made to fail.
enum class HostOperation { TextConstructor, LocaleConstructor, DataVectAtAsText, DataSetAsText };

// From now on, the `skip`+1-th and every later call of `operation` fails with the host error
// `code` (1 out of memory, 2 general failure) and changes nothing.
void failHostOperation(HostOperation operation, std::int32_t code, int skip = 0);
// Every operation works again.
void stopHostFailures();
// How many times the operation was called since the last stopHostFailures().
int hostOperationCalls(HostOperation operation);

}  // namespace skrw::test
