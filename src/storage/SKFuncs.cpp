// The storage access object's life, its credentials, the list of all buckets and the error
// record's accessors.
#include "storage/SKFuncs.h"

#include <string>

#include "storage/Region.h"
#include "storage/ServiceClient.h"

using skrw::platform::String;
using namespace skrw::storage;

namespace {

const char kCredentialsLower[] = "useCredentials";
const char kCredentialsUpper[] = "UseCredentials";
const char kListFolders[] = "listFolders";

}  // namespace

SKFuncs::SKFuncs() {
    Aws::InitAPI(m_options);
}

SKFuncs::~SKFuncs() {
    Aws::ShutdownAPI(m_options);
}

bool SKFuncs::useCredentialsForService(const String& service, const String& username,
                                       const String& password, const String& parameters) {
    m_error.clearError();
    if (!isGiven(service)) {
        recordFailure(m_error, "Service cannot be empty or null.", kBadArgumentCode,
                      kCredentialsLower);
        return false;
    }
    const String module = service.lowercaseString();
    if (!module.isEqualToString(String::fromUtf8("s3")) &&
        !module.isEqualToString(String::fromUtf8("aws"))) {
        recordFailure(m_error, kInvalidModule, kInvalidModuleCode, kCredentialsUpper);
        return false;
    }
    Aws::Auth::AWSCredentials candidate(username.utf8(), password.utf8(), "");
    const String region = regionFromParameters(parameters);

    // The probe runs in the default region, whatever region the parameters name.
    ServiceClient probe(candidate, clientConfiguration(String()));
    if (!probe->ListBuckets().IsSuccess()) {
        recordFailure(m_error, "Failed to list buckets", kServiceFailureCode, kCredentialsUpper);
        return false;
    }
    m_region = region;
    m_module = 1;
    m_credentials = candidate;
    return true;
}

String SKFuncs::listBuckets() {
    m_error.clearError();
    if (m_module != 1) {
        recordFailure(m_error, kInvalidModule, kInvalidModuleCode, kListFolders);
        return String::fromUtf8(kErrorAnswer);
    }
    if (!isAuthenticated(m_credentials)) {
        recordFailure(m_error, kNotAuthenticated, kServiceFailureCode, kListFolders);
        return String::fromUtf8(kErrorAnswer);
    }
    ServiceClient client(m_credentials, clientConfiguration(String()));
    const auto outcome = client->ListBuckets();
    if (!outcome.IsSuccess()) {
        recordServiceFailure(m_error, outcome.GetError(), kListFolders);
        return String::fromUtf8(kErrorAnswer);
    }
    std::string list;
    for (const auto& bucket : outcome.GetResult().GetBuckets()) {
        list.append(bucket.GetName()).push_back('\n');
    }
    return String::fromUtf8(list);
}

void SKFuncs::SetError(const String& message, const String& code, const String& source) {
    m_error.setError(message, code, source);
}

String SKFuncs::getLastError() const {
    return m_error.getError();
}

String SKFuncs::getLastErrorCode() const {
    return m_error.code();
}
