// Moves one object through the S3 layer and prints wall time, throughput and
// peak resident memory, as the plug-in does it: an upload streamed from a file
// stream, a download written to a file by inserting the body's stream buffer.
//
//   aws_transfer upload   BUCKET KEY FILE
//   aws_transfer download BUCKET KEY FILE
//
// The endpoint comes from AWS_ENDPOINT_URL_S3, the credentials from
// AWS_ACCESS_KEY_ID and AWS_SECRET_ACCESS_KEY. A missing bucket is created.
#include <aws/core/Aws.h>
#include <aws/core/utils/memory/AWSMemory.h>
#include <aws/s3/S3Client.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

struct Figures {
    long long bytes = 0;
    double seconds = 0;
};

void print(const char* direction, const Figures& figures) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-8s %lld bytes %.2f s %.1f MB/s peak RSS %ld KiB\n", direction, figures.bytes,
                figures.seconds, figures.bytes / figures.seconds / 1e6, usage.ru_maxrss);
}

int fail(const char* what, const std::string& message) {
    std::fprintf(stderr, "aws_transfer: %s failed: %s\n", what, message.c_str());
    return 1;
}

int run(const std::string& direction, const std::string& bucket, const std::string& key,
        const std::string& path) {
    const char* access = std::getenv("AWS_ACCESS_KEY_ID");
    const char* secret = std::getenv("AWS_SECRET_ACCESS_KEY");
    if (access == nullptr || secret == nullptr) {
        return fail("setup", "AWS_ACCESS_KEY_ID and AWS_SECRET_ACCESS_KEY must be set");
    }
    Aws::S3::S3Client client(Aws::Auth::AWSCredentials(access, secret),
                             Aws::Client::ClientConfiguration(),
                             Aws::Client::AWSAuthV4Signer::PayloadSigningPolicy::Never, true);
    Figures figures;
    const auto started = std::chrono::steady_clock::now();
    if (direction == "upload") {
        Aws::S3::Model::CreateBucketRequest create;
        create.SetBucket(bucket);
        client.CreateBucket(create);  // it may exist already
        Aws::S3::Model::PutObjectRequest request;
        request.SetBucket(bucket);
        request.SetKey(key);
        request.SetBody(Aws::MakeShared<Aws::FStream>("bench", path.c_str(),
                                                      std::ios_base::in | std::ios_base::binary));
        const auto start = std::chrono::steady_clock::now();
        const auto outcome = client.PutObject(request);
        figures.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!outcome.IsSuccess()) return fail("upload", outcome.GetError().GetMessage());
        std::ifstream file(path, std::ios::binary | std::ios::ate);
        figures.bytes = static_cast<long long>(file.tellg());
    } else {
        Aws::S3::Model::GetObjectRequest request;
        request.SetBucket(bucket);
        request.SetKey(key);
        auto outcome = client.GetObject(request);
        if (!outcome.IsSuccess()) return fail("download", outcome.GetError().GetMessage());
        std::ofstream out(path, std::ios::out | std::ios::binary | std::ios::trunc);
        out << outcome.GetResult().GetBody().rdbuf();
        out.close();
        if (!out) return fail("download", "cannot write " + path);
        figures.bytes = outcome.GetResult().GetContentLength();
        figures.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }
    print(direction.c_str(), figures);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 ||
        (std::strcmp(argv[1], "upload") != 0 && std::strcmp(argv[1], "download") != 0)) {
        std::fprintf(stderr, "usage: %s upload|download BUCKET KEY FILE\n", argv[0]);
        return 2;
    }
    Aws::SDKOptions options;
    Aws::InitAPI(options);
    const int status = run(argv[1], argv[2], argv[3], argv[4]);
    Aws::ShutdownAPI(options);
    return status;
}
