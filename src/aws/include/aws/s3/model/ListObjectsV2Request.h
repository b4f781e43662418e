#pragma once

#include <aws/core/utils/memory/stl/AWSString.h>

namespace Aws::S3::Model {

// A ListObjectsV2 request. Only the fields that were set are sent, with
// "list-type=2" always; a continuation token set to the empty text is sent
// empty ("continuation-token="), one never set is left out.
class ListObjectsV2Request {
  public:
    const Aws::String& GetBucket() const { return m_bucket; }
    void SetBucket(const Aws::String& value) { m_bucket = value; }
    ListObjectsV2Request& WithBucket(const Aws::String& value) {
        SetBucket(value);
        return *this;
    }

    const Aws::String& GetPrefix() const { return m_prefix; }
    bool PrefixHasBeenSet() const { return m_prefixHasBeenSet; }
    void SetPrefix(const Aws::String& value) {
        m_prefix = value;
        m_prefixHasBeenSet = true;
    }
    ListObjectsV2Request& WithPrefix(const Aws::String& value) {
        SetPrefix(value);
        return *this;
    }

    const Aws::String& GetDelimiter() const { return m_delimiter; }
    bool DelimiterHasBeenSet() const { return m_delimiterHasBeenSet; }
    void SetDelimiter(const Aws::String& value) {
        m_delimiter = value;
        m_delimiterHasBeenSet = true;
    }
    ListObjectsV2Request& WithDelimiter(const Aws::String& value) {
        SetDelimiter(value);
        return *this;
    }

    int GetMaxKeys() const { return m_maxKeys; }
    bool MaxKeysHasBeenSet() const { return m_maxKeysHasBeenSet; }
    void SetMaxKeys(int value) {
        m_maxKeys = value;
        m_maxKeysHasBeenSet = true;
    }
    ListObjectsV2Request& WithMaxKeys(int value) {
        SetMaxKeys(value);
        return *this;
    }

    const Aws::String& GetContinuationToken() const { return m_continuationToken; }
    bool ContinuationTokenHasBeenSet() const { return m_continuationTokenHasBeenSet; }
    void SetContinuationToken(const Aws::String& value) {
        m_continuationToken = value;
        m_continuationTokenHasBeenSet = true;
    }
    ListObjectsV2Request& WithContinuationToken(const Aws::String& value) {
        SetContinuationToken(value);
        return *this;
    }

  private:
    Aws::String m_bucket;
    Aws::String m_prefix;
    bool m_prefixHasBeenSet = false;
    Aws::String m_delimiter;
    bool m_delimiterHasBeenSet = false;
    int m_maxKeys = 0;
    bool m_maxKeysHasBeenSet = false;
    Aws::String m_continuationToken;
    bool m_continuationTokenHasBeenSet = false;
};

}  // namespace Aws::S3::Model
