// Where requests go: default endpoints per region, the environment's endpoint,
// and virtual-host versus path-style addressing.
#include <gtest/gtest.h>

#include <cstdlib>

#include "Endpoint.h"

namespace skrw::aws {
namespace {

TEST(EndpointTest, RegionDefaults) {
    EXPECT_EQ(defaultEndpoint("us-east-1", true).host, "s3.amazonaws.com");
    EXPECT_EQ(defaultEndpoint("eu-west-1", true).host, "s3.eu-west-1.amazonaws.com");
    EXPECT_EQ(defaultEndpoint("cn-north-1", true).host, "s3.cn-north-1.amazonaws.com.cn");
    EXPECT_EQ(defaultEndpoint("cn-northwest-1", true).host, "s3.cn-northwest-1.amazonaws.com.cn");
    EXPECT_TRUE(defaultEndpoint("us-east-1", true).https);
    EXPECT_FALSE(defaultEndpoint("us-east-1", false).https);
}

TEST(EndpointTest, RegionNamesThatCannotFormAHostAreInvalid) {
    EXPECT_TRUE(isValidRegionName("eu-west-1"));
    EXPECT_TRUE(isValidRegionName("EU-West-1"));
    EXPECT_FALSE(isValidRegionName(""));
    EXPECT_FALSE(isValidRegionName("eu west"));
    EXPECT_FALSE(isValidRegionName("x.evil.com/"));
    EXPECT_FALSE(isValidRegionName("a@b"));
}

TEST(EndpointTest, ServiceSpecificVariableWinsOverTheGeneralOne) {
    setenv("AWS_ENDPOINT_URL", "http://general.example:1", 1);
    setenv("AWS_ENDPOINT_URL_S3", "http://127.0.0.1:9000", 1);
    auto endpoint = endpointFromEnvironment();
    ASSERT_TRUE(endpoint.has_value());
    EXPECT_EQ(endpoint->host, "127.0.0.1:9000");
    EXPECT_FALSE(endpoint->https);
    EXPECT_TRUE(endpoint->forcePathStyle);

    setenv("AWS_ENDPOINT_URL_S3", "", 1);  // empty counts as unset
    endpoint = endpointFromEnvironment();
    ASSERT_TRUE(endpoint.has_value());
    EXPECT_EQ(endpoint->host, "general.example:1");
    EXPECT_FALSE(endpoint->forcePathStyle);

    unsetenv("AWS_ENDPOINT_URL");
    unsetenv("AWS_ENDPOINT_URL_S3");
    EXPECT_FALSE(endpointFromEnvironment().has_value());
}

TEST(EndpointTest, UrlParsing) {
    auto endpoint = parseEndpointUrl("https://minio.local:9443/base/");
    ASSERT_TRUE(endpoint.has_value());
    EXPECT_TRUE(endpoint->https);
    EXPECT_EQ(endpoint->host, "minio.local:9443");
    EXPECT_EQ(endpoint->basePath, "/base");
    EXPECT_FALSE(parseEndpointUrl("ftp://x").has_value());
    EXPECT_FALSE(parseEndpointUrl("http://").has_value());
    EXPECT_TRUE(parseEndpointUrl("http://[::1]:8080")->forcePathStyle);
}

TEST(EndpointTest, IpAddressHosts) {
    EXPECT_TRUE(isIpAddressHost("127.0.0.1"));
    EXPECT_TRUE(isIpAddressHost("10.1.2.3:80"));
    EXPECT_TRUE(isIpAddressHost("[::1]:9000"));
    EXPECT_FALSE(isIpAddressHost("localhost:9000"));
    EXPECT_FALSE(isIpAddressHost("1.2.3"));
    EXPECT_FALSE(isIpAddressHost("256.1.1.1"));
    EXPECT_FALSE(isIpAddressHost("1.2.3.4.example.com"));
}

TEST(EndpointTest, VirtualHostNeedsALowerCaseDnsLabel) {
    EXPECT_TRUE(isVirtualHostBucket("my-bucket-1"));
    EXPECT_TRUE(isVirtualHostBucket("abc"));
    EXPECT_FALSE(isVirtualHostBucket("ab"));
    EXPECT_FALSE(isVirtualHostBucket(std::string(64, 'a')));
    EXPECT_FALSE(isVirtualHostBucket("My-Bucket"));
    EXPECT_FALSE(isVirtualHostBucket("my_bucket"));
    EXPECT_FALSE(isVirtualHostBucket("my.bucket"));
    EXPECT_FALSE(isVirtualHostBucket("-bucket"));
    EXPECT_FALSE(isVirtualHostBucket("bucket-"));
}

TEST(EndpointTest, AddressingStyles) {
    const Endpoint aws = defaultEndpoint("eu-west-1", true);
    auto address = addressFor(aws, true, "photos", std::string("a b/c"), "");
    EXPECT_EQ(address.url, "https://photos.s3.eu-west-1.amazonaws.com/a%20b/c");
    EXPECT_EQ(address.host, "photos.s3.eu-west-1.amazonaws.com");
    EXPECT_EQ(address.encodedPath, "/a%20b/c");

    address = addressFor(aws, false, "photos", std::string("k"), "");
    EXPECT_EQ(address.url, "https://s3.eu-west-1.amazonaws.com/photos/k");

    address = addressFor(aws, true, "Photos_Old", std::string("k"), "");
    EXPECT_EQ(address.url, "https://s3.eu-west-1.amazonaws.com/Photos_Old/k");

    address = addressFor(aws, true, "photos", std::nullopt, "list-type=2");
    EXPECT_EQ(address.url, "https://photos.s3.eu-west-1.amazonaws.com/?list-type=2");
    EXPECT_EQ(address.encodedPath, "/");

    address = addressFor(aws, true, "", std::nullopt, "");
    EXPECT_EQ(address.url, "https://s3.eu-west-1.amazonaws.com/");
}

TEST(EndpointTest, KeysKeepLeadingSlashesAndDotSegments) {
    const Endpoint local = *parseEndpointUrl("http://127.0.0.1:9000");
    EXPECT_EQ(addressFor(local, true, "bkt", std::string("/lead"), "").encodedPath, "/bkt//lead");
    EXPECT_EQ(addressFor(local, true, "bkt", std::string("a/../b"), "").encodedPath, "/bkt/a/../b");
    EXPECT_EQ(addressFor(local, true, "bkt", std::string("a//b"), "").encodedPath, "/bkt/a//b");
    EXPECT_EQ(addressFor(local, true, "bkt", std::nullopt, "").encodedPath, "/bkt");
    EXPECT_EQ(addressFor(local, true, "bkt", std::string("k"), "").host, "127.0.0.1:9000");
}

}  // namespace
}  // namespace skrw::aws
