// The region named in credential parameters, and the location constraint of new buckets.
#include <gtest/gtest.h>

#include "storage/Region.h"
#include "storage/SKFuncs.h"

namespace {

using Aws::S3::Model::BucketLocationConstraint;
using platform::String;

String S(const char* text) {
    return String::fromUtf8(text);
}

TEST(RegionParameter, FirstPairNamedRegionInAnyCaseGivesItsValueAsWritten) {
    const struct {
        const char* parameters;
        const char* region;
    } rows[] = {
        {"Region=eu-west-1", "eu-west-1"},
        {"foo=1;REGION=us-west-2;region=sa-east-1", "us-west-2"},
        {"region=EU-West-1", "EU-West-1"},
        {"region=eu-west-1=x", "eu-west-1"},
        {"region= eu-west-1 ", " eu-west-1 "},
        // A bare "region" without "=" is passed over; an earlier empty value still wins.
        {"region;region=ap-south-1", "ap-south-1"},
        {"region=;region=eu-west-1", ""},
        {"region", ""},
        {"region=", ""},
        {"regionx=eu-west-1", ""},
        {" region=eu-west-1", ""},
        {"", ""},
        {";;", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.parameters);
        const String region = skrw::storage::regionFromParameters(S(row.parameters));
        EXPECT_FALSE(region.isNull());
        EXPECT_EQ(region.utf8(), row.region);
    }
    EXPECT_FALSE(skrw::storage::regionFromParameters(String()).isNull());
    EXPECT_EQ(skrw::storage::regionFromParameters(String()).utf8(), "");
}

TEST(GetRegion, EveryKnownRegionInAnyCaseAndUsEast1ForAnythingElse) {
    const std::pair<const char*, BucketLocationConstraint> table[] = {
        {"eu-west-1", BucketLocationConstraint::eu_west_1},
        {"us-west-1", BucketLocationConstraint::us_west_1},
        {"us-west-2", BucketLocationConstraint::us_west_2},
        {"ap-south-1", BucketLocationConstraint::ap_south_1},
        {"ap-southeast-1", BucketLocationConstraint::ap_southeast_1},
        {"ap-southeast-2", BucketLocationConstraint::ap_southeast_2},
        {"ap-northeast-1", BucketLocationConstraint::ap_northeast_1},
        {"ap-northeast-2", BucketLocationConstraint::ap_northeast_2},
        {"sa-east-1", BucketLocationConstraint::sa_east_1},
        {"cn-north-1", BucketLocationConstraint::cn_north_1},
        {"eu-central-1", BucketLocationConstraint::eu_central_1},
        {"eu-west-3", BucketLocationConstraint::eu_west_3},
        {"eu-west-2", BucketLocationConstraint::eu_west_2},
        {"ca-central-1", BucketLocationConstraint::ca_central_1},
        {"us-gov-west-1", BucketLocationConstraint::us_gov_west_1},
        {"us-east-1", BucketLocationConstraint::us_east_1},
        {"us-east-2", BucketLocationConstraint::us_east_2},
        {"cn-northwest-1", BucketLocationConstraint::cn_northwest_1},
        {"Eu-West-1", BucketLocationConstraint::eu_west_1},
    };
    for (const auto& [name, constraint] : table) {
        EXPECT_EQ(GetRegion(S(name)), constraint) << name;
        EXPECT_EQ(GetRegion(S(name).uppercaseString()), constraint) << name;
    }
    for (const char* name :
         {"", "eu", "EU", "eu-west-1 ", " eu-west-1", "eu_west_1", "mars-1", "eu-south-1"}) {
        EXPECT_EQ(GetRegion(S(name)), BucketLocationConstraint::us_east_1) << '"' << name << '"';
    }
}

}  // namespace
