#pragma once

namespace Aws::S3::Model {

class DeleteObjectResult {};

}  // namespace Aws::S3::Model
