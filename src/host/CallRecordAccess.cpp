#include "host/CallRecordAccess.h"

fmx::CallRecord* gFMX_ExternCallPtr = nullptr;

namespace skrw::host {

std::int16_t currentInterfaceVersion() {
    if (gFMX_ExternCallPtr == nullptr) return 0;
    return gFMX_ExternCallPtr->interfaceVersion;
}

platform::BundleRef currentBundle() {
    if (gFMX_ExternCallPtr == nullptr) return nullptr;
    return gFMX_ExternCallPtr->bundle;
}

}  // namespace skrw::host
