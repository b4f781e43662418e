#pragma once

#include <aws/core/utils/memory/stl/AWSString.h>
#include <aws/s3/model/CreateBucketConfiguration.h>

namespace Aws::S3::Model {

// Creates a bucket. Without a configuration the request has no body.
class CreateBucketRequest {
  public:
    const Aws::String& GetBucket() const { return m_bucket; }
    void SetBucket(const Aws::String& value) { m_bucket = value; }
    CreateBucketRequest& WithBucket(const Aws::String& value) {
        SetBucket(value);
        return *this;
    }

    const CreateBucketConfiguration& GetCreateBucketConfiguration() const {
        return m_createBucketConfiguration;
    }
    bool CreateBucketConfigurationHasBeenSet() const {
        return m_createBucketConfigurationHasBeenSet;
    }
    void SetCreateBucketConfiguration(const CreateBucketConfiguration& value) {
        m_createBucketConfiguration = value;
        m_createBucketConfigurationHasBeenSet = true;
    }
    CreateBucketRequest& WithCreateBucketConfiguration(const CreateBucketConfiguration& value) {
        SetCreateBucketConfiguration(value);
        return *this;
    }

  private:
    Aws::String m_bucket;
    CreateBucketConfiguration m_createBucketConfiguration;
    bool m_createBucketConfigurationHasBeenSet = false;
};

}  // namespace Aws::S3::Model
