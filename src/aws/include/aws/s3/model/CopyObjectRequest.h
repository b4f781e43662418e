#pragma once

#include <aws/core/utils/memory/stl/AWSString.h>

namespace Aws::S3::Model {

// Copies an object inside the service. The copy source is the plain text
// "sourcebucket/sourcekey"; the request percent-encodes it once itself (each
// "/"-separated part, unreserved characters kept), so it must not be encoded
// beforehand.
class CopyObjectRequest {
  public:
    const Aws::String& GetBucket() const { return m_bucket; }
    void SetBucket(const Aws::String& value) { m_bucket = value; }
    CopyObjectRequest& WithBucket(const Aws::String& value) {
        SetBucket(value);
        return *this;
    }

    const Aws::String& GetKey() const { return m_key; }
    void SetKey(const Aws::String& value) { m_key = value; }
    CopyObjectRequest& WithKey(const Aws::String& value) {
        SetKey(value);
        return *this;
    }

    const Aws::String& GetCopySource() const { return m_copySource; }
    void SetCopySource(const Aws::String& value) { m_copySource = value; }
    CopyObjectRequest& WithCopySource(const Aws::String& value) {
        SetCopySource(value);
        return *this;
    }

  private:
    Aws::String m_bucket;
    Aws::String m_key;
    Aws::String m_copySource;
};

}  // namespace Aws::S3::Model
