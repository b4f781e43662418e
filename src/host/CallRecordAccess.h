#pragma once
// The host call record of the message being handled, as the rest of the
// host interface reads it.
//
// The entry point stores the record pointer in gFMX_ExternCallPtr before it
// does anything else, so every read below during a message sees that
// message's record. Outside any message (or in a process that never sent
// one) the readers answer neutral values instead of touching a null pointer.
#include <cstdint>

#include "fmx/CallRecord.h"
#include "platform/Bundle.h"

// The record of the current message; set on entry to every message and never
// cleared. Exported under this unmangled name.
extern "C" __attribute__((visibility("default"))) fmx::CallRecord* gFMX_ExternCallPtr;

namespace skrw::host {

// The host's plug-in interface version (signed 16-bit); 0 without a record.
std::int16_t currentInterfaceVersion();

// The plug-in's own bundle; null without a record.
platform::BundleRef currentBundle();

}  // namespace skrw::host
