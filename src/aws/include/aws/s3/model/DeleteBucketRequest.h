#pragma once

#include <aws/core/utils/memory/stl/AWSString.h>

namespace Aws::S3::Model {

class DeleteBucketRequest {
  public:
    const Aws::String& GetBucket() const { return m_bucket; }
    void SetBucket(const Aws::String& value) { m_bucket = value; }
    DeleteBucketRequest& WithBucket(const Aws::String& value) {
        SetBucket(value);
        return *this;
    }

  private:
    Aws::String m_bucket;
};

}  // namespace Aws::S3::Model
