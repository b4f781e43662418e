// Where requests go: default endpoints per region, the environment's endpoint, and virtual-host
// versus path-style addressing.
#include <gtest/gtest.h>

#include <cstdlib>

#include "Endpoint.h"

namespace skrw::aws {
namespace {

TEST(EndpointTest, RegionsHostsAndEnvironment) {
    EXPECT_EQ(defaultEndpoint("us-east-1", true).host, "s3.amazonaws.com");
    EXPECT_EQ(defaultEndpoint("eu-west-1", false).host, "s3.eu-west-1.amazonaws.com");
    EXPECT_EQ(defaultEndpoint("cn-north-1", true).host, "s3.cn-north-1.amazonaws.com.cn");
    EXPECT_FALSE(defaultEndpoint("us-east-1", false).https);
    for (const char* valid : {"eu-west-1", "EU-West-1"}) EXPECT_TRUE(isValidRegionName(valid));
    for (const char* invalid : {"", "eu west", "x.evil.com/", "a@b"}) {
        EXPECT_FALSE(isValidRegionName(invalid)) << invalid;
    }
    for (const char* ip : {"127.0.0.1", "10.1.2.3:80", "[::1]:9000"})
        EXPECT_TRUE(isIpAddressHost(ip));
    for (const char* name : {"localhost:9000", "1.2.3", "256.1.1.1", "1.2.3.4.example.com"}) {
        EXPECT_FALSE(isIpAddressHost(name)) << name;
    }
    const auto base = parseEndpointUrl("https://minio.local:9443/base/");
    ASSERT_TRUE(base.has_value());
    EXPECT_EQ(base->host + base->basePath, "minio.local:9443/base");
    EXPECT_FALSE(parseEndpointUrl("ftp://x") || parseEndpointUrl("http://"));

    setenv("AWS_ENDPOINT_URL", "http://general.example:1", 1);
    setenv("AWS_ENDPOINT_URL_S3", "http://127.0.0.1:9000", 1);
    EXPECT_EQ(endpointFromEnvironment()->host, "127.0.0.1:9000");
    EXPECT_TRUE(endpointFromEnvironment()->forcePathStyle);  // an IP address host
    setenv("AWS_ENDPOINT_URL_S3", "", 1);                    // empty counts as unset
    EXPECT_EQ(endpointFromEnvironment()->host, "general.example:1");
    EXPECT_FALSE(endpointFromEnvironment()->forcePathStyle);
    unsetenv("AWS_ENDPOINT_URL");
    unsetenv("AWS_ENDPOINT_URL_S3");
    EXPECT_FALSE(endpointFromEnvironment().has_value());
}

TEST(EndpointTest, VirtualHostOnlyForLowerCaseDnsLabelsAndNeverForIpHosts) {
    const Endpoint aws = defaultEndpoint("eu-west-1", true);
    const Endpoint local = *parseEndpointUrl("http://127.0.0.1:9000");
    const struct {
        Endpoint endpoint;
        bool virtualHosting;
        std::string bucket;
        std::optional<std::string> key;
        std::string url;
    } rows[] = {
        {aws, true, "photos", "a b/c", "https://photos.s3.eu-west-1.amazonaws.com/a%20b/c"},
        {aws, true, "photos", std::nullopt, "https://photos.s3.eu-west-1.amazonaws.com/?q"},
        {aws, false, "photos", "k", "https://s3.eu-west-1.amazonaws.com/photos/k"},
        {aws, true, "a-1", "k", "https://a-1.s3.eu-west-1.amazonaws.com/k"},
        {aws, true, std::string(63, 'b'), "k",
         "https://" + std::string(63, 'b') + ".s3.eu-west-1.amazonaws.com/k"},
        {aws, true, "", std::nullopt, "https://s3.eu-west-1.amazonaws.com/?q"},
        {local, true, "bkt", "/lead/a/../b//c", "http://127.0.0.1:9000/bkt//lead/a/../b//c"},
        {local, true, "bkt", std::nullopt, "http://127.0.0.1:9000/bkt?q"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.url);
        const auto address =
            addressFor(row.endpoint, row.virtualHosting, row.bucket, row.key, row.key ? "" : "q");
        EXPECT_EQ(address.url, row.url);
        EXPECT_TRUE(row.url.starts_with("http" + std::string(row.endpoint.https ? "s" : "") +
                                        "://" + address.host + address.encodedPath));
    }
    // Not a lower-case DNS label of 3 to 63 characters: path-style.
    for (const std::string& bucket : std::vector<std::string>{
             "ab", std::string(64, 'a'), "Photos_Old", "my.bucket", "-bucket", "bucket-"}) {
        SCOPED_TRACE(bucket);
        EXPECT_EQ(addressFor(aws, true, bucket, "k", "").url,
                  "https://s3.eu-west-1.amazonaws.com/" + bucket + "/k");
    }
}

}  // namespace
}  // namespace skrw::aws
