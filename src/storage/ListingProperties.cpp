#include "storage/ListingProperties.h"

#include <string_view>

namespace skrw::storage {

using Aws::S3::Model::ObjectStorageClass;
using platform::String;

String storageClassText(ObjectStorageClass storageClass) {
    switch (storageClass) {
        case ObjectStorageClass::STANDARD:
        case ObjectStorageClass::REDUCED_REDUNDANCY:
        case ObjectStorageClass::GLACIER:
        case ObjectStorageClass::STANDARD_IA:
        case ObjectStorageClass::ONEZONE_IA:
            // The service's own name, from the S3 layer's table.
            return String::fromUtf8(
                Aws::S3::Model::ObjectStorageClassMapper::GetNameForObjectStorageClass(
                    storageClass));
        default:
            return String::fromUtf8("NOT SET");
    }
}

String isFolderText(const String& key) {
    return String::fromUtf8(key.containsString(String::fromUtf8(".")) ? "false" : "true");
}

String objectPropertyText(const Aws::S3::Model::Object& object, const String& lowercaseName) {
    const std::string_view name = lowercaseName.utf8();
    const String key = String::fromUtf8(object.GetKey());
    if (name == "key" || name == "displayname" || name == "name") return key;
    if (name == "etag") return String::fromUtf8(object.GetETag());
    if (name == "ownername") return String::fromUtf8(object.GetOwner().GetDisplayName());
    if (name == "ownerid") return String::fromUtf8(object.GetOwner().GetID());
    if (name == "size") return String::fromInteger(object.GetSize());
    if (name == "lastmodified") {
        return String::fromUtf8(
            object.GetLastModified().ToLocalTimeString(Aws::Utils::DateFormat::ISO_8601));
    }
    if (name == "isfolder") return isFolderText(key);
    if (name == "storageclass") return storageClassText(object.GetStorageClass());
    return String::fromUtf8("");
}

}  // namespace skrw::storage
