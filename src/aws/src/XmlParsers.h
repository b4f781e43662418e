#pragma once

#include <aws/s3/model/CopyObjectResult.h>
#include <aws/s3/model/ListBucketsResult.h>
#include <aws/s3/model/ListObjectsV2Result.h>

#include <optional>
#include <string>
#include <string_view>

namespace skrw::aws {

// Pure parsers from a service answer's XML body to the result types. Bodies
// larger than kMaxDocumentBytes, documents with a document type declaration
// and malformed documents are refused; entities other than the predefined five
// and character references are never expanded. Element names are matched
// without a namespace prefix. Every text is read byte for byte: line ends are
// not normalised and text made only of white space is kept. A parser answers
// the empty text on success and the reason on refusal.

struct ServiceError {
    std::string code;
    std::string message;
};

// The S3 error document (root <Error>) with its Code and Message, or nothing
// when the body is not one.
std::optional<ServiceError> parseErrorDocument(std::string_view body);

std::string parseListBuckets(std::string_view body, Aws::S3::Model::ListBucketsResult& out);
std::string parseListObjectsV2(std::string_view body, Aws::S3::Model::ListObjectsV2Result& out);
std::string parseCopyObjectResult(std::string_view body, Aws::S3::Model::CopyObjectResult& out);

}  // namespace skrw::aws
