#pragma once

#include <aws/core/utils/memory/stl/AWSStreamFwd.h>
#include <aws/core/utils/memory/stl/AWSString.h>

namespace Aws::S3::Model {

// Keys are sent byte-exact: "a//b", "a/../b" and "./x" name those very keys.
class GetObjectRequest {
  public:
    const Aws::String& GetBucket() const { return m_bucket; }
    void SetBucket(const Aws::String& value) { m_bucket = value; }
    GetObjectRequest& WithBucket(const Aws::String& value) {
        SetBucket(value);
        return *this;
    }

    const Aws::String& GetKey() const { return m_key; }
    void SetKey(const Aws::String& value) { m_key = value; }
    GetObjectRequest& WithKey(const Aws::String& value) {
        SetKey(value);
        return *this;
    }

    // Where the object's bytes go. Without a factory the body is collected
    // in memory up to a bound, then in an unnamed temporary file. With one,
    // every attempt that the service answers with success asks it for a new
    // stream (the previous attempt's stream deleted first) and writes the
    // body straight into that, so a retry starts again from an empty stream;
    // the stream of the final attempt becomes the result's body. The client
    // owns and deletes every stream it was given. A null stream, or one that
    // fails a write, fails the request without a retry.
    const Aws::IOStreamFactory& GetResponseStreamFactory() const { return m_responseStreamFactory; }
    void SetResponseStreamFactory(const Aws::IOStreamFactory& factory) {
        m_responseStreamFactory = factory;
    }

  private:
    Aws::String m_bucket;
    Aws::String m_key;
    Aws::IOStreamFactory m_responseStreamFactory;
};

}  // namespace Aws::S3::Model
