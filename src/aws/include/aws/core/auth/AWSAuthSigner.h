#pragma once

namespace Aws::Client {

// Signature Version 4 signing of requests, as S3Client applies it. Only the
// payload policy is public.
class AWSAuthV4Signer {
  public:
    // Never (the value 2): the payload hash is "UNSIGNED-PAYLOAD" over HTTPS;
    // over plain HTTP this layer still signs the body's SHA-256, since nothing
    // else protects the body there. The other values sign the body always.
    enum class PayloadSigningPolicy { RequestDependent, Always, Never };
};

}  // namespace Aws::Client
