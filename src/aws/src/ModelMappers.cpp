// Names of the enumerations the service sends and receives.
#include <aws/s3/model/BucketLocationConstraint.h>
#include <aws/s3/model/ObjectStorageClass.h>

#include <array>
#include <string_view>
#include <utility>

namespace Aws::S3::Model {
namespace {

constexpr std::array<std::pair<ObjectStorageClass, std::string_view>, 7> kStorageClasses{{
    {ObjectStorageClass::STANDARD, "STANDARD"},
    {ObjectStorageClass::REDUCED_REDUNDANCY, "REDUCED_REDUNDANCY"},
    {ObjectStorageClass::GLACIER, "GLACIER"},
    {ObjectStorageClass::STANDARD_IA, "STANDARD_IA"},
    {ObjectStorageClass::ONEZONE_IA, "ONEZONE_IA"},
    {ObjectStorageClass::INTELLIGENT_TIERING, "INTELLIGENT_TIERING"},
    {ObjectStorageClass::DEEP_ARCHIVE, "DEEP_ARCHIVE"},
}};

using BLC = BucketLocationConstraint;
constexpr std::array<std::pair<BLC, std::string_view>, 19> kLocations{{
    {BLC::EU, "EU"},
    {BLC::eu_west_1, "eu-west-1"},
    {BLC::us_west_1, "us-west-1"},
    {BLC::us_west_2, "us-west-2"},
    {BLC::ap_south_1, "ap-south-1"},
    {BLC::ap_southeast_1, "ap-southeast-1"},
    {BLC::ap_southeast_2, "ap-southeast-2"},
    {BLC::ap_northeast_1, "ap-northeast-1"},
    {BLC::ap_northeast_2, "ap-northeast-2"},
    {BLC::sa_east_1, "sa-east-1"},
    {BLC::cn_north_1, "cn-north-1"},
    {BLC::eu_central_1, "eu-central-1"},
    {BLC::eu_west_3, "eu-west-3"},
    {BLC::eu_west_2, "eu-west-2"},
    {BLC::ca_central_1, "ca-central-1"},
    {BLC::us_gov_west_1, "us-gov-west-1"},
    {BLC::us_east_1, "us-east-1"},
    {BLC::us_east_2, "us-east-2"},
    {BLC::cn_northwest_1, "cn-northwest-1"},
}};

template <typename Enum, typename Table>
Enum valueFor(const Table& table, const Aws::String& name, Enum none) {
    for (const auto& [value, text] : table) {
        if (text == name) return value;
    }
    return none;
}

template <typename Enum, typename Table>
Aws::String nameFor(const Table& table, Enum value) {
    for (const auto& [member, text] : table) {
        if (member == value) return Aws::String(text);
    }
    return {};
}

}  // namespace

ObjectStorageClass ObjectStorageClassMapper::GetObjectStorageClassForName(const Aws::String& name) {
    return valueFor(kStorageClasses, name, ObjectStorageClass::NOT_SET);
}

Aws::String ObjectStorageClassMapper::GetNameForObjectStorageClass(ObjectStorageClass value) {
    return nameFor(kStorageClasses, value);
}

BucketLocationConstraint BucketLocationConstraintMapper::GetBucketLocationConstraintForName(
    const Aws::String& name) {
    return valueFor(kLocations, name, BLC::NOT_SET);
}

Aws::String BucketLocationConstraintMapper::GetNameForBucketLocationConstraint(
    BucketLocationConstraint value) {
    return nameFor(kLocations, value);
}

}  // namespace Aws::S3::Model
