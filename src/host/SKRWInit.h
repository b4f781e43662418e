#pragma once
// The plug-in's entry point.
#include "fmx/CallRecord.h"

// Handles one host message: stores `record` in gFMX_ExternCallPtr, then
// answers start-up (selector 0), shut-down (4) and get-string (7); every other
// selector is ignored. Nothing is thrown towards the host. Exported under
// this unmangled name.
extern "C" __attribute__((visibility("default"))) void FMExternCallProc(fmx::CallRecord* record);
