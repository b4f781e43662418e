#include <aws/s3/model/GetObjectResult.h>

#include <sstream>

namespace Aws::S3::Model {

GetObjectResult::GetObjectResult() : m_body(std::make_unique<std::stringstream>()) {}

GetObjectResult::GetObjectResult(std::unique_ptr<Aws::IOStream> body) : m_body(std::move(body)) {
    if (!m_body) m_body = std::make_unique<std::stringstream>();
}

GetObjectResult::GetObjectResult(GetObjectResult&&) noexcept = default;
GetObjectResult& GetObjectResult::operator=(GetObjectResult&&) noexcept = default;
GetObjectResult::~GetObjectResult() = default;

}  // namespace Aws::S3::Model
