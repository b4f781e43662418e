// The region named in credential parameters, and the location constraint of new buckets.
#include "storage/Region.h"

#include <aws/s3/model/BucketLocationConstraint.h>

#include "storage/SKFuncs.h"

namespace skrw::storage {

using skrw::platform::String;

String regionFromParameters(const String& parameters) {
    const String empty = String::fromUtf8("");
    if (!isGiven(parameters)) return empty;
    const String regionName = String::fromUtf8("region");
    const String equals = String::fromUtf8("=");
    for (const String& pair : parameters.componentsSeparatedByString(String::fromUtf8(";"))) {
        std::vector<String> pieces = pair.componentsSeparatedByString(equals);
        // A bare "region" has no value to give: it is not a region pair.
        if (pieces.size() < 2) continue;
        if (pieces[0].lowercaseString().isEqualToString(regionName)) return pieces[1];
    }
    return empty;
}

}  // namespace skrw::storage

Aws::S3::Model::BucketLocationConstraint GetRegion(const skrw::platform::String& region) {
    using Aws::S3::Model::BucketLocationConstraint;
    // The S3 layer's table of location names, matched exactly against the lower-cased text. Its
    // one upper-case name, "EU", can never match such a text, and is never chosen.
    const BucketLocationConstraint constraint =
        Aws::S3::Model::BucketLocationConstraintMapper::GetBucketLocationConstraintForName(
            region.lowercaseString().utf8());
    if (constraint == BucketLocationConstraint::NOT_SET ||
        constraint == BucketLocationConstraint::EU) {
        return BucketLocationConstraint::us_east_1;
    }
    return constraint;
}
