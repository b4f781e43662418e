#pragma once
// The plug-in's entry point, the host call record it keeps and the plug-in's
// global objects it starts and stops.
//
// The entry point stores the record pointer in gFMX_ExternCallPtr before it
// does anything else, so every read of the record during a message sees that
// message's record. Outside any message (or in a process that never sent
// one) the readers answer neutral values instead of touching a null pointer.
//
// Running state: m_objFuncs (the one SKFuncs instance) holds the instance
// from an accepted start-up to the shut-down; m_pl (the diagnostic logger) is
// null unless the log was switched on in between. Both are defined with the
// script functions.
#include <cstdint>

#include "fmx/CallRecord.h"
#include "platform/Bundle.h"

// Handles one host message: stores `record` in gFMX_ExternCallPtr, then
// answers start-up (selector 0), shut-down (4) and get-string (7); every other
// selector is ignored. Nothing is thrown towards the host. Exported under
// this unmangled name.
extern "C" __attribute__((visibility("default"))) void FMExternCallProc(fmx::CallRecord* record);

// The record of the current message; set on entry to every message and never
// cleared. Exported under this unmangled name.
extern "C" __attribute__((visibility("default"))) fmx::CallRecord* gFMX_ExternCallPtr;

// Writes "About to init SKFuncs" to the console, creates the SKFuncs instance
// (which starts the storage SDK) into m_objFuncs, writes "Got to this point!"
// and sets m_pl to null. An instance or logger left from an earlier start-up
// is deleted first, so a second start-up neither leaks nor starts the SDK
// twice for one instance. When the instance cannot be made the failure passes
// to the caller and m_objFuncs stays null.
void PluginInit();

// Deletes the SKFuncs instance (which shuts the storage SDK down), then the
// logger, if either exists, and leaves both globals null. Never throws.
void PluginShutdown() noexcept;

namespace skrw::host {

// The host's plug-in interface version (signed 16-bit); 0 without a record.
std::int16_t currentInterfaceVersion();

// The plug-in's own bundle; null without a record.
platform::BundleRef currentBundle();

}  // namespace skrw::host
