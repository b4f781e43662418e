#pragma once

#include <aws/core/utils/memory/stl/AWSString.h>

namespace Aws::Auth {

// Fixed credentials. A non-empty session token is sent as x-amz-security-token.
// The secret key never appears in a message or an error text of this layer.
class AWSCredentials {
  public:
    AWSCredentials() = default;
    AWSCredentials(const Aws::String& accessKeyId, const Aws::String& secretKey,
                   const Aws::String& sessionToken = "")
        : m_accessKeyId(accessKeyId), m_secretKey(secretKey), m_sessionToken(sessionToken) {}

    const Aws::String& GetAWSAccessKeyId() const { return m_accessKeyId; }
    const Aws::String& GetAWSSecretKey() const { return m_secretKey; }
    const Aws::String& GetSessionToken() const { return m_sessionToken; }

    void SetAWSAccessKeyId(const Aws::String& value) { m_accessKeyId = value; }
    void SetAWSSecretKey(const Aws::String& value) { m_secretKey = value; }
    void SetSessionToken(const Aws::String& value) { m_sessionToken = value; }

  private:
    Aws::String m_accessKeyId;
    Aws::String m_secretKey;
    Aws::String m_sessionToken;
};

}  // namespace Aws::Auth
