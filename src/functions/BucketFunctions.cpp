// The credential and bucket script functions: each reads its arguments by the frame's rules and
// makes one call on the storage object.
#include <cstdint>

#include "functions/FunctionTable.h"
#include "functions/PluginFunctions.h"
#include "functions/ScriptFrame.h"
#include "storage/SKFuncs.h"

using namespace skrw::functions;

namespace {

// The object index of SKRW_GetBucketProperty: the host's integer conversion of the number,
// of which only the low 32 bits count, read as a signed value.
std::int32_t indexArgument(const fmx::DataVect& args, std::uint32_t index) {
    const std::int64_t whole = args.AtAsNumber(index).AsLong();
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(whole));
}

}  // namespace

short SKRW_UseCredentials(short, const fmx::ExprEnv&, const fmx::DataVect& args,
                          fmx::Data& result) {
    return runStorageFunction(
        kSKRW_UseCredentialsId, args, result, [&](SKFuncs& storage, std::uint32_t count) {
            const skrw::platform::String service = textArgument(args, count, 0);
            const skrw::platform::String username = textArgument(args, count, 1);
            const skrw::platform::String password = textArgument(args, count, 2);
            const skrw::platform::String parameters = textArgument(args, count, 3);
            returnSucceeded(
                storage.useCredentialsForService(service, username, password, parameters), result);
        });
}

short SKRW_ListAllBuckets(short, const fmx::ExprEnv&, const fmx::DataVect& args,
                          fmx::Data& result) {
    return runStorageFunction(kSKRW_ListAllBucketsId, args, result,
                              [&](SKFuncs& storage, std::uint32_t) {
                                  returnStringAnswer(storage.listBuckets(), result);
                              });
}

short SKRW_GetBucket(short, const fmx::ExprEnv&, const fmx::DataVect& args, fmx::Data& result) {
    return runStorageFunction(
        kSKRW_GetBucketId, args, result, [&](SKFuncs& storage, std::uint32_t count) {
            const skrw::platform::String bucket = textArgument(args, count, 0);
            const skrw::platform::String prefix = textArgument(args, count, 1);
            const skrw::platform::String delimiter = textArgument(args, count, 2);
            const skrw::platform::String maxKeys = textArgument(args, count, 3);
            const skrw::platform::String continuationToken = textArgument(args, count, 4);
            returnSucceeded(
                storage.getBucket(bucket, prefix, delimiter, maxKeys, continuationToken), result);
        });
}

short SKRW_GetBucketProperty(short, const fmx::ExprEnv&, const fmx::DataVect& args,
                             fmx::Data& result) {
    return runStorageFunction(
        kSKRW_GetBucketPropertyId, args, result, [&](SKFuncs& storage, std::uint32_t count) {
            const skrw::platform::String name = textArgument(args, count, 0);
            const std::int32_t index = indexArgument(args, 1);
            returnStringAnswer(storage.getBucketProperty(name, index), result);
        });
}

short SKRW_CreateBucket(short, const fmx::ExprEnv&, const fmx::DataVect& args, fmx::Data& result) {
    return runStorageFunction(
        kSKRW_CreateBucketId, args, result, [&](SKFuncs& storage, std::uint32_t count) {
            const skrw::platform::String bucket = textArgument(args, count, 0);
            returnSucceeded(storage.createBucket(bucket), result);
        });
}

short SKRW_DeleteBucket(short, const fmx::ExprEnv&, const fmx::DataVect& args, fmx::Data& result) {
    return runStorageFunction(
        kSKRW_DeleteBucketId, args, result, [&](SKFuncs& storage, std::uint32_t count) {
            const skrw::platform::String bucket = textArgument(args, count, 0);
            returnSucceeded(storage.deleteBucket(bucket), result);
        });
}
