#pragma once
// The plug-in's script functions and the helpers they share.
//
// Contract shared by every script function:
// - Each has the host's callback form (ExtPluginType) and reads neither the function id nor the
//   calculation environment.
// - Success and failure travel in the result text ("0", "!!ERROR!!" or the data text); the
//   answer is the host error code 0 on every such path.
// - A host framework failure (fmx::Exception) never leaves a function: it is caught at the
//   function's boundary and the function answers that failure's host error code (1 out of
//   memory, 2 general failure), with no result set by the function. Any other exception is
//   answered the same way (std::bad_alloc as 1, anything else as 2).
// - A registered function checks its argument count against its entry in ScriptFunctionTable()
//   (functions/FunctionTable.h); outside the bounds it answers "!!ERROR!!" and touches nothing
//   else, the storage object's last error included.
// - The storage functions call exactly one operation on m_objFuncs, which must be set whenever
//   the host can call them (the host creates it right after registering the functions and
//   deletes it only after unregistering them).
// - Not thread-safe: the host calls them on one thread at a time.
#include <cstdint>

#include "fmx/fmx.h"

class SKFuncs;
class PluginLogger;

// The storage access object, owned by the host lifecycle from start-up to shut-down; null until
// set.
extern SKFuncs* m_objFuncs;
// The diagnostic logger while the log is switched on; null while it is off.
extern PluginLogger* m_pl;

// ---- Registered script functions (ids, names and bounds in FunctionTable.h) ----
short SKRW_Version(short functionId, const fmx::ExprEnv& env, const fmx::DataVect& args,
                   fmx::Data& result);
short SKRW_GetLastError(short functionId, const fmx::ExprEnv& env, const fmx::DataVect& args,
                        fmx::Data& result);
short SKRW_Debug(short functionId, const fmx::ExprEnv& env, const fmx::DataVect& args,
                 fmx::Data& result);
short SKRW_UseCredentials(short functionId, const fmx::ExprEnv& env, const fmx::DataVect& args,
                          fmx::Data& result);
short SKRW_ListAllBuckets(short functionId, const fmx::ExprEnv& env, const fmx::DataVect& args,
                          fmx::Data& result);
short SKRW_GetBucket(short functionId, const fmx::ExprEnv& env, const fmx::DataVect& args,
                     fmx::Data& result);
short SKRW_GetBucketProperty(short functionId, const fmx::ExprEnv& env, const fmx::DataVect& args,
                             fmx::Data& result);
short SKRW_CreateBucket(short functionId, const fmx::ExprEnv& env, const fmx::DataVect& args,
                        fmx::Data& result);
short SKRW_DeleteBucket(short functionId, const fmx::ExprEnv& env, const fmx::DataVect& args,
                        fmx::Data& result);
short SKRW_GetObject(short functionId, const fmx::ExprEnv& env, const fmx::DataVect& args,
                     fmx::Data& result);
short SKRW_PostObject(short functionId, const fmx::ExprEnv& env, const fmx::DataVect& args,
                      fmx::Data& result);
short SKRW_CopyObject(short functionId, const fmx::ExprEnv& env, const fmx::DataVect& args,
                      fmx::Data& result);
short SKRW_DeleteObject(short functionId, const fmx::ExprEnv& env, const fmx::DataVect& args,
                        fmx::Data& result);

// ---- Log switch functions (never registered) ----
// One or two arguments: the first read as on or off (platform boolValue); creates the logger
// when switched on without one, deletes it when switched off with one; answers "0", or
// "!!ERROR!!" for any other count.
short SKRW_LogSet(short functionId, const fmx::ExprEnv& env, const fmx::DataVect& args,
                  fmx::Data& result);
// Empties the log file and answers "0" while a logger exists; "!!ERROR!!" without one. Reads no
// argument.
short SKRW_LogClear(short functionId, const fmx::ExprEnv& env, const fmx::DataVect& args,
                    fmx::Data& result);

// ---- Shared helpers ----
// Sets `result` to the zero-terminated 8-bit text (UTF-8 bytes, encoding code 0) with a new
// locale of type 1 and the data type text. Host framework failures pass to the caller.
void returnStringResult(const char* text, fmx::Data& result);
// Reads argument `index` as yes or no: true when its upper-cased text is exactly "TRUE", "1",
// "YES", "ON" or "Y"; false otherwise, also when it is empty or absent (a negative index reads
// as absent). Host framework failures pass to the caller.
bool BoolFromDV(const fmx::DataVect& args, int index);
