// What each operation records when it refuses: missing arguments, in the order each operation
// checks them, before any request; and the service's own message for what the service refuses.
#include <functional>

#include "StorageTestFixture.h"

namespace storage_test {
namespace {

struct Refusal {
    std::function<bool()> operation;
    const char* message;  // nullptr: the service's wording, whatever it is
    const char* source;
};

class Refusals : public SignedInTest {
  protected:
    void expectRefusals(const char* code, const std::vector<Refusal>& rows) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE(std::string(rows[i].source) + " in row " + std::to_string(i));
            EXPECT_FALSE(rows[i].operation());
            if (rows[i].message != nullptr) {
                expectRecord(rows[i].message, code, rows[i].source);
            } else {
                EXPECT_EQ(funcs.getLastErrorCode().utf8(), code);
                EXPECT_NE(
                    funcs.getLastError().utf8().find(std::string("SOURCE: ") + rows[i].source),
                    std::string::npos);
            }
        }
    }
};

TEST_F(Refusals, MissingArgumentsInTheOrderEachOperationChecksThem) {
    const std::string bucket = skrw::test::uniqueName("unsent");
    const auto b = S(bucket), e = S(""), k = S("k");
    const char* bucketId = "Bucket ID is blank or invalid.";
    const char* objectId = "Object ID is blank or invalid.";
    const char* noPath = "No file path specified.";
    const char* folders = "Source or destination folder ID is missing.";
    const char* objects = "Source or destination object ID is missing.";
    auto& f = funcs;
    expectRefusals(
        "-4",
        {
            {[&] { return f.createBucket(kNull); }, bucketId, "CreateFolder"},
            {[&] { return f.createBucket(e); }, bucketId, "CreateFolder"},
            {[&] { return f.deleteBucket(kNull); }, bucketId, "DeleteFolder"},
            {[&] { return f.deleteBucket(e); }, bucketId, "DeleteFolder"},
            {[&] { return f.getObject(e, e, e); }, bucketId, "GetObject"},
            {[&] { return f.getObject(b, kNull, e); }, objectId, "GetObject"},
            {[&] { return f.getObject(b, k, kNull); }, noPath, "GetObject"},
            {[&] { return f.getObject(b, k, e); }, noPath, "GetObject"},
            {[&] { return f.postObject(e, e, e, false); }, bucketId, "PostObject"},
            {[&] { return f.postObject(b, e, e, false); }, objectId, "PostObject"},
            {[&] { return f.postObject(b, k, kNull, true); }, noPath, "PostObject"},
            {[&] { return f.copyObjectFromSourceBucket(b, e, e, k); }, folders, "copyObject"},
            {[&] { return f.copyObjectFromSourceBucket(kNull, k, b, k); }, folders, "copyObject"},
            {[&] { return f.copyObjectFromSourceBucket(b, k, b, e); }, objects, "copyObject"},
            {[&] { return f.copyObjectFromSourceBucket(b, kNull, b, k); }, objects, "copyObject"},
            {[&] { return f.deleteObject(e, e); }, bucketId, "DeleteObject"},
            {[&] { return f.deleteObject(b, kNull); }, objectId, "DeleteObject"},
        });
    EXPECT_TRUE(requestsFor(bucket).empty());
}

TEST_F(Refusals, ServiceRefusalsCarryTheServiceMessage) {
    const std::string bucket = newBucket("refuse");
    putObject(bucket, "keep.txt", "x");
    const auto b = S(bucket), missing = S(bucket + "-missing");
    const char* noBucket = "The specified bucket does not exist";
    auto& f = funcs;
    // The test server's own wording, passed on as it is; an empty name is refused with the
    // service's code too.
    expectRefusals(
        "-400",
        {
            {[&] { return f.getBucket(S(""), kNull, kNull, kNull, kNull); },
             "Bucket name/ID must be specified.", "GetFolder"},
            {[&] { return f.getBucket(missing, kNull, kNull, kNull, kNull); }, noBucket,
             "GetFolder"},
            {[&] { return f.deleteBucket(b); }, "The bucket your tried to delete is not empty",
             "DeleteFolder"},
            {[&] { return f.deleteBucket(missing); }, noBucket, "DeleteFolder"},
            {[&] { return f.copyObjectFromSourceBucket(b, S("absent"), b, S("copy")); },
             "The specified key does not exist.", "CopyObject"},
            {[&] { return f.deleteObject(missing, S("k")); }, noBucket, "DeleteObject"},
            {[&] { return f.createBucket(S("Not_A_Valid_Bucket")); }, nullptr, "CreateFolder"},
            // Refused by the S3 layer before any request, recorded as the service's refusals.
            {[&] { return f.deleteObject(S(".."), S("k")); },
             "The bucket name \"..\" is not valid.", "DeleteObject"},
            {[&] { return f.copyObjectFromSourceBucket(S("."), S("k"), b, S("copy")); },
             "The bucket name \".\" is not valid.", "CopyObject"},
            {[&] {
                 authenticate(S("region=eu-west-1\r\nx-amz-date: 1"));
                 return list(bucket);
             },
             "The request holds a control character in header Authorization; it was not sent.",
             "GetFolder"},
        });
}

}  // namespace
}  // namespace storage_test
