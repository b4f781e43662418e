#include "RequestExecutor.h"

#include <aws/core/utils/DateTime.h>

#include <thread>
#include <vector>

#include "EnvironmentSetting.h"
#include "Errors.h"
#include "WireChecks.h"

namespace skrw::aws {

using Aws::Client::AWSAuthV4Signer;
using Aws::S3::S3Error;

struct RequestExecutor::PreparedBody {
    std::istream* stream = nullptr;
    std::istream::pos_type start{};
    std::uint64_t length = 0;
    std::string payloadHash;
};

namespace {

constexpr std::string_view kService = "s3";
constexpr char kUnreadableUpload[] = "The upload body could not be read.";
constexpr std::size_t kHashChunk = 1u << 20;

// Hashes the stream from its position to the end and leaves the position where
// it began. False when the stream cannot be read to the announced length.
bool hashStream(std::istream& stream, std::istream::pos_type start, std::uint64_t length,
                std::string& hex) {
    Sha256 hash;
    std::vector<char> chunk(kHashChunk);
    std::uint64_t left = length;
    while (left > 0) {
        const auto want = static_cast<std::streamsize>(std::min<std::uint64_t>(left, chunk.size()));
        stream.read(chunk.data(), want);
        const std::streamsize got = stream.gcount();
        if (got <= 0) return false;
        hash.update(chunk.data(), static_cast<std::size_t>(got));
        left -= static_cast<std::uint64_t>(got);
    }
    hex = toHex(hash.finish());
    stream.clear();
    stream.seekg(start);
    return !stream.fail();
}

OperationAnswer failed(S3Error error) {
    OperationAnswer answer;
    answer.error = std::move(error);
    return answer;
}

bool rewind(std::istream& stream, std::istream::pos_type start) {
    stream.clear();
    stream.seekg(start);
    return !stream.fail();
}

}  // namespace

RequestExecutor::RequestExecutor(const Aws::Auth::AWSCredentials& credentials,
                                 const Aws::Client::ClientConfiguration& configuration,
                                 AWSAuthV4Signer::PayloadSigningPolicy policy,
                                 bool useVirtualAddressing)
    : m_credentials(credentials),
      m_region(configuration.region),
      m_useVirtualAddressing(useVirtualAddressing),
      m_signPayloadOverHttps(policy != AWSAuthV4Signer::PayloadSigningPolicy::Never),
      m_retry(RetryPolicy::fromEnvironment(configuration.maxRetries)) {
    const bool https = configuration.scheme == Aws::Http::Scheme::HTTPS;
    if (auto fromEnvironment = endpointFromEnvironment()) {
        m_endpoint = *fromEnvironment;
    } else {
        m_endpoint = defaultEndpoint(m_region, https);
        // The region becomes part of the host name: a text that could steer the
        // request to some other host is refused instead.
        if (!isValidRegionName(m_region)) {
            m_configurationError =
                clientFailure("The region \"" + m_region + "\" is not a valid region name.");
        }
    }
    m_settings.connectTimeoutMs = configuration.connectTimeoutMs;
    m_settings.lowSpeedTimeSeconds = std::max(1L, configuration.requestTimeoutMs / 1000);
    m_settings.lowSpeedLimit = static_cast<long>(std::max(1UL, configuration.lowSpeedLimit));
    m_settings.verifyTls = configuration.verifySSL;
    m_settings.caBundle = textFromEnvironment("AWS_CA_BUNDLE").value_or("");
    m_settings.headTimeout =
        millisecondsFromEnvironment("SKRW_AWS_HEAD_TIMEOUT_MS", 1).value_or(m_settings.headTimeout);
}

std::optional<S3Error> RequestExecutor::prepareBody(const OperationRequest& request,
                                                    PreparedBody& prepared) const {
    const bool signBody = !m_endpoint.https || m_signPayloadOverHttps;
    prepared.payloadHash =
        signBody ? std::string(kEmptyPayloadHash) : std::string(kUnsignedPayload);
    if (request.body == nullptr) return std::nullopt;
    std::istream& stream = *request.body;
    prepared.stream = &stream;
    prepared.start = stream.tellg();
    if (prepared.start == std::istream::pos_type(-1)) {
        return clientFailure(kUnreadableUpload);
    }
    if (request.bodyLength) {
        prepared.length = *request.bodyLength;
    } else {
        stream.seekg(0, std::ios_base::end);
        const auto end = stream.tellg();
        if (end == std::istream::pos_type(-1) || !rewind(stream, prepared.start)) {
            return clientFailure(kUnreadableUpload);
        }
        prepared.length = static_cast<std::uint64_t>(end - prepared.start);
    }
    if (signBody && !hashStream(stream, prepared.start, prepared.length, prepared.payloadHash)) {
        return clientFailure(kUnreadableUpload);
    }
    return std::nullopt;
}

HttpRequest RequestExecutor::buildAttempt(const OperationRequest& request,
                                          const PreparedBody& body) const {
    const std::string query = canonicalQuery(request.query);
    const RequestAddress address =
        addressFor(m_endpoint, m_useVirtualAddressing, request.bucket, request.key, query);
    const std::string date = amzDate(std::chrono::system_clock::now() + m_clockSkew);

    HttpRequest http;
    http.method = request.method;
    http.url = address.url;
    http.headers = {
        {"Host", address.host}, {"x-amz-date", date}, {"x-amz-content-sha256", body.payloadHash}};
    if (!m_credentials.GetSessionToken().empty()) {
        http.headers.push_back({"x-amz-security-token", m_credentials.GetSessionToken()});
    }
    if (request.method == "PUT") {
        http.headers.push_back({"Content-Length", std::to_string(body.length)});
    }
    http.headers.insert(http.headers.end(), request.headers.begin(), request.headers.end());

    const CanonicalInput input{request.method, address.encodedPath, query, &http.headers,
                               body.payloadHash};
    const std::string scope = credentialScope(date, m_region, kService);
    const std::string toSign = stringToSign(date, scope, canonicalRequest(input));
    const std::string signatureHex =
        signature(signingKey(m_credentials.GetAWSSecretKey(), date, m_region, kService), toSign);
    http.headers.push_back(
        {"Authorization", authorization(m_credentials.GetAWSAccessKeyId(), scope,
                                        signedHeaderList(http.headers), signatureHex)});

    http.body = body.stream;
    http.bodyLength = body.length;
    http.maxSuccessBodyBytes = request.streamedDownload ? 0 : kMaxDocumentBytes;
    if (request.streamedDownload) http.successBodyFactory = request.responseStreamFactory;
    return http;
}

OperationAnswer RequestExecutor::classify(const OperationRequest& request,
                                          HttpResponse response) const {
    OperationAnswer answer;
    const long status = response.status;
    if (response.bodyUnreadable) {
        answer.error = clientFailure(kUnreadableUpload);
    } else if (response.bodyUnwritable) {
        answer.error = clientFailure("The response body could not be written.");
    } else if (response.bodyTooLarge) {
        answer.error = unreadableAnswer(kAnswerTooLarge, status);
    } else if (response.transportFailed) {
        answer.error = transportError(response);
    } else if (status < 200 || status >= 300 || !request.streamedDownload) {
        answer.body = std::move(response.document);
        if (status < 200 || status >= 300) {
            answer.error = errorFromAnswer(response, answer.body);
        } else if (answer.body.find("Error") != std::string::npos) {
            // S3 can report a failure with status 200 (a copy that failed late).
            if (const auto document = parseErrorDocument(answer.body)) {
                answer.error = errorFromDocument(*document, status);
            }
        }
    }
    answer.response = std::move(response);
    return answer;
}

void RequestExecutor::learnClockSkew(const HttpResponse& response) {
    const auto dateHeader = response.header("date");
    if (!dateHeader) return;
    const Aws::Utils::DateTime serverTime(*dateHeader, Aws::Utils::DateFormat::RFC822);
    if (!serverTime.WasParseSuccessful()) return;
    // Counted in milliseconds: a server date far from now must not overflow
    // the clock's nanosecond range, so a skew of a century or more (no clock
    // drift, and beyond what the signing clock can add) is ignored.
    const int64_t skewMillis = serverTime.Millis() - Aws::Utils::DateTime::Now().Millis();
    constexpr int64_t kCenturyMillis = 100LL * 366 * 24 * 60 * 60 * 1000;
    if (skewMillis >= kCenturyMillis || skewMillis <= -kCenturyMillis) return;
    m_clockSkew = std::chrono::milliseconds(skewMillis);
}

OperationAnswer RequestExecutor::execute(const OperationRequest& request) {
    if (m_configurationError) return failed(*m_configurationError);
    if (auto refusal = bucketNameRefusal(request.bucket)) return failed(std::move(*refusal));
    PreparedBody body;
    if (auto failure = prepareBody(request, body)) return failed(std::move(*failure));
    for (long retries = 0;; ++retries) {
        if (body.stream != nullptr && !rewind(*body.stream, body.start)) {
            return failed(clientFailure("The upload body could not be rewound for a retry."));
        }
        // Each attempt's answer (and a response stream it holds) is gone before
        // the next attempt asks for a new one.
        const HttpRequest attempt = buildAttempt(request, body);
        // The headers are final here, so this one check covers every value
        // that reaches them (credentials, region, host, operation headers).
        if (auto refusal = headerRefusal(attempt.headers)) return failed(std::move(*refusal));
        OperationAnswer answer = classify(request, m_transport.perform(attempt, m_settings));
        if (answer.error) answer.error->SetRetryCount(retries);
        if (!answer.error || !m_retry.shouldRetry(*answer.error, retries)) return answer;
        if (answer.error->GetErrorType() == Aws::S3::S3Errors::REQUEST_TIME_TOO_SKEWED) {
            learnClockSkew(answer.response);
        }
        std::this_thread::sleep_for(m_retry.delayBefore(retries));
    }
}

}  // namespace skrw::aws
