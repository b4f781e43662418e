#include "OpenDescriptors.h"

#include <filesystem>
#include <iterator>

namespace skrw::test {

long openDescriptors() {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

}  // namespace skrw::test
