#pragma once
// The table of the plug-in's registered script functions.
//
// Contract:
// - ScriptFunctionTable() lists the thirteen registered script functions in the order in which
//   the host is to register them, each with its id, its name, the least and the most argument
//   count it accepts, and its callback.
// - This table is the only place that holds the bounds: every script function checks its
//   argument count against its own entry, and the registration hands the same numbers to the
//   host, so the two can never disagree.
// - The entries are constant and live for the whole process; reading them needs no host.
// - The log switch functions (SKRW_LogSet, SKRW_LogClear) are not registered and are not in the
//   table.
#include <cstdint>
#include <span>

#include "fmx/FMWrapperApi.h"

namespace skrw::functions {

// Ids under which the script functions (and their script steps) are registered.
enum ScriptFunctionId : short {
    kSKRW_VersionId = 150,
    kSKRW_GetLastErrorId = 153,
    kSKRW_UseCredentialsId = 200,
    kSKRW_ListAllBucketsId = 201,
    kSKRW_GetBucketId = 202,
    kSKRW_GetBucketPropertyId = 203,
    kSKRW_CreateBucketId = 204,
    kSKRW_DeleteBucketId = 205,
    kSKRW_GetObjectId = 206,
    kSKRW_PostObjectId = 207,
    kSKRW_CopyObjectId = 208,
    kSKRW_DeleteObjectId = 209,
    kSKRW_DebugId = 210,
};

struct ScriptFunctionEntry {
    short id;
    const char* name;  // e.g. "SKRW_GetBucket"
    short least;       // fewest arguments accepted
    short most;        // most arguments accepted
    ExtPluginType callback;
};

// The registered script functions, in registration order (13 entries).
std::span<const ScriptFunctionEntry> ScriptFunctionTable();

// The entry registered under `id`, or null when no registered function has that id.
const ScriptFunctionEntry* FindScriptFunction(short id);

}  // namespace skrw::functions
