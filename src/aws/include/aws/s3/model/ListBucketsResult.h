#pragma once

#include <aws/core/utils/memory/stl/AWSVector.h>
#include <aws/s3/model/Bucket.h>
#include <aws/s3/model/Owner.h>

namespace Aws::S3::Model {

class ListBucketsResult {
  public:
    // The buckets in the order the service listed them.
    const Aws::Vector<Bucket>& GetBuckets() const { return m_buckets; }
    void SetBuckets(Aws::Vector<Bucket> value) { m_buckets = std::move(value); }

    const Owner& GetOwner() const { return m_owner; }
    void SetOwner(const Owner& value) { m_owner = value; }

  private:
    Aws::Vector<Bucket> m_buckets;
    Owner m_owner;
};

}  // namespace Aws::S3::Model
