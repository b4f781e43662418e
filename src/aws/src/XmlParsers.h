#pragma once

#include <aws/s3/model/CopyObjectResult.h>
#include <aws/s3/model/ListBucketsResult.h>
#include <aws/s3/model/ListObjectsV2Result.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace skrw::aws {

// Pure parsers from a service answer's XML body to the result types. Bodies
// larger than kMaxDocumentBytes, documents with a document type declaration
// and malformed documents are refused; entities other than the predefined five
// and character references are never expanded. Element names are matched
// without a namespace prefix. Every text is read byte for byte: line ends are
// not normalised and text made only of white space is kept. A parser answers
// the result, or the reason it refused the body: never both, never neither.

struct ServiceError {
    std::string code;
    std::string message;
};

// The S3 error document (root <Error>) with its Code and Message, or nothing
// when the body is not one.
[[nodiscard]] std::optional<ServiceError> parseErrorDocument(std::string_view body);

// Why a body was refused.
struct XmlRefusal {
    std::string reason;
};

// What a parser answers: a result, or the refusal that stands in its place.
template <typename Result>
class [[nodiscard]] Parsed {
  public:
    Parsed(Result result) : m_answer(std::move(result)) {}
    Parsed(XmlRefusal refusal) : m_answer(std::move(refusal)) {}

    bool ok() const { return std::holds_alternative<Result>(m_answer); }
    // Only when ok() (std::bad_variant_access otherwise).
    Result& result() { return std::get<Result>(m_answer); }
    const Result& result() const { return std::get<Result>(m_answer); }
    // Only when !ok() (std::bad_variant_access otherwise).
    const std::string& refusal() const { return std::get<XmlRefusal>(m_answer).reason; }

  private:
    std::variant<Result, XmlRefusal> m_answer;
};

Parsed<Aws::S3::Model::ListBucketsResult> parseListBuckets(std::string_view body);
Parsed<Aws::S3::Model::ListObjectsV2Result> parseListObjectsV2(std::string_view body);
Parsed<Aws::S3::Model::CopyObjectResult> parseCopyObjectResult(std::string_view body);

}  // namespace skrw::aws
