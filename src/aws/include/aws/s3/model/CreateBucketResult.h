#pragma once

#include <aws/core/utils/memory/stl/AWSString.h>

namespace Aws::S3::Model {

class CreateBucketResult {
  public:
    // The Location header of the answer, when it carried one.
    const Aws::String& GetLocation() const { return m_location; }
    void SetLocation(const Aws::String& value) { m_location = value; }

  private:
    Aws::String m_location;
};

}  // namespace Aws::S3::Model
