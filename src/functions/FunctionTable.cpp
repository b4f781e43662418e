#include "functions/FunctionTable.h"

#include <array>

#include "functions/PluginFunctions.h"

namespace skrw::functions {
namespace {

constexpr std::array<ScriptFunctionEntry, 13> kTable{{
    {kSKRW_VersionId, "SKRW_Version", 0, 1, &SKRW_Version},
    {kSKRW_GetLastErrorId, "SKRW_GetLastError", 0, 1, &SKRW_GetLastError},
    {kSKRW_UseCredentialsId, "SKRW_UseCredentials", 3, 4, &SKRW_UseCredentials},
    {kSKRW_ListAllBucketsId, "SKRW_ListAllBuckets", 0, 0, &SKRW_ListAllBuckets},
    {kSKRW_GetBucketId, "SKRW_GetBucket", 1, 5, &SKRW_GetBucket},
    {kSKRW_GetBucketPropertyId, "SKRW_GetBucketProperty", 2, 2, &SKRW_GetBucketProperty},
    {kSKRW_CreateBucketId, "SKRW_CreateBucket", 1, 1, &SKRW_CreateBucket},
    {kSKRW_DeleteBucketId, "SKRW_DeleteBucket", 1, 1, &SKRW_DeleteBucket},
    {kSKRW_GetObjectId, "SKRW_GetObject", 3, 3, &SKRW_GetObject},
    {kSKRW_PostObjectId, "SKRW_PostObject", 3, 4, &SKRW_PostObject},
    {kSKRW_CopyObjectId, "SKRW_CopyObject", 4, 4, &SKRW_CopyObject},
    {kSKRW_DeleteObjectId, "SKRW_DeleteObject", 2, 2, &SKRW_DeleteObject},
    {kSKRW_DebugId, "SKRW_Debug", 0, 0, &SKRW_Debug},
}};

}  // namespace

std::span<const ScriptFunctionEntry> ScriptFunctionTable() {
    return kTable;
}

const ScriptFunctionEntry* FindScriptFunction(short id) {
    for (const ScriptFunctionEntry& entry : kTable) {
        if (entry.id == id) return &entry;
    }
    return nullptr;
}

}  // namespace skrw::functions
