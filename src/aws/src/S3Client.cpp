#include <aws/s3/S3Client.h>

#include <new>
#include <sstream>

#include "Errors.h"
#include "RequestExecutor.h"
#include "WireChecks.h"
#include "XmlParsers.h"

namespace Aws::S3 {

using skrw::aws::OperationAnswer;
using skrw::aws::OperationRequest;

class S3Client::Impl {
  public:
    Impl(const Auth::AWSCredentials& credentials, const Client::ClientConfiguration& configuration,
         Client::AWSAuthV4Signer::PayloadSigningPolicy policy, bool useVirtualAddressing)
        : m_executor(credentials, configuration, policy, useVirtualAddressing) {}

    skrw::aws::RequestExecutor m_executor;
};

namespace {

using namespace Model;

// Runs an operation; any exception (only allocation failures are expected)
// becomes a failed outcome so that none leaves the layer.
template <typename Outcome, typename Body>
Outcome guarded(Body body) {
    try {
        return body();
    } catch (const std::exception& e) {
        return Outcome(skrw::aws::clientFailure(std::string("Internal failure: ") + e.what()));
    } catch (...) {
        return Outcome(skrw::aws::clientFailure("Internal failure."));
    }
}

// The outcome of an answer whose body is the operation's result document.
template <typename Outcome, typename Parser>
Outcome parsed(const OperationAnswer& answer, Parser parser) {
    auto document = parser(answer.body);
    if (!document.ok()) {
        return Outcome(skrw::aws::unreadableAnswer(document.refusal(), answer.response.status));
    }
    return Outcome(std::move(document.result()));
}

OperationRequest bucketRequest(const char* method, const Aws::String& bucket) {
    OperationRequest request;
    request.method = method;
    request.bucket = bucket;
    return request;
}

OperationRequest objectRequest(const char* method, const Aws::String& bucket,
                               const Aws::String& key) {
    OperationRequest request = bucketRequest(method, bucket);
    request.key = key;
    return request;
}

std::string createBucketBody(const CreateBucketConfiguration& configuration) {
    std::string xml =
        "<CreateBucketConfiguration xmlns=\"http://s3.amazonaws.com/doc/2006-03-01/\">";
    if (configuration.LocationConstraintHasBeenSet() &&
        configuration.GetLocationConstraint() != BucketLocationConstraint::NOT_SET) {
        xml += "<LocationConstraint>" +
               BucketLocationConstraintMapper::GetNameForBucketLocationConstraint(
                   configuration.GetLocationConstraint()) +
               "</LocationConstraint>";
    }
    return xml + "</CreateBucketConfiguration>";
}

}  // namespace

S3Client::S3Client(const Auth::AWSCredentials& credentials,
                   const Client::ClientConfiguration& configuration,
                   Client::AWSAuthV4Signer::PayloadSigningPolicy signPayloads,
                   bool useVirtualAddressing)
    : m_impl(
          std::make_unique<Impl>(credentials, configuration, signPayloads, useVirtualAddressing)) {}

S3Client::~S3Client() = default;

ListBucketsOutcome S3Client::ListBuckets() const {
    return guarded<ListBucketsOutcome>([&] {
        const OperationAnswer answer = m_impl->m_executor.execute(bucketRequest("GET", ""));
        if (answer.error) return ListBucketsOutcome(*answer.error);
        return parsed<ListBucketsOutcome>(answer, skrw::aws::parseListBuckets);
    });
}

ListObjectsV2Outcome S3Client::ListObjectsV2(const ListObjectsV2Request& in) const {
    return guarded<ListObjectsV2Outcome>([&] {
        OperationRequest request = bucketRequest("GET", in.GetBucket());
        request.query.emplace_back("list-type", "2");
        if (in.PrefixHasBeenSet()) request.query.emplace_back("prefix", in.GetPrefix());
        if (in.DelimiterHasBeenSet()) request.query.emplace_back("delimiter", in.GetDelimiter());
        if (in.MaxKeysHasBeenSet()) {
            request.query.emplace_back("max-keys", std::to_string(in.GetMaxKeys()));
        }
        if (in.ContinuationTokenHasBeenSet()) {
            request.query.emplace_back("continuation-token", in.GetContinuationToken());
        }
        const OperationAnswer answer = m_impl->m_executor.execute(request);
        if (answer.error) return ListObjectsV2Outcome(*answer.error);
        return parsed<ListObjectsV2Outcome>(answer, skrw::aws::parseListObjectsV2);
    });
}

CreateBucketOutcome S3Client::CreateBucket(const CreateBucketRequest& in) const {
    return guarded<CreateBucketOutcome>([&] {
        OperationRequest request = bucketRequest("PUT", in.GetBucket());
        std::istringstream body;
        if (in.CreateBucketConfigurationHasBeenSet()) {
            body.str(createBucketBody(in.GetCreateBucketConfiguration()));
            request.body = &body;
            request.headers.push_back({"Content-Type", "application/xml"});
        }
        const OperationAnswer answer = m_impl->m_executor.execute(request);
        if (answer.error) return CreateBucketOutcome(*answer.error);
        CreateBucketResult result;
        result.SetLocation(answer.response.header("location").value_or(""));
        return CreateBucketOutcome(std::move(result));
    });
}

DeleteBucketOutcome S3Client::DeleteBucket(const DeleteBucketRequest& in) const {
    return guarded<DeleteBucketOutcome>([&] {
        const OperationAnswer answer =
            m_impl->m_executor.execute(bucketRequest("DELETE", in.GetBucket()));
        if (answer.error) return DeleteBucketOutcome(*answer.error);
        return DeleteBucketOutcome(Aws::NoResult());
    });
}

GetObjectOutcome S3Client::GetObject(const GetObjectRequest& in) const {
    return guarded<GetObjectOutcome>([&] {
        OperationRequest request = objectRequest("GET", in.GetBucket(), in.GetKey());
        request.streamedDownload = true;
        if (in.GetResponseStreamFactory()) {
            request.responseStreamFactory = &in.GetResponseStreamFactory();
        }
        OperationAnswer answer = m_impl->m_executor.execute(request);
        if (answer.error) return GetObjectOutcome(*answer.error);
        skrw::aws::HttpResponse& response = answer.response;
        const bool streamed = response.successBody != nullptr;
        const long long length =
            static_cast<long long>(streamed ? response.successBodyBytes : response.body.size());
        GetObjectResult result(streamed ? std::move(response.successBody)
                                        : response.body.takeStream());
        result.SetContentLength(length);
        result.SetContentType(answer.response.header("content-type").value_or(""));
        result.SetETag(answer.response.header("etag").value_or(""));
        return GetObjectOutcome(std::move(result));
    });
}

PutObjectOutcome S3Client::PutObject(const PutObjectRequest& in) const {
    return guarded<PutObjectOutcome>([&] {
        OperationRequest request = objectRequest("PUT", in.GetBucket(), in.GetKey());
        request.body = in.GetBody().get();
        if (in.ContentLengthHasBeenSet()) {
            request.bodyLength = static_cast<std::uint64_t>(in.GetContentLength());
        }
        request.headers.push_back({"Content-Type", in.ContentTypeHasBeenSet()
                                                       ? in.GetContentType()
                                                       : Aws::String("binary/octet-stream")});
        const OperationAnswer answer = m_impl->m_executor.execute(request);
        if (answer.error) return PutObjectOutcome(*answer.error);
        PutObjectResult result;
        result.SetETag(answer.response.header("etag").value_or(""));
        return PutObjectOutcome(std::move(result));
    });
}

CopyObjectOutcome S3Client::CopyObject(const CopyObjectRequest& in) const {
    return guarded<CopyObjectOutcome>([&] {
        const Aws::String& source = in.GetCopySource();
        if (auto refusal = skrw::aws::bucketNameRefusal(source.substr(0, source.find('/')))) {
            return CopyObjectOutcome(std::move(*refusal));
        }
        OperationRequest request = objectRequest("PUT", in.GetBucket(), in.GetKey());
        request.headers.push_back(
            {"x-amz-copy-source", skrw::aws::encodePathSegments(in.GetCopySource())});
        const OperationAnswer answer = m_impl->m_executor.execute(request);
        if (answer.error) return CopyObjectOutcome(*answer.error);
        return parsed<CopyObjectOutcome>(answer, skrw::aws::parseCopyObjectResult);
    });
}

DeleteObjectOutcome S3Client::DeleteObject(const DeleteObjectRequest& in) const {
    return guarded<DeleteObjectOutcome>([&] {
        const OperationAnswer answer =
            m_impl->m_executor.execute(objectRequest("DELETE", in.GetBucket(), in.GetKey()));
        if (answer.error) return DeleteObjectOutcome(*answer.error);
        return DeleteObjectOutcome(DeleteObjectResult());
    });
}

}  // namespace Aws::S3
