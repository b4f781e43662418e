// The location constraint of new buckets.
#include <array>
#include <string_view>
#include <utility>

#include "storage/SKFuncs.h"

using Aws::S3::Model::BucketLocationConstraint;

namespace {

// Looked at in this order; the first equal name wins.
constexpr std::array<std::pair<std::string_view, BucketLocationConstraint>, 18> kRegions{{
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
}};

}  // namespace

BucketLocationConstraint GetRegion(const platform::String& region) {
    const platform::String lowered = region.lowercaseString();
    const std::string_view name = lowered.utf8();
    for (const auto& [regionName, constraint] : kRegions) {
        if (regionName == name) return constraint;
    }
    return BucketLocationConstraint::us_east_1;
}
