#pragma once

#include <aws/core/utils/memory/stl/AWSString.h>

namespace Aws::S3::Model {

class PutObjectResult {
  public:
    const Aws::String& GetETag() const { return m_eTag; }
    void SetETag(const Aws::String& value) { m_eTag = value; }

  private:
    Aws::String m_eTag;
};

}  // namespace Aws::S3::Model
