#pragma once

#include <aws/s3/model/BucketLocationConstraint.h>

namespace Aws::S3::Model {

// The body of a CreateBucket request. A NOT_SET constraint sends an empty
// configuration element.
class CreateBucketConfiguration {
  public:
    BucketLocationConstraint GetLocationConstraint() const { return m_locationConstraint; }
    bool LocationConstraintHasBeenSet() const { return m_locationConstraintHasBeenSet; }
    void SetLocationConstraint(BucketLocationConstraint value) {
        m_locationConstraint = value;
        m_locationConstraintHasBeenSet = true;
    }
    CreateBucketConfiguration& WithLocationConstraint(BucketLocationConstraint value) {
        SetLocationConstraint(value);
        return *this;
    }

  private:
    BucketLocationConstraint m_locationConstraint = BucketLocationConstraint::NOT_SET;
    bool m_locationConstraintHasBeenSet = false;
};

}  // namespace Aws::S3::Model
