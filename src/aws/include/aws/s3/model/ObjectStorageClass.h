#pragma once

#include <aws/core/utils/memory/stl/AWSString.h>

namespace Aws::S3::Model {

enum class ObjectStorageClass {
    NOT_SET,
    STANDARD,
    REDUCED_REDUNDANCY,
    GLACIER,
    STANDARD_IA,
    ONEZONE_IA,
    INTELLIGENT_TIERING,
    DEEP_ARCHIVE
};

namespace ObjectStorageClassMapper {
// The class named by the service's text; NOT_SET for a text it does not know.
ObjectStorageClass GetObjectStorageClassForName(const Aws::String& name);
// The service's text for a class; the empty text for NOT_SET.
Aws::String GetNameForObjectStorageClass(ObjectStorageClass value);
}  // namespace ObjectStorageClassMapper

}  // namespace Aws::S3::Model
