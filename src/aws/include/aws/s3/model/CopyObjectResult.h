#pragma once

#include <aws/core/utils/DateTime.h>
#include <aws/core/utils/memory/stl/AWSString.h>

namespace Aws::S3::Model {

class CopyObjectResult {
  public:
    const Aws::String& GetETag() const { return m_eTag; }
    void SetETag(const Aws::String& value) { m_eTag = value; }

    const Aws::Utils::DateTime& GetLastModified() const { return m_lastModified; }
    void SetLastModified(const Aws::Utils::DateTime& value) { m_lastModified = value; }

  private:
    Aws::String m_eTag;
    Aws::Utils::DateTime m_lastModified;
};

}  // namespace Aws::S3::Model
