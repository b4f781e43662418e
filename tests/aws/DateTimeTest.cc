// Dates beyond the system clock's range (about 1677 to 2262) keep their value.
#include <aws/core/utils/DateTime.h>
#include <gtest/gtest.h>

namespace {

using Aws::Utils::DateFormat;
using Aws::Utils::DateTime;

TEST(DateTimeTest, FarDatesAreReadWholeAndTheClockValueSaturates) {
    const struct {
        const char* text;
        DateFormat format;
        int64_t millis;
    } rows[] = {
        {"4048-01-02T03:04:05.000Z", DateFormat::ISO_8601, 65575451045000},
        {"Thu, 02 Jan 4048 03:04:05 GMT", DateFormat::RFC822, 65575451045000},
        {"0001-01-01T00:00:00Z", DateFormat::AutoDetect, -62135596800000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const DateTime date(row.text, row.format);
        ASSERT_TRUE(date.WasParseSuccessful());
        EXPECT_EQ(date.Millis(), row.millis);
        EXPECT_EQ(DateTime(date.ToGmtString(DateFormat::ISO_8601), DateFormat::ISO_8601), date);
        EXPECT_EQ(date.UnderlyingTimestamp(), row.millis > 0
                                                  ? std::chrono::system_clock::time_point::max()
                                                  : std::chrono::system_clock::time_point::min());
    }
}

}  // namespace
