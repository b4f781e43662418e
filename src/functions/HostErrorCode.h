#pragma once
// The host error code an exception stands for: the one mapping every firewall of the plug-in
// towards the host shares. A host framework failure answers its own code, running out of memory
// the host's out-of-memory code (1), anything else the host's general failure code (2).
#include <new>

#include "fmx/fmx.h"

namespace skrw::functions {

// The code of the exception being handled. Call it only inside a catch handler.
inline short hostCodeOfCurrentException() noexcept {
    try {
        throw;
    } catch (const fmx::Exception& failure) {
        return failure.code();
    } catch (const std::bad_alloc&) {
        return fmx::OutOfMemory().code();
    } catch (...) {
        return fmx::GeneralFailure().code();
    }
}

}  // namespace skrw::functions
