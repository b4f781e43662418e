#pragma once

#include <aws/core/utils/memory/stl/AWSString.h>

namespace Aws::S3::Model {

// Keys are sent byte-exact: "a//b", "a/../b" and "./x" name those very keys.
class DeleteObjectRequest {
  public:
    const Aws::String& GetBucket() const { return m_bucket; }
    void SetBucket(const Aws::String& value) { m_bucket = value; }
    DeleteObjectRequest& WithBucket(const Aws::String& value) {
        SetBucket(value);
        return *this;
    }

    const Aws::String& GetKey() const { return m_key; }
    void SetKey(const Aws::String& value) { m_key = value; }
    DeleteObjectRequest& WithKey(const Aws::String& value) {
        SetKey(value);
        return *this;
    }

  private:
    Aws::String m_bucket;
    Aws::String m_key;
};

}  // namespace Aws::S3::Model
