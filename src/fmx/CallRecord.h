#pragma once
// The host call record: what the host hands the plug-in's entry point with
// every message.
//
// The host owns the record and fills it before each call; it is valid for the
// duration of that call only. The layout is packed (no padding) and
// little-endian; the offsets below are fixed and checked at compile time.
//
//   offset  width  field
//        0      2  interfaceVersion  the host's plug-in interface version (signed)
//        2     13  (host's own)
//       15      1  selector          which message: kStartup, kShutdown, kGetString
//       16      1  (host's own)
//       17      1  param1            get-string: the string id
//       18      8  param2            get-string: low 32 bits unused by the plug-in
//       26      8  param3            get-string: low 32 bits = buffer capacity in
//                                    UTF-16 units (signed 32-bit)
//       34      8  bundle            the plug-in's own bundle (skrw::platform::BundleRef)
//       42      8  result            start-up: the plug-in's answer
//                                    (kStartupAccepted or kStartupRefused);
//                                    get-string: the address of the host's
//                                    char16_t buffer (the plug-in does not
//                                    overwrite it)
//       50     14  (host's own)
//
// Members of a packed struct may be unaligned: read and assign them by value,
// never bind a reference or pointer to one.
#include <bit>
#include <cstddef>
#include <cstdint>

#include "platform/Bundle.h"

namespace fmx {

struct __attribute__((packed)) CallRecord {
    // Message selectors.
    static constexpr std::uint8_t kStartup = 0;
    static constexpr std::uint8_t kShutdown = 4;
    static constexpr std::uint8_t kGetString = 7;
    // Start-up answers.
    static constexpr std::int64_t kStartupRefused = -1;
    static constexpr std::int64_t kStartupAccepted = 57;

    std::int16_t interfaceVersion;
    std::uint8_t hostArea1[13];
    std::uint8_t selector;
    std::uint8_t hostArea2;
    std::uint8_t param1;
    std::uint64_t param2;
    std::uint64_t param3;
    skrw::platform::BundleRef bundle;
    std::int64_t result;
    std::uint8_t hostArea3[14];
};

static_assert(std::endian::native == std::endian::little, "the call record is little-endian");
static_assert(sizeof(void*) == 8, "the bundle reference and result field are 8 bytes");
static_assert(offsetof(CallRecord, interfaceVersion) == 0);
static_assert(offsetof(CallRecord, selector) == 15);
static_assert(offsetof(CallRecord, param1) == 17);
static_assert(offsetof(CallRecord, param2) == 18);
static_assert(offsetof(CallRecord, param3) == 26);
static_assert(offsetof(CallRecord, bundle) == 34);
static_assert(offsetof(CallRecord, result) == 42);
static_assert(offsetof(CallRecord, hostArea3) == 50);
static_assert(sizeof(CallRecord) == 64);

}  // namespace fmx

// The plug-in's entry point as the host looks it up (unmangled name
// "FMExternCallProc") and calls it with every message.
extern "C" {
typedef void (*FMExternCallProcPtr)(fmx::CallRecord* record);
}
