#include <aws/core/utils/DateTime.h>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace Aws::Utils {
namespace {

using Clock = std::chrono::system_clock;

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool validFields(const std::tm& tm) {
    return tm.tm_mon >= 0 && tm.tm_mon < 12 && tm.tm_mday >= 1 && tm.tm_mday <= 31 &&
           tm.tm_hour >= 0 && tm.tm_hour < 24 && tm.tm_min >= 0 && tm.tm_min < 60 &&
           tm.tm_sec >= 0 && tm.tm_sec <= 60;
}

// "2013-05-24T00:00:00Z", "2013-05-24T00:00:00.123Z".
bool parseIso8601(const std::string& text, int64_t& out) {
    std::tm tm{};
    int millis = 0;
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                    &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &consumed) != 6) {
        return false;
    }
    const char* rest = text.c_str() + consumed;
    if (*rest == '.') {
        ++rest;
        int digits = 0;
        while (*rest >= '0' && *rest <= '9') {
            if (digits < 3) millis = millis * 10 + (*rest - '0');
            ++digits;
            ++rest;
        }
        if (digits == 0) return false;
        for (; digits < 3; ++digits) millis *= 10;
    }
    if (std::strcmp(rest, "Z") != 0 && std::strcmp(rest, "+00:00") != 0) return false;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    if (!validFields(tm)) return false;
    out = static_cast<int64_t>(timegm(&tm)) * 1000 + millis;
    return true;
}

// "Fri, 24 May 2013 00:00:00 GMT".
bool parseRfc822(const std::string& text, int64_t& out) {
    std::tm tm{};
    char weekday[4] = {}, month[4] = {}, zone[4] = {};
    if (std::sscanf(text.c_str(), "%3s, %2d %3s %4d %2d:%2d:%2d %3s", weekday, &tm.tm_mday, month,
                    &tm.tm_year, &tm.tm_hour, &tm.tm_min, &tm.tm_sec, zone) != 8) {
        return false;
    }
    if (std::strcmp(zone, "GMT") != 0 && std::strcmp(zone, "UTC") != 0) return false;
    tm.tm_mon = -1;
    for (int i = 0; i < 12; ++i) {
        if (std::strcmp(month, kMonths[i]) == 0) tm.tm_mon = i;
    }
    tm.tm_year -= 1900;
    if (!validFields(tm)) return false;
    out = static_cast<int64_t>(timegm(&tm)) * 1000;
    return true;
}

// Whole seconds, rounded toward the past as the clock's own conversion does.
std::time_t secondsOf(int64_t millis) {
    const int64_t seconds = millis / 1000;
    return static_cast<std::time_t>(millis % 1000 < 0 ? seconds - 1 : seconds);
}

Aws::String format(int64_t millis, DateFormat dateFormat, bool local) {
    const std::time_t seconds = secondsOf(millis);
    std::tm tm{};
    if (local) {
        localtime_r(&seconds, &tm);
    } else {
        gmtime_r(&seconds, &tm);
    }
    const char* pattern = "%Y-%m-%dT%H:%M:%SZ";
    if (dateFormat == DateFormat::RFC822) {
        pattern = local ? "%a, %d %b %Y %H:%M:%S %Z" : "%a, %d %b %Y %H:%M:%S GMT";
    }
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, pattern, &tm);
    return Aws::String(text, length);
}

}  // namespace

DateTime::DateTime() = default;

DateTime::DateTime(Clock::time_point timepoint)
    : m_millis(std::chrono::duration_cast<std::chrono::milliseconds>(timepoint.time_since_epoch())
                   .count()) {}

DateTime::DateTime(int64_t millisSinceEpoch) : m_millis(millisSinceEpoch) {}

DateTime::DateTime(const Aws::String& text, DateFormat dateFormat) {
    int64_t parsed = 0;
    bool ok = false;
    if (dateFormat != DateFormat::RFC822) ok = parseIso8601(text, parsed);
    if (!ok && dateFormat != DateFormat::ISO_8601) ok = parseRfc822(text, parsed);
    m_valid = ok;
    if (ok) m_millis = parsed;
}

DateTime DateTime::Now() {
    return DateTime(Clock::now());
}

int64_t DateTime::Millis() const {
    return m_millis;
}

Clock::time_point DateTime::UnderlyingTimestamp() const {
    using Millis = std::chrono::duration<int64_t, std::milli>;
    constexpr int64_t kLatest =
        std::chrono::duration_cast<Millis>(Clock::time_point::max().time_since_epoch()).count();
    constexpr int64_t kEarliest =
        std::chrono::duration_cast<Millis>(Clock::time_point::min().time_since_epoch()).count();
    if (m_millis >= kLatest) return Clock::time_point::max();
    if (m_millis <= kEarliest) return Clock::time_point::min();
    return Clock::time_point{} + std::chrono::duration_cast<Clock::duration>(Millis(m_millis));
}

Aws::String DateTime::ToLocalTimeString(DateFormat dateFormat) const {
    return format(m_millis, dateFormat, true);
}

Aws::String DateTime::ToGmtString(DateFormat dateFormat) const {
    return format(m_millis, dateFormat, false);
}

}  // namespace Aws::Utils
