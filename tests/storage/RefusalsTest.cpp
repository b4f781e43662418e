// What each operation records when it refuses: the service first, then the credentials, then
// missing arguments in the order each operation checks them, all before any request; and the
// service's own message for what the service refuses. The last listing outlives them all.
#include <functional>

#include "StorageTestFixture.h"

namespace storage_test {
namespace {

class Refusals : public StorageTest {
  protected:
    struct Row {
        std::function<bool()> operation;  // true when it succeeded
        const char *message, *code, *source;
    };
    void expectRefusals(const std::vector<Row>& rows) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE(std::string(rows[i].source) + " in row " + std::to_string(i));
            EXPECT_FALSE(rows[i].operation());
            expectRecord(rows[i].message, rows[i].code, rows[i].source);
        }
    }
    std::function<bool()> property(const platform::String& name, int index) {
        return [=, this] { return funcs.getBucketProperty(name, index).utf8() != "!!ERROR!!"; };
    }
    std::function<bool()> signIn(const char* service, const char* secret = kSecretKey) {
        return [=, this] {
            return funcs.useCredentialsForService(S(service), S(kAccessKey), S(secret), kNull);
        };
    }
};

TEST_F(Refusals, ServiceThenCredentialsThenMissingArgumentsBeforeAnyRequest) {
    const std::string bucket = uniqueName("unsent");
    const auto b = S(bucket), e = S(""), k = S("k");
    const char *service = "Service cannot be empty or null.", *module = "Invalid module specified.",
               *signedOut = "System not authenticated.",
               *noBucket = "Bucket ID is blank or invalid.",
               *noKey = "Object ID is blank or invalid.", *noPath = "No file path specified.",
               *folders = "Source or destination folder ID is missing.",
               *objects = "Source or destination object ID is missing.",
               *noListing = "No folder contents to access";
    auto& f = funcs;
    expectRefusals({
        {signIn(""), service, "-4", "useCredentials"},
        {[&] { return f.useCredentialsForService(kNull, b, b, kNull); }, service, "-4",
         "useCredentials"},
        {signIn("s3x"), module, "-1000", "UseCredentials"},
        {signIn(" aws"), module, "-1000", "UseCredentials"},
        {signIn("s3", "wrong"), "Failed to list buckets", "-400", "UseCredentials"},
        {[&] { return f.listBuckets().utf8() != "!!ERROR!!"; }, module, "-1000", "listFolders"},
        {[&] { return f.getBucket(b, kNull, kNull, kNull, kNull); }, module, "-1000", "getBucket"},
        {[&] { return f.createBucket(kNull); }, signedOut, "-400", "CreateFolder"},
        {[&] { return f.deleteBucket(e); }, signedOut, "-400", "DeleteFolder"},
        {[&] { return f.getObject(e, e, e); }, signedOut, "-400", "GetObject"},
        {[&] { return f.postObject(kNull, kNull, kNull, true); }, signedOut, "-400", "PostObject"},
        {[&] { return f.copyObjectFromSourceBucket(e, e, e, e); }, signedOut, "-400", ""},
        {[&] { return f.deleteObject(e, e); }, signedOut, "-400", "DeleteObject"},
        {property(kNull, 0), "Property name cannot be blank or null.", "-4",
         "getPropertyForFolder"},
        {property(e, 0), "Property name cannot be blank or null.", "-4", "getPropertyForFolder"},
        {property(S(" count"), 0), noListing, "-4", "getPropertyforFolder"},
    });
    for (const char* name : {"s3", "S3", "aws", "AwS"}) {
        EXPECT_TRUE(signIn(name)()) << name;
        expectCleared();
    }
    expectRefusals({
        {[&] { return f.createBucket(e); }, noBucket, "-4", "CreateFolder"},
        {[&] { return f.deleteBucket(kNull); }, noBucket, "-4", "DeleteFolder"},
        {[&] { return f.getBucket(e, kNull, kNull, kNull, kNull); },
         "Bucket name/ID must be specified.", "-400", "GetFolder"},
        {[&] { return f.getObject(kNull, k, k); }, noBucket, "-4", "GetObject"},
        {[&] { return f.getObject(b, e, k); }, noKey, "-4", "GetObject"},
        {[&] { return f.getObject(b, k, kNull); }, noPath, "-4", "GetObject"},
        {[&] { return f.postObject(e, k, k, false); }, noBucket, "-4", "PostObject"},
        {[&] { return f.postObject(b, kNull, k, false); }, noKey, "-4", "PostObject"},
        {[&] { return f.postObject(b, k, e, true); }, noPath, "-4", "PostObject"},
        {[&] { return f.copyObjectFromSourceBucket(b, e, e, k); }, folders, "-4", "copyObject"},
        {[&] { return f.copyObjectFromSourceBucket(kNull, k, b, k); }, folders, "-4", "copyObject"},
        {[&] { return f.copyObjectFromSourceBucket(b, k, b, e); }, objects, "-4", "copyObject"},
        {[&] { return f.copyObjectFromSourceBucket(b, kNull, b, k); }, objects, "-4", "copyObject"},
        {[&] { return f.deleteObject(e, k); }, noBucket, "-4", "DeleteObject"},
        {[&] { return f.deleteObject(b, kNull); }, noKey, "-4", "DeleteObject"},
    });
    EXPECT_TRUE(requestsFor(bucket).empty());
}

TEST_F(Refusals, ServiceRefusalsCarryTheServiceMessageAndKeepTheLastListing) {
    authenticate();
    const std::string bucket = newBucket("refuse");
    putObject(bucket, "keep.txt", "x");
    ASSERT_TRUE(list(bucket));
    const auto b = S(bucket), missing = S(bucket + "-missing");
    const char* noBucket = "The specified bucket does not exist";
    auto& f = funcs;
    expectRefusals({
        {[&] { return list(bucket + "-missing"); }, noBucket, "-400", "GetFolder"},
        {[&] { return f.deleteBucket(b); }, "The bucket your tried to delete is not empty", "-400",
         "DeleteFolder"},
        {[&] { return f.createBucket(S("Not_Valid")); },
         "Bucket names can contain lowercase letters, numbers, and hyphens. Each label must start "
         "and end with a lowercase letter or a number.",
         "-400", "CreateFolder"},
        {[&] { return f.copyObjectFromSourceBucket(b, S("absent"), b, S("copy")); },
         "The specified key does not exist.", "-400", "CopyObject"},
        {[&] { return f.deleteObject(missing, S("k")); }, noBucket, "-400", "DeleteObject"},
        {property(S("key"), 1), "Index out of bounds.", "-4", "getPropertyForFolder"},
        {property(S("owner"), -1), "Index out of bounds.", "-4", "getPropertyForFolder"},
        {signIn("s3", "wrong"), "Failed to list buckets", "-400", "UseCredentials"},
    });
    EXPECT_EQ(StorageTest::property("keys"), "keep.txt\n");
    // A listing that matches nothing empties it.
    ASSERT_TRUE(funcs.getBucket(b, S("none/"), kNull, kNull, kNull));
    expectRefusals(
        {{property(S("key"), 0), "No folder contents to access", "-4", "getPropertyforFolder"}});
}

}  // namespace
}  // namespace storage_test
