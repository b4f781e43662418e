#pragma once

#include <aws/core/utils/memory/stl/AWSString.h>
#include <aws/core/utils/memory/stl/AWSVector.h>
#include <aws/s3/model/CommonPrefix.h>
#include <aws/s3/model/Object.h>

namespace Aws::S3::Model {

class ListObjectsV2Result {
  public:
    // The objects of this page in the order the service listed them.
    const Aws::Vector<Object>& GetContents() const { return m_contents; }
    void SetContents(Aws::Vector<Object> value) { m_contents = std::move(value); }

    const Aws::Vector<CommonPrefix>& GetCommonPrefixes() const { return m_commonPrefixes; }
    void SetCommonPrefixes(Aws::Vector<CommonPrefix> value) { m_commonPrefixes = std::move(value); }

    bool GetIsTruncated() const { return m_isTruncated; }
    void SetIsTruncated(bool value) { m_isTruncated = value; }

    // The token for the next page; empty when the listing is not truncated.
    const Aws::String& GetNextContinuationToken() const { return m_nextContinuationToken; }
    void SetNextContinuationToken(const Aws::String& value) { m_nextContinuationToken = value; }

    const Aws::String& GetContinuationToken() const { return m_continuationToken; }
    void SetContinuationToken(const Aws::String& value) { m_continuationToken = value; }

    int GetKeyCount() const { return m_keyCount; }
    void SetKeyCount(int value) { m_keyCount = value; }

    int GetMaxKeys() const { return m_maxKeys; }
    void SetMaxKeys(int value) { m_maxKeys = value; }

    const Aws::String& GetName() const { return m_name; }
    void SetName(const Aws::String& value) { m_name = value; }

    const Aws::String& GetPrefix() const { return m_prefix; }
    void SetPrefix(const Aws::String& value) { m_prefix = value; }

    const Aws::String& GetDelimiter() const { return m_delimiter; }
    void SetDelimiter(const Aws::String& value) { m_delimiter = value; }

  private:
    Aws::Vector<Object> m_contents;
    Aws::Vector<CommonPrefix> m_commonPrefixes;
    bool m_isTruncated = false;
    Aws::String m_nextContinuationToken;
    Aws::String m_continuationToken;
    int m_keyCount = 0;
    int m_maxKeys = 0;
    Aws::String m_name;
    Aws::String m_prefix;
    Aws::String m_delimiter;
};

}  // namespace Aws::S3::Model
