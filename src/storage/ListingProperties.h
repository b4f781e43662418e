#pragma once
// The texts that a bucket listing's objects answer by property name.
#include <aws/s3/model/Object.h>
#include <aws/s3/model/ObjectStorageClass.h>

#include "platform/String.h"

namespace skrw::storage {

// "STANDARD", "REDUCED_REDUNDANCY", "GLACIER", "STANDARD_IA", "ONEZONE_IA"; "NOT SET" for every
// other class, an unset one included.
platform::String storageClassText(Aws::S3::Model::ObjectStorageClass storageClass);

// "true" when the key holds no full stop anywhere (the empty key included), else "false".
platform::String isFolderText(const platform::String& key);

// The answer of one object to a lower-cased per-object property name; the empty text for a name
// that is not a per-object property. Dates are in the machine's local time zone.
platform::String objectPropertyText(const Aws::S3::Model::Object& object,
                                    const platform::String& lowercaseName);

}  // namespace skrw::storage
