#pragma once
// The host's own objects behind the opaque fmx pointers.
//
// The FM_* operations receive fmx::Text*, fmx::Data*... that the host made;
// each such pointer is the address of one of the structs below. The casts
// in this file are the only place where the two views meet.
#include <cstdint>
#include <string>
#include <vector>

#include "fmx/FMWrapperApi.h"
#include "hostsim/Export.h"

namespace skrw::hostsim {

// How a text's current content was last put there: through 8-bit bytes
// (FM_Text_Assign) or as UTF-16 (FM_Text_AssignUnicode, or made by the host).
// FM_Text_SetText carries the source's origin over; deleting keeps it.
enum class TextOrigin { EightBit, Utf16 };

struct HostText {
    std::u16string units;
    TextOrigin origin = TextOrigin::EightBit;
};

struct HostLocale {
    std::int32_t type = 1;
};

struct HostQuadChar {
    char chars[4] = {0, 0, 0, 0};
};

// The host's number type: an extended-precision binary floating-point value
// (every integer up to 2^64 in magnitude and every short decimal fraction
// with a binary form, such as 3.5, is exact).
struct HostNumber {
    long double value = 0;
};

// One argument of a script function: the host keeps both readings.
struct HostArgument {
    HostText text;
    HostNumber number;
};

struct HostDataVect {
    std::vector<HostArgument> items;
};

// The one data type a result can be set to here: text.
inline constexpr std::int32_t kTextDataType = 1;

// A script function's result value.
struct HostData {
    HostText text;
    HostLocale locale;
    std::int32_t dataType = 0;  // 0 until set
    bool set = false;
};

// The calculation environment handed to callbacks; it carries nothing the
// plug-in reads.
struct HostExprEnv {
    int unused = 0;
};

// Opaque view <-> host object.
inline HostText* host(fmx::Text* p) {
    return reinterpret_cast<HostText*>(p);
}
inline const HostText* host(const fmx::Text* p) {
    return reinterpret_cast<const HostText*>(p);
}
inline const HostLocale* host(const fmx::Locale* p) {
    return reinterpret_cast<const HostLocale*>(p);
}
inline HostLocale* host(fmx::Locale* p) {
    return reinterpret_cast<HostLocale*>(p);
}
inline const HostQuadChar* host(const fmx::QuadChar* p) {
    return reinterpret_cast<const HostQuadChar*>(p);
}
inline HostQuadChar* host(fmx::QuadChar* p) {
    return reinterpret_cast<HostQuadChar*>(p);
}
inline const HostNumber* host(const fmx::FixPt* p) {
    return reinterpret_cast<const HostNumber*>(p);
}
inline const HostDataVect* host(const fmx::DataVect* p) {
    return reinterpret_cast<const HostDataVect*>(p);
}
inline HostData* host(fmx::Data* p) {
    return reinterpret_cast<HostData*>(p);
}
inline const HostData* host(const fmx::Data* p) {
    return reinterpret_cast<const HostData*>(p);
}

inline fmx::Text* opaque(HostText* p) {
    return reinterpret_cast<fmx::Text*>(p);
}
inline const fmx::Text* opaque(const HostText* p) {
    return reinterpret_cast<const fmx::Text*>(p);
}
inline fmx::Locale* opaque(HostLocale* p) {
    return reinterpret_cast<fmx::Locale*>(p);
}
inline const fmx::Locale* opaque(const HostLocale* p) {
    return reinterpret_cast<const fmx::Locale*>(p);
}
inline fmx::QuadChar* opaque(HostQuadChar* p) {
    return reinterpret_cast<fmx::QuadChar*>(p);
}
inline const fmx::FixPt* opaque(const HostNumber* p) {
    return reinterpret_cast<const fmx::FixPt*>(p);
}
inline const fmx::DataVect* opaque(const HostDataVect* p) {
    return reinterpret_cast<const fmx::DataVect*>(p);
}
inline fmx::Data* opaque(HostData* p) {
    return reinterpret_cast<fmx::Data*>(p);
}
inline const fmx::ExprEnv* opaque(const HostExprEnv* p) {
    return reinterpret_cast<const fmx::ExprEnv*>(p);
}

}  // namespace skrw::hostsim
