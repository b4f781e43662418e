#pragma once
// What the process holds open, for tests that check that nothing leaks.

namespace skrw::test {

// The number of file descriptors the process has open (counted with the one that reads them).
long openDescriptors();

}  // namespace skrw::test
