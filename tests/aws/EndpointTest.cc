// Where requests go: default endpoints per region, the environment's endpoint,
// and virtual-host versus path-style addressing.
#include <gtest/gtest.h>

#include <cstdlib>

#include "Endpoint.h"

namespace skrw::aws {
namespace {

TEST(EndpointTest, RegionDefaultsAndRegionNamesThatCannotFormAHost) {
    const std::pair<const char*, const char*> hosts[] = {
        {"us-east-1", "s3.amazonaws.com"},
        {"eu-west-1", "s3.eu-west-1.amazonaws.com"},
        {"cn-north-1", "s3.cn-north-1.amazonaws.com.cn"}};
    for (const auto& [region, host] : hosts) EXPECT_EQ(defaultEndpoint(region, true).host, host);
    EXPECT_TRUE(defaultEndpoint("us-east-1", true).https);
    EXPECT_FALSE(defaultEndpoint("us-east-1", false).https);

    for (const char* valid : {"eu-west-1", "EU-West-1"}) EXPECT_TRUE(isValidRegionName(valid));
    for (const char* invalid : {"", "eu west", "x.evil.com/", "a@b"}) {
        EXPECT_FALSE(isValidRegionName(invalid)) << invalid;
    }
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

TEST(EndpointTest, HostAndBucketNameClassification) {
    for (const char* ip : {"127.0.0.1", "10.1.2.3:80", "[::1]:9000"}) {
        EXPECT_TRUE(isIpAddressHost(ip)) << ip;
    }
    for (const char* name : {"localhost:9000", "1.2.3", "256.1.1.1", "1.2.3.4.example.com"}) {
        EXPECT_FALSE(isIpAddressHost(name)) << name;
    }
    // Virtual hosting needs a lower-case DNS label of 3 to 63 characters.
    for (const char* label : {"my-bucket-1", "abc"}) EXPECT_TRUE(isVirtualHostBucket(label));
    for (const std::string& other :
         {std::string("ab"), std::string(64, 'a'), std::string("My-Bucket"),
          std::string("my_bucket"), std::string("my.bucket"), std::string("-bucket"),
          std::string("bucket-")}) {
        EXPECT_FALSE(isVirtualHostBucket(other)) << other;
    }
}

TEST(EndpointTest, AddressingStyles) {
    const Endpoint aws = defaultEndpoint("eu-west-1", true);
    auto address = addressFor(aws, true, "photos", std::string("a b/c"), "");
    EXPECT_EQ(address.url, "https://photos.s3.eu-west-1.amazonaws.com/a%20b/c");
    EXPECT_EQ(address.host, "photos.s3.eu-west-1.amazonaws.com");
    EXPECT_EQ(address.encodedPath, "/a%20b/c");
    address = addressFor(aws, true, "photos", std::nullopt, "list-type=2");
    EXPECT_EQ(address.url, "https://photos.s3.eu-west-1.amazonaws.com/?list-type=2");
    EXPECT_EQ(address.encodedPath, "/");
    const std::pair<std::string, std::string> urls[] = {
        {addressFor(aws, false, "photos", std::string("k"), "").url,
         "https://s3.eu-west-1.amazonaws.com/photos/k"},
        {addressFor(aws, true, "Photos_Old", std::string("k"), "").url,
         "https://s3.eu-west-1.amazonaws.com/Photos_Old/k"},
        {addressFor(aws, true, "", std::nullopt, "").url, "https://s3.eu-west-1.amazonaws.com/"}};
    for (const auto& [url, expected] : urls) EXPECT_EQ(url, expected);

    // Keys keep leading slashes and dot segments; an IP host is path style.
    const Endpoint local = *parseEndpointUrl("http://127.0.0.1:9000");
    EXPECT_EQ(addressFor(local, true, "bkt", std::string("k"), "").host, "127.0.0.1:9000");
    for (const std::string key : {"/lead", "a/../b", "a//b"}) {
        EXPECT_EQ(addressFor(local, true, "bkt", key, "").encodedPath, "/bkt/" + key);
    }
    EXPECT_EQ(addressFor(local, true, "bkt", std::nullopt, "").encodedPath, "/bkt");
}

}  // namespace
}  // namespace skrw::aws
