#pragma once

#include <aws/core/utils/DateTime.h>
#include <aws/core/utils/memory/stl/AWSString.h>

namespace Aws::S3::Model {

class Bucket {
  public:
    const Aws::String& GetName() const { return m_name; }
    void SetName(const Aws::String& value) { m_name = value; }

    const Aws::Utils::DateTime& GetCreationDate() const { return m_creationDate; }
    void SetCreationDate(const Aws::Utils::DateTime& value) { m_creationDate = value; }

  private:
    Aws::String m_name;
    Aws::Utils::DateTime m_creationDate;
};

}  // namespace Aws::S3::Model
