#pragma once

#include <memory>
#include <utility>

namespace Aws {

// Makes a shared object. The tag names the allocation site; it is accepted for
// source compatibility and not used.
template <typename T, typename... Args>
std::shared_ptr<T> MakeShared(const char* /*allocationTag*/, Args&&... args) {
    return std::make_shared<T>(std::forward<Args>(args)...);
}

}  // namespace Aws
