#include "HostFailures.h"

#include <map>
#include <new>
#include <stdexcept>

#include "fmx/FMWrapperApi.h"

namespace skrw::test {
namespace {
std::map<HostOp, std::pair<std::int32_t, int>> armings;  // code, the call that fails (0: none)
}  // namespace
std::int32_t lastAssignedEncoding = -1;

void failHostOperation(HostOp operation, std::int32_t code, int skip) {
    armings[operation] = {code, skip + 1};
}
void stopHostFailures() {
    armings.clear();
}

bool injected(HostOp operation, FM_ErrorSlot* err) {
    auto& [code, countdown] = armings[operation];
    if (countdown == 0 || --countdown > 0) return false;
    if (code == kThrowsOutOfMemory) throw std::bad_alloc();
    if (code == kThrowsOther) throw std::runtime_error("injected failure");
    err->code = code;
    return true;
}
}  // namespace skrw::test

// Declares the host's operation as __real_NAME and defines __wrap_NAME, which fails when armed.
#define SKRW_WRAP(Result, name, operation, failed, parameters, ...)                  \
    Result __real_##name parameters;                                                 \
    Result __wrap_##name parameters {                                                \
        if (skrw::test::injected(skrw::test::HostOp::operation, err)) return failed; \
        return __real_##name(__VA_ARGS__);                                           \
    }

using Text = const fmx::Text*;
using std::int16_t, std::int32_t, std::uint32_t;

extern "C" {
SKRW_WRAP(fmx::Text*, FM_Text_Constructor1, NewText, nullptr, (FM_ErrorSlot * err), err)
SKRW_WRAP(Text, FM_DataVect_AtAsText, ArgText, nullptr,
          (const fmx::DataVect* vect, uint32_t index, FM_ErrorSlot* err), vect, index, err)
SKRW_WRAP(void, FM_Data_SetAsText, SetResult, ,
          (fmx::Data * data, Text text, const fmx::Locale* locale, int32_t type, FM_ErrorSlot* err),
          data, text, locale, type, err)
SKRW_WRAP(int16_t, FM_ExprEnv_RegisterExternalFunctionEx, AddFunction, 0,
          (const fmx::QuadChar* code, int16_t id, Text name, Text prototype, Text description,
           int16_t least, int16_t most, uint32_t flags, ExtPluginType callback, FM_ErrorSlot* err),
          code, id, name, prototype, description, least, most, flags, callback, err)
SKRW_WRAP(int16_t, FM_ExprEnv_RegisterScriptStep, AddStep, 0,
          (const fmx::QuadChar* code, int16_t id, Text name, Text definition, Text description,
           uint32_t flags, ExtPluginType callback, FM_ErrorSlot* err),
          code, id, name, definition, description, flags, callback, err)
SKRW_WRAP(int16_t, FM_ExprEnv_UnRegisterExternalFunction, DropFunction, 0,
          (const fmx::QuadChar* code, int16_t id, FM_ErrorSlot* err), code, id, err)

void __real_FM_Text_Assign(fmx::Text* text, const char* bytes, int32_t encoding, FM_ErrorSlot*);
void __wrap_FM_Text_Assign(fmx::Text* text, const char* bytes, int32_t encoding,
                           FM_ErrorSlot* err) {
    skrw::test::lastAssignedEncoding = encoding;
    __real_FM_Text_Assign(text, bytes, encoding, err);
}
}  // extern "C"
