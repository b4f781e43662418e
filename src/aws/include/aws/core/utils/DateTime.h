#pragma once

#include <aws/core/utils/memory/stl/AWSString.h>

#include <chrono>
#include <cstdint>

namespace Aws::Utils {

enum class DateFormat {
    RFC822,    // "Sun, 06 Nov 1994 08:49:37 GMT"
    ISO_8601,  // "1994-11-06T08:49:37Z" (fractions of a second accepted when parsing)
    AutoDetect
};

// A point in time with millisecond precision, held as milliseconds since the
// epoch so that every date the parsers accept (years 0 to 9999) is
// representable, including those past the system clock's nanosecond range.
class DateTime {
  public:
    // The epoch (1970-01-01T00:00:00Z); WasParseSuccessful() is true.
    DateTime();
    explicit DateTime(std::chrono::system_clock::time_point timepoint);
    explicit DateTime(int64_t millisSinceEpoch);
    // Parses a text; on failure the value is the epoch and WasParseSuccessful()
    // is false.
    DateTime(const Aws::String& text, DateFormat format);

    static DateTime Now();

    bool WasParseSuccessful() const { return m_valid; }
    int64_t Millis() const;
    // The time on the system clock, saturated at the clock's ends for dates
    // beyond its range (about 1677 to 2262).
    std::chrono::system_clock::time_point UnderlyingTimestamp() const;

    // The time in the machine's local time zone. ISO_8601 gives
    // "%Y-%m-%dT%H:%M:%SZ": the final Z is a literal letter, the time is NOT
    // converted to UTC. RFC822 gives "%a, %d %b %Y %H:%M:%S %Z".
    Aws::String ToLocalTimeString(DateFormat format) const;
    // The time in UTC: ISO_8601 "%Y-%m-%dT%H:%M:%SZ", RFC822
    // "%a, %d %b %Y %H:%M:%S GMT".
    Aws::String ToGmtString(DateFormat format) const;

    bool operator==(const DateTime& other) const { return m_millis == other.m_millis; }
    bool operator!=(const DateTime& other) const { return !(*this == other); }

  private:
    int64_t m_millis = 0;
    bool m_valid = true;
};

}  // namespace Aws::Utils
