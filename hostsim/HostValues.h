#pragma once
// Host-made values for driving script functions directly (tests, the
// runner): argument vectors, result values and the calculation environment,
// all backed by the real FMWrapper objects.
//
//   skrw::hostsim::Arguments args;
//   args.text(u"bucket").number(3.5);
//   skrw::hostsim::Result result;
//   short error = skrw::hostsim::invoke(SKRW_GetBucket, 202, args, result);
//   EXPECT_EQ(result.textUtf8(), "0");
//   EXPECT_EQ(result.origin(), skrw::hostsim::TextOrigin::EightBit);
//
// A text argument reads as a number by the host's rule and a number argument
// reads as its shortest decimal text (hostsim/Numbers.h).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fmx/FMWrapperApi.h"
#include "hostsim/Export.h"
#include "hostsim/HostObjects.h"

namespace skrw::hostsim {

class HOSTSIM_API Arguments {
  public:
    Arguments() = default;
    Arguments(const Arguments&) = default;
    Arguments& operator=(const Arguments&) = default;

    // Appends a text argument (UTF-16 units, kept exactly).
    Arguments& text(std::u16string units);
    // Appends a text argument given as UTF-8 (invalid bytes become U+FFFD).
    Arguments& textUtf8(std::string_view utf8);
    // Appends a number argument.
    Arguments& number(long double value);

    std::size_t size() const { return m_vect.items.size(); }
    // The vector as the plug-in receives it; valid while this object lives
    // and is not changed.
    const fmx::DataVect& vect() const { return *opaque(&m_vect); }

  private:
    HostDataVect m_vect;
};

class HOSTSIM_API Result {
  public:
    // A fresh result: empty, not set, of the host's current locale (type 1).
    Result() = default;
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;

    // The value as the plug-in receives it.
    fmx::Data& data() { return *opaque(&m_data); }

    bool isSet() const { return m_data.set; }
    const std::u16string& text() const { return m_data.text.units; }
    std::string textUtf8() const;
    // Whether the text came in through 8-bit bytes or as UTF-16.
    TextOrigin origin() const { return m_data.text.origin; }
    std::int32_t localeType() const { return m_data.locale.type; }
    std::int32_t dataType() const { return m_data.dataType; }

  private:
    HostData m_data;
};

// A calculation environment to hand a callback.
HOSTSIM_API const fmx::ExprEnv& environment();

// Calls `callback` as the host calls a script function and answers its host
// error code. Exceptions that the callback lets out are not caught here.
HOSTSIM_API short invoke(ExtPluginType callback, short id, const Arguments& args, Result& result);

// The content of any host text and how it was last assigned.
HOSTSIM_API std::u16string unitsOf(const fmx::Text& text);
HOSTSIM_API TextOrigin originOf(const fmx::Text& text);

}  // namespace skrw::hostsim
