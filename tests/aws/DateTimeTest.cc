// Dates: the service's formats are read, and the local-time text keeps the
// local clock time with a literal "Z".
#include <aws/core/utils/DateTime.h>
#include <aws/s3/model/BucketLocationConstraint.h>
#include <aws/s3/model/ObjectStorageClass.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

using Aws::Utils::DateFormat;
using Aws::Utils::DateTime;

class TimeZone {
  public:
    explicit TimeZone(const char* zone) {
        const char* old = std::getenv("TZ");
        if (old != nullptr) m_old = old;
        m_hadOld = old != nullptr;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZone() {
        if (m_hadOld) {
            setenv("TZ", m_old.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

  private:
    std::string m_old;
    bool m_hadOld = false;
};

// Parsing is checked where answers are read (XML parsers, clock skew).
TEST(DateTimeTest, LocalTimeStringIsLocalClockWithLiteralZ) {
    const DateTime date("2019-10-12T17:50:30.000Z", DateFormat::ISO_8601);
    {
        TimeZone zone("UTC0");
        EXPECT_EQ(date.ToLocalTimeString(DateFormat::ISO_8601), "2019-10-12T17:50:30Z");
    }
    {
        TimeZone zone("EST5");  // five hours behind UTC, no summer time
        EXPECT_EQ(date.ToLocalTimeString(DateFormat::ISO_8601), "2019-10-12T12:50:30Z");
    }
    EXPECT_EQ(date.ToGmtString(DateFormat::ISO_8601), "2019-10-12T17:50:30Z");
}

// Dates beyond the system clock's range (about 1677 to 2262) keep their value.
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

// Names sent to and read from the service: a wrong spelling is a refused request.
TEST(ModelNamesTest, StorageClassAndLocationNames) {
    using namespace Aws::S3::Model;
    for (const char* name :
         {"STANDARD", "REDUCED_REDUNDANCY", "GLACIER", "STANDARD_IA", "ONEZONE_IA"}) {
        const auto value = ObjectStorageClassMapper::GetObjectStorageClassForName(name);
        EXPECT_NE(value, ObjectStorageClass::NOT_SET) << name;
        EXPECT_EQ(ObjectStorageClassMapper::GetNameForObjectStorageClass(value), name);
    }
    for (const char* unknown : {"standard", "EXPRESS_ONEZONE"}) {
        EXPECT_EQ(ObjectStorageClassMapper::GetObjectStorageClassForName(unknown),
                  ObjectStorageClass::NOT_SET);
    }
    using namespace Aws::S3::Model::BucketLocationConstraintMapper;
    const std::pair<BucketLocationConstraint, const char*> locations[] = {
        {BucketLocationConstraint::eu_west_1, "eu-west-1"},
        {BucketLocationConstraint::us_gov_west_1, "us-gov-west-1"},
        {BucketLocationConstraint::cn_northwest_1, "cn-northwest-1"},
        {BucketLocationConstraint::EU, "EU"},
        {BucketLocationConstraint::NOT_SET, ""}};
    for (const auto& [value, name] : locations) {
        EXPECT_EQ(GetNameForBucketLocationConstraint(value), name);
    }
    EXPECT_EQ(GetBucketLocationConstraintForName("ap-northeast-2"),
              BucketLocationConstraint::ap_northeast_2);
}

}  // namespace
