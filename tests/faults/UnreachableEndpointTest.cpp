// Endpoints that cannot be reached, met by every kind of storage operation after the credentials
// were accepted: an endpoint host that does not resolve and a TLS endpoint whose certificate no
// trust store knows. Each operation fails with the transport's readable message, and a download
// leaves its target untouched. (Through pluginhost only the credential probe can meet them, and
// it records its own fixed message.)
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "TestServer.h"
#include "storage/SKFuncs.h"

extern char** environ;

namespace {

using platform::String;
using skrw::test::TempDir;

String text(const std::string& value) {
    return String::fromUtf8(value);
}

// A port that was free a moment ago; the server binds it right after.
int freePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    close(fd);
    return port;
}

// `openssl s_server` with a fresh self-signed certificate, stopped on destruction.
class UntrustedTlsServer {
  public:
    explicit UntrustedTlsServer(const std::string& folder) : port_(freePort()) {
        const std::string key = folder + "/key.pem";
        const std::string cert = folder + "/cert.pem";
        const std::string make = "openssl req -x509 -newkey rsa:2048 -nodes -keyout " + key +
                                 " -out " + cert + " -days 1 -subj /CN=127.0.0.1 >/dev/null 2>&1";
        if (std::system(make.c_str()) != 0) return;
        const std::string accept = std::to_string(port_);
        std::vector<std::string> args{"openssl", "s_server", "-quiet", "-www", "-accept",
                                      accept,    "-cert",    cert,     "-key", key};
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (posix_spawnp(&pid_, "openssl", &actions, nullptr, argv.data(), environ) != 0) pid_ = 0;
        posix_spawn_file_actions_destroy(&actions);
        usleep(500 * 1000);  // time to listen
    }
    ~UntrustedTlsServer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    UntrustedTlsServer(const UntrustedTlsServer&) = delete;
    UntrustedTlsServer& operator=(const UntrustedTlsServer&) = delete;

    bool running() const { return pid_ > 0; }
    std::string endpoint() const { return "https://127.0.0.1:" + std::to_string(port_); }

  private:
    int port_;
    pid_t pid_ = 0;
};

class UnreachableEndpoint : public ::testing::Test {
  protected:
    void SetUp() override {
        skrw::test::useServerEndpoint();
        ASSERT_TRUE(storage_.useCredentialsForService(text("s3"), text(skrw::test::kAccessKey),
                                                      text(skrw::test::kSecretKey), String()));
        target_ = folder_.volumesPath() + "/kept.txt";
        std::ofstream(target_) << "kept";
    }
    void TearDown() override { unsetenv("AWS_ENDPOINT_URL_S3"); }

    // Every operation that sends a request fails, each with the transport's message.
    void expectEveryOperationFails(const std::string& messageFragment) {
        const String bucket = text("unreachable-bucket");
        const String key = text("k");
        struct Attempt {
            const char* name;
            bool ok;
        };
        std::ofstream(folder_.path() + "/up.txt") << "up";
        const std::vector<Attempt> attempts{
            {"listBuckets", storage_.listBuckets().utf8() != "!!ERROR!!"},
            {"getBucket", storage_.getBucket(bucket, String(), String(), String(), String())},
            {"createBucket", storage_.createBucket(bucket)},
            {"deleteBucket", storage_.deleteBucket(bucket)},
            {"getObject", storage_.getObject(bucket, key, text(target_))},
            {"postObject",
             storage_.postObject(bucket, key, text(folder_.path() + "/up.txt"), true)},
            {"copyObject", storage_.copyObjectFromSourceBucket(bucket, key, bucket, text("c"))},
            {"deleteObject", storage_.deleteObject(bucket, key)},
        };
        for (const Attempt& attempt : attempts) {
            SCOPED_TRACE(attempt.name);
            EXPECT_FALSE(attempt.ok);
        }
        // The last one's record stands for all: they share the transport's message.
        const std::string error = storage_.getLastError().utf8();
        EXPECT_NE(error.find("Unable to connect to endpoint"), std::string::npos) << error;
        EXPECT_NE(error.find(messageFragment), std::string::npos) << error;
        std::ifstream kept(target_);
        std::string content;
        std::getline(kept, content);
        EXPECT_EQ(content, "kept");
        EXPECT_TRUE(std::ifstream(folder_.path() + "/up.txt").good());
    }

    TempDir folder_;
    std::string target_;
    SKFuncs storage_;
};

TEST_F(UnreachableEndpoint, HostThatDoesNotResolveFailsWithTheResolverMessage) {
    setenv("AWS_ENDPOINT_URL_S3", "http://nonexistent.invalid", 1);
    expectEveryOperationFails("resolve");
}

TEST_F(UnreachableEndpoint, UntrustedCertificateFailsWithTheCertificateMessage) {
    UntrustedTlsServer server(folder_.path());
    ASSERT_TRUE(server.running());
    setenv("AWS_ENDPOINT_URL_S3", server.endpoint().c_str(), 1);
    expectEveryOperationFails("certificate");
}

}  // namespace
