// The object script functions: download, upload, copy and delete, one storage call each.
#include <cstdint>

#include "functions/FunctionTable.h"
#include "functions/PluginFunctions.h"
#include "functions/ScriptFrame.h"
#include "storage/SKFuncs.h"

using namespace skrw::functions;

namespace {
// Position of SKRW_PostObject's yes/no argument "Delete After Post".
constexpr int kDeleteAfterPostIndex = 3;
}  // namespace

short SKRW_GetObject(short, const fmx::ExprEnv&, const fmx::DataVect& args, fmx::Data& result) {
    return runStorageFunction(
        kSKRW_GetObjectId, args, result, [&](SKFuncs& storage, std::uint32_t count) {
            const skrw::platform::String bucket = textArgument(args, count, 0);
            const skrw::platform::String key = textArgument(args, count, 1);
            const skrw::platform::String path = textArgument(args, count, 2);
            returnSucceeded(storage.getObject(bucket, key, path), result);
        });
}

short SKRW_PostObject(short, const fmx::ExprEnv&, const fmx::DataVect& args, fmx::Data& result) {
    return runStorageFunction(
        kSKRW_PostObjectId, args, result, [&](SKFuncs& storage, std::uint32_t count) {
            const skrw::platform::String bucket = textArgument(args, count, 0);
            const skrw::platform::String key = textArgument(args, count, 1);
            const skrw::platform::String path = textArgument(args, count, 2);
            const bool deleteAfter = BoolFromDV(args, kDeleteAfterPostIndex);
            returnSucceeded(storage.postObject(bucket, key, path, deleteAfter), result);
        });
}

short SKRW_CopyObject(short, const fmx::ExprEnv&, const fmx::DataVect& args, fmx::Data& result) {
    return runStorageFunction(
        kSKRW_CopyObjectId, args, result, [&](SKFuncs& storage, std::uint32_t count) {
            const skrw::platform::String sourceBucket = textArgument(args, count, 0);
            const skrw::platform::String sourceKey = textArgument(args, count, 1);
            const skrw::platform::String destinationBucket = textArgument(args, count, 2);
            const skrw::platform::String destinationKey = textArgument(args, count, 3);
            returnSucceeded(storage.copyObjectFromSourceBucket(sourceBucket, sourceKey,
                                                               destinationBucket, destinationKey),
                            result);
        });
}

short SKRW_DeleteObject(short, const fmx::ExprEnv&, const fmx::DataVect& args, fmx::Data& result) {
    return runStorageFunction(
        kSKRW_DeleteObjectId, args, result, [&](SKFuncs& storage, std::uint32_t count) {
            const skrw::platform::String bucket = textArgument(args, count, 0);
            const skrw::platform::String key = textArgument(args, count, 1);
            returnSucceeded(storage.deleteObject(bucket, key), result);
        });
}
