#pragma once

#include <aws/core/utils/memory/stl/AWSString.h>

namespace Aws::S3::Model {

class Owner {
  public:
    const Aws::String& GetDisplayName() const { return m_displayName; }
    bool DisplayNameHasBeenSet() const { return m_displayNameHasBeenSet; }
    void SetDisplayName(const Aws::String& value) {
        m_displayName = value;
        m_displayNameHasBeenSet = true;
    }

    const Aws::String& GetID() const { return m_iD; }
    bool IDHasBeenSet() const { return m_iDHasBeenSet; }
    void SetID(const Aws::String& value) {
        m_iD = value;
        m_iDHasBeenSet = true;
    }

  private:
    Aws::String m_displayName;
    bool m_displayNameHasBeenSet = false;
    Aws::String m_iD;
    bool m_iDHasBeenSet = false;
};

}  // namespace Aws::S3::Model
