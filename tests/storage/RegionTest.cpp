// The region named in credential parameters, and the location constraint of new buckets.
#include <gtest/gtest.h>

#include "storage/RegionParameter.h"
#include "storage/SKFuncs.h"

namespace {

using Aws::S3::Model::BucketLocationConstraint;
using platform::String;
using skrw::storage::regionFromParameters;

String S(const char* text) {
    return String::fromUtf8(text);
}

std::string regionOf(const char* parameters) {
    const String region = regionFromParameters(S(parameters));
    EXPECT_FALSE(region.isNull());
    return region.utf8();
}

TEST(RegionParameter, FirstPairNamedRegionInAnyCaseGivesItsValueAsWritten) {
    EXPECT_EQ(regionOf("Region=eu-west-1"), "eu-west-1");
    EXPECT_EQ(regionOf("foo=1;REGION=us-west-2;region=sa-east-1"), "us-west-2");
    EXPECT_EQ(regionOf("region=EU-West-1"), "EU-West-1");
    EXPECT_EQ(regionOf("region=eu-west-1=x"), "eu-west-1");
    EXPECT_EQ(regionOf("region= eu-west-1 "), " eu-west-1 ");
}

TEST(RegionParameter, NoMatchingPairGivesTheEmptyRegion) {
    EXPECT_EQ(regionOf("region="), "");
    EXPECT_EQ(regionOf("regionx=eu-west-1"), "");
    EXPECT_EQ(regionOf(" region=eu-west-1"), "");
    EXPECT_EQ(regionOf(""), "");
    EXPECT_EQ(regionOf(";;"), "");
    EXPECT_FALSE(regionFromParameters(String()).isNull());
    EXPECT_EQ(regionFromParameters(String()).utf8(), "");
}

TEST(RegionParameter, BareRegionWithoutValueIsPassedOver) {
    EXPECT_EQ(regionOf("region;region=ap-south-1"), "ap-south-1");
    EXPECT_EQ(regionOf("region"), "");
}

TEST(RegionParameter, EarlierEmptyRegionWinsOverLaterOnes) {
    EXPECT_EQ(regionOf("region=;region=eu-west-1"), "");
}

TEST(GetRegion, EveryKnownRegionInAnyCase) {
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
    };
    for (const auto& [name, constraint] : table) {
        EXPECT_EQ(GetRegion(S(name)), constraint) << name;
        EXPECT_EQ(GetRegion(S(name).uppercaseString()), constraint) << name;
    }
    EXPECT_EQ(GetRegion(S("Eu-West-1")), BucketLocationConstraint::eu_west_1);
}

TEST(GetRegion, AnythingElseIsUsEast1) {
    for (const char* name :
         {"", "eu", "EU", "eu-west-1 ", " eu-west-1", "eu_west_1", "mars-1", "eu-south-1"}) {
        EXPECT_EQ(GetRegion(S(name)), BucketLocationConstraint::us_east_1) << '"' << name << '"';
    }
}

}  // namespace
