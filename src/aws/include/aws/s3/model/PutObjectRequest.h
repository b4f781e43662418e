#pragma once

#include <aws/core/utils/memory/stl/AWSStreamFwd.h>
#include <aws/core/utils/memory/stl/AWSString.h>

#include <memory>

namespace Aws::S3::Model {

// Uploads an object from a stream. The body is read while it is sent, from the
// stream's current position to its end; before a retry it is rewound to that
// position, so the stream must be seekable (a file stream is). Without a body
// the object is empty. Without a content length, the length is measured by
// seeking to the end of the stream. Without a content type,
// "binary/octet-stream" is sent.
class PutObjectRequest {
  public:
    const Aws::String& GetBucket() const { return m_bucket; }
    void SetBucket(const Aws::String& value) { m_bucket = value; }
    PutObjectRequest& WithBucket(const Aws::String& value) {
        SetBucket(value);
        return *this;
    }

    const Aws::String& GetKey() const { return m_key; }
    void SetKey(const Aws::String& value) { m_key = value; }
    PutObjectRequest& WithKey(const Aws::String& value) {
        SetKey(value);
        return *this;
    }

    const std::shared_ptr<Aws::IOStream>& GetBody() const { return m_body; }
    void SetBody(const std::shared_ptr<Aws::IOStream>& body) { m_body = body; }

    const Aws::String& GetContentType() const { return m_contentType; }
    bool ContentTypeHasBeenSet() const { return m_contentTypeHasBeenSet; }
    void SetContentType(const Aws::String& value) {
        m_contentType = value;
        m_contentTypeHasBeenSet = true;
    }

    long long GetContentLength() const { return m_contentLength; }
    bool ContentLengthHasBeenSet() const { return m_contentLengthHasBeenSet; }
    void SetContentLength(long long value) {
        m_contentLength = value;
        m_contentLengthHasBeenSet = true;
    }

  private:
    Aws::String m_bucket;
    Aws::String m_key;
    std::shared_ptr<Aws::IOStream> m_body;
    Aws::String m_contentType;
    bool m_contentTypeHasBeenSet = false;
    long long m_contentLength = 0;
    bool m_contentLengthHasBeenSet = false;
};

}  // namespace Aws::S3::Model
