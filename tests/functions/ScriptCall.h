#pragma once
// Calls script functions the way the host does, through the real FMWrapper objects, and keeps
// what a test needs to see of the answer.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "fmx/FMWrapperApi.h"
#include "hostsim/HostObjects.h"
#include "hostsim/HostValues.h"

namespace skrw::test {

// The locale type a result carries before a call, so that a test can tell the result's own
// locale (kept) from the new locale of type 1 that the 8-bit path makes.
inline constexpr std::int32_t kOwnLocaleType = 7;

struct Answer {
    short hostError = 0;
    bool set = false;
    std::string text;  // UTF-8 form of the result's text
    std::u16string units;
    hostsim::TextOrigin origin = hostsim::TextOrigin::EightBit;
    std::int32_t localeType = 0;
    std::int32_t dataType = 0;

    bool isEightBit() const { return origin == hostsim::TextOrigin::EightBit; }
    bool isUtf16() const { return origin == hostsim::TextOrigin::Utf16; }
};

// Text arguments given as UTF-8.
hostsim::Arguments texts(std::initializer_list<std::string_view> values);

// Calls `callback` under `id` with the arguments; the result starts unset with locale type
// kOwnLocaleType.
Answer call(ExtPluginType callback, short id, const hostsim::Arguments& args);
Answer call(ExtPluginType callback, short id, std::initializer_list<std::string_view> values);

}  // namespace skrw::test
