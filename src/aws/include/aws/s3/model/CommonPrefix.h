#pragma once

#include <aws/core/utils/memory/stl/AWSString.h>

namespace Aws::S3::Model {

class CommonPrefix {
  public:
    const Aws::String& GetPrefix() const { return m_prefix; }
    void SetPrefix(const Aws::String& value) { m_prefix = value; }

  private:
    Aws::String m_prefix;
};

}  // namespace Aws::S3::Model
