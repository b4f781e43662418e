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

TEST(DateTimeTest, ParsesIsoWithAndWithoutFraction) {
    EXPECT_EQ(DateTime("2019-10-12T17:50:30.000Z", DateFormat::ISO_8601).Millis(), 1570902630000);
    EXPECT_EQ(DateTime("2019-10-12T17:50:30Z", DateFormat::ISO_8601).Millis(), 1570902630000);
    EXPECT_EQ(DateTime("2019-10-12T17:50:30.5Z", DateFormat::ISO_8601).Millis(), 1570902630500);
    EXPECT_FALSE(DateTime("yesterday", DateFormat::ISO_8601).WasParseSuccessful());
    EXPECT_FALSE(DateTime("2019-13-12T17:50:30Z", DateFormat::ISO_8601).WasParseSuccessful());
}

TEST(DateTimeTest, ParsesHttpDates) {
    const DateTime date("Fri, 24 May 2013 00:00:00 GMT", DateFormat::RFC822);
    ASSERT_TRUE(date.WasParseSuccessful());
    EXPECT_EQ(date.Millis(), 1369353600000);
    EXPECT_EQ(date.ToGmtString(DateFormat::RFC822), "Fri, 24 May 2013 00:00:00 GMT");
}

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

TEST(ModelNamesTest, StorageClassNamesRoundTripAndUnknownIsNotSet) {
    using namespace Aws::S3::Model;
    for (const char* name :
         {"STANDARD", "REDUCED_REDUNDANCY", "GLACIER", "STANDARD_IA", "ONEZONE_IA"}) {
        const auto value = ObjectStorageClassMapper::GetObjectStorageClassForName(name);
        EXPECT_NE(value, ObjectStorageClass::NOT_SET) << name;
        EXPECT_EQ(ObjectStorageClassMapper::GetNameForObjectStorageClass(value), name);
    }
    EXPECT_EQ(ObjectStorageClassMapper::GetObjectStorageClassForName("standard"),
              ObjectStorageClass::NOT_SET);
    EXPECT_EQ(ObjectStorageClassMapper::GetObjectStorageClassForName("EXPRESS_ONEZONE"),
              ObjectStorageClass::NOT_SET);
}

TEST(ModelNamesTest, LocationConstraintsAreSentWithHyphens) {
    using namespace Aws::S3::Model;
    using namespace Aws::S3::Model::BucketLocationConstraintMapper;
    EXPECT_EQ(GetNameForBucketLocationConstraint(BucketLocationConstraint::eu_west_1), "eu-west-1");
    EXPECT_EQ(GetNameForBucketLocationConstraint(BucketLocationConstraint::us_gov_west_1),
              "us-gov-west-1");
    EXPECT_EQ(GetNameForBucketLocationConstraint(BucketLocationConstraint::cn_northwest_1),
              "cn-northwest-1");
    EXPECT_EQ(GetNameForBucketLocationConstraint(BucketLocationConstraint::us_east_1), "us-east-1");
    EXPECT_EQ(GetNameForBucketLocationConstraint(BucketLocationConstraint::EU), "EU");
    EXPECT_EQ(GetNameForBucketLocationConstraint(BucketLocationConstraint::NOT_SET), "");
    EXPECT_EQ(GetBucketLocationConstraintForName("ap-northeast-2"),
              BucketLocationConstraint::ap_northeast_2);
}

}  // namespace
