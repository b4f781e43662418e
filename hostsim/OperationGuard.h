#pragma once
// The one place where an FM_* operation's outcome becomes its error slot.
//
// The body of every operation runs inside `guarded`: it throws BadArgument
// for a general failure (code 2); std::bad_alloc becomes out of memory
// (code 1); any other exception is a general failure. On failure the answer
// is `failed` and the body must not have changed anything it was given, so
// every body checks its arguments before it modifies an object. No exception
// leaves an operation.
#include <new>

#include "fmx/FMWrapperApi.h"

namespace skrw::hostsim {

struct BadArgument {};

inline void require(bool condition) {
    if (!condition) throw BadArgument{};
}

template <typename R, typename Body>
R guarded(FM_ErrorSlot* err, R failed, Body&& body) noexcept {
    int code = 0;
    R answer = failed;
    try {
        answer = body();
    } catch (const std::bad_alloc&) {
        code = 1;
    } catch (...) {
        code = 2;
    }
    if (err != nullptr) err->code = code;
    return code == 0 ? answer : failed;
}

template <typename Body>
void guardedVoid(FM_ErrorSlot* err, Body&& body) noexcept {
    guarded(err, 0, [&] {
        body();
        return 0;
    });
}

}  // namespace skrw::hostsim
