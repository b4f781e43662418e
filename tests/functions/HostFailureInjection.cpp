// Interposed host framework operations. Defining them in the test program makes the plug-in
// code linked into it call these first; each forwards to the FMWrapper library's own operation
// unless a failure is armed for it.
#define FMX_HOST_IMPLEMENTATION
#include "HostFailureInjection.h"

#include <dlfcn.h>

#include <array>
#include <cstdlib>

#include "fmx/FMWrapperApi.h"

namespace skrw::test {
namespace {

struct Arming {
    std::int32_t code = 0;
    int skip = 0;
    int calls = 0;
};

std::array<Arming, 4> armings;

Arming& arming(HostOperation operation) {
    return armings[static_cast<std::size_t>(operation)];
}

// True when this call is to fail; then the slot carries the code.
bool injected(HostOperation operation, FM_ErrorSlot* err) {
    Arming& armed = arming(operation);
    const int call = armed.calls++;
    if (armed.code == 0 || call < armed.skip) return false;
    if (err != nullptr) err->code = armed.code;
    return true;
}

template <typename Function>
Function* real(const char* name) {
    void* symbol = dlsym(RTLD_NEXT, name);
    if (symbol == nullptr) std::abort();
    return reinterpret_cast<Function*>(symbol);
}

}  // namespace

void failHostOperation(HostOperation operation, std::int32_t code, int skip) {
    Arming& armed = arming(operation);
    armed.code = code;
    armed.skip = armed.calls + skip;
}

void stopHostFailures() {
    armings = {};
}

int hostOperationCalls(HostOperation operation) {
    return arming(operation).calls;
}

}  // namespace skrw::test

using skrw::test::HostOperation;
using skrw::test::injected;
using skrw::test::real;

extern "C" {

fmx::Text* FM_Text_Constructor1(FM_ErrorSlot* err) {
    if (injected(HostOperation::TextConstructor, err)) return nullptr;
    static auto* next = real<decltype(FM_Text_Constructor1)>("FM_Text_Constructor1");
    return next(err);
}

fmx::Locale* FM_Locale_Constructor1(std::int32_t localeType, FM_ErrorSlot* err) {
    if (injected(HostOperation::LocaleConstructor, err)) return nullptr;
    static auto* next = real<decltype(FM_Locale_Constructor1)>("FM_Locale_Constructor1");
    return next(localeType, err);
}

const fmx::Text* FM_DataVect_AtAsText(const fmx::DataVect* vect, std::uint32_t index,
                                      FM_ErrorSlot* err) {
    if (injected(HostOperation::DataVectAtAsText, err)) return nullptr;
    static auto* next = real<decltype(FM_DataVect_AtAsText)>("FM_DataVect_AtAsText");
    return next(vect, index, err);
}

void FM_Data_SetAsText(fmx::Data* data, const fmx::Text* text, const fmx::Locale* locale,
                       std::int32_t dataType, FM_ErrorSlot* err) {
    if (injected(HostOperation::DataSetAsText, err)) return;
    static auto* next = real<decltype(FM_Data_SetAsText)>("FM_Data_SetAsText");
    next(data, text, locale, dataType, err);
}

}  // extern "C"
