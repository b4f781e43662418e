#include "floor_sigv4.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <stdio.h>
#include <string.h>

static void to_hex(const unsigned char* data, size_t size, char* out) {
    static const char digits[] = "0123456789abcdef";
    for (size_t i = 0; i < size; ++i) {
        out[2 * i] = digits[data[i] >> 4];
        out[2 * i + 1] = digits[data[i] & 15];
    }
    out[2 * size] = '\0';
}

void floor_sha256_hex(const void* data, size_t size, char* out) {
    unsigned char digest[32];
    unsigned int length = 0;
    EVP_Digest(data, size, digest, &length, EVP_sha256(), NULL);
    to_hex(digest, 32, out);
}

int floor_sha256_file_hex(const char* path, char* out) {
    FILE* file = fopen(path, "rb");
    if (file == NULL) return -1;
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    EVP_DigestInit_ex(ctx, EVP_sha256(), NULL);
    static char chunk[1 << 20];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, file)) > 0) EVP_DigestUpdate(ctx, chunk, n);
    unsigned char digest[32];
    unsigned int length = 0;
    EVP_DigestFinal_ex(ctx, digest, &length);
    EVP_MD_CTX_free(ctx);
    fclose(file);
    to_hex(digest, 32, out);
    return 0;
}

static void hmac(const void* key, size_t key_size, const char* data, unsigned char* out) {
    unsigned int length = 0;
    HMAC(EVP_sha256(), key, (int)key_size, (const unsigned char*)data, strlen(data), out, &length);
}

void floor_sign(const char* method, const char* path, const char* query, const char* host,
                const char* amz_date, const char* payload_hash, const char* access,
                const char* secret, char* authorization, size_t size) {
    char canonical[4096];
    snprintf(canonical, sizeof canonical,
             "%s\n%s\n%s\nhost:%s\nx-amz-content-sha256:%s\nx-amz-date:%s\n\n"
             "host;x-amz-content-sha256;x-amz-date\n%s",
             method, path, query, host, payload_hash, amz_date, payload_hash);
    char canonical_hash[65];
    floor_sha256_hex(canonical, strlen(canonical), canonical_hash);
    char day[9];
    memcpy(day, amz_date, 8);
    day[8] = '\0';
    char scope[128];
    snprintf(scope, sizeof scope, "%s/us-east-1/s3/aws4_request", day);
    char to_sign[512];
    snprintf(to_sign, sizeof to_sign, "AWS4-HMAC-SHA256\n%s\n%s\n%s", amz_date, scope,
             canonical_hash);
    char secret_key[256];
    snprintf(secret_key, sizeof secret_key, "AWS4%s", secret);
    unsigned char k1[32], k2[32], k3[32], k4[32], signature[32];
    hmac(secret_key, strlen(secret_key), day, k1);
    hmac(k1, 32, "us-east-1", k2);
    hmac(k2, 32, "s3", k3);
    hmac(k3, 32, "aws4_request", k4);
    hmac(k4, 32, to_sign, signature);
    char signature_hex[65];
    to_hex(signature, 32, signature_hex);
    snprintf(authorization, size,
             "Authorization: AWS4-HMAC-SHA256 Credential=%s/%s,"
             "SignedHeaders=host;x-amz-content-sha256;x-amz-date,Signature=%s",
             access, scope, signature_hex);
}
