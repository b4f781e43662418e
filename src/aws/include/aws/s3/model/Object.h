#pragma once

#include <aws/core/utils/DateTime.h>
#include <aws/core/utils/memory/stl/AWSString.h>
#include <aws/s3/model/ObjectStorageClass.h>
#include <aws/s3/model/Owner.h>

namespace Aws::S3::Model {

// One entry of a bucket listing. Fields the listing did not carry keep their
// defaults: empty texts, size 0, the epoch, NOT_SET, an Owner with empty texts.
class Object {
  public:
    const Aws::String& GetKey() const { return m_key; }
    void SetKey(const Aws::String& value) { m_key = value; }

    const Aws::Utils::DateTime& GetLastModified() const { return m_lastModified; }
    void SetLastModified(const Aws::Utils::DateTime& value) { m_lastModified = value; }

    // The entity tag exactly as listed, enclosing double quotes included.
    const Aws::String& GetETag() const { return m_eTag; }
    void SetETag(const Aws::String& value) { m_eTag = value; }

    long long GetSize() const { return m_size; }
    void SetSize(long long value) { m_size = value; }

    ObjectStorageClass GetStorageClass() const { return m_storageClass; }
    void SetStorageClass(ObjectStorageClass value) { m_storageClass = value; }

    const Owner& GetOwner() const { return m_owner; }
    bool OwnerHasBeenSet() const { return m_ownerHasBeenSet; }
    void SetOwner(const Owner& value) {
        m_owner = value;
        m_ownerHasBeenSet = true;
    }

  private:
    Aws::String m_key;
    Aws::Utils::DateTime m_lastModified;
    Aws::String m_eTag;
    long long m_size = 0;
    ObjectStorageClass m_storageClass = ObjectStorageClass::NOT_SET;
    Owner m_owner;
    bool m_ownerHasBeenSet = false;
};

}  // namespace Aws::S3::Model
