#pragma once

#include <aws/core/utils/memory/stl/AWSString.h>

namespace Aws::S3::Model {

// A region in which a bucket is created. Each member is sent as the region
// name it stands for, underscores written as hyphens ("eu_west_1" is sent as
// "eu-west-1"); EU is sent as "EU".
enum class BucketLocationConstraint {
    NOT_SET,
    EU,
    eu_west_1,
    us_west_1,
    us_west_2,
    ap_south_1,
    ap_southeast_1,
    ap_southeast_2,
    ap_northeast_1,
    ap_northeast_2,
    sa_east_1,
    cn_north_1,
    eu_central_1,
    eu_west_3,
    eu_west_2,
    ca_central_1,
    us_gov_west_1,
    us_east_1,
    us_east_2,
    cn_northwest_1
};

namespace BucketLocationConstraintMapper {
// NOT_SET for a name that is not a member.
BucketLocationConstraint GetBucketLocationConstraintForName(const Aws::String& name);
// The empty text for NOT_SET.
Aws::String GetNameForBucketLocationConstraint(BucketLocationConstraint value);
}  // namespace BucketLocationConstraintMapper

}  // namespace Aws::S3::Model
