#pragma once

#include <aws/core/utils/memory/stl/AWSStreamFwd.h>
#include <aws/core/utils/memory/stl/AWSString.h>

#include <memory>

namespace Aws::S3::Model {

// A downloaded object. The body is held in memory up to a bound (a few MiB)
// and beyond it in an unnamed temporary file, so large objects do not take
// their size in memory. The body stream is positioned at its start and reads
// the whole object; it lives as long as this result. When the request had a
// response stream factory, the body is the stream it made, holding the whole
// object and left where the writes ended. Move-only.
class GetObjectResult {
  public:
    GetObjectResult();
    explicit GetObjectResult(std::unique_ptr<Aws::IOStream> body);
    GetObjectResult(GetObjectResult&&) noexcept;
    GetObjectResult& operator=(GetObjectResult&&) noexcept;
    GetObjectResult(const GetObjectResult&) = delete;
    GetObjectResult& operator=(const GetObjectResult&) = delete;
    ~GetObjectResult();

    Aws::IOStream& GetBody() const { return *m_body; }

    long long GetContentLength() const { return m_contentLength; }
    void SetContentLength(long long value) { m_contentLength = value; }

    const Aws::String& GetContentType() const { return m_contentType; }
    void SetContentType(const Aws::String& value) { m_contentType = value; }

    const Aws::String& GetETag() const { return m_eTag; }
    void SetETag(const Aws::String& value) { m_eTag = value; }

  private:
    std::unique_ptr<Aws::IOStream> m_body;
    long long m_contentLength = 0;
    Aws::String m_contentType;
    Aws::String m_eTag;
};

}  // namespace Aws::S3::Model
