/*
 * The floor of the side-by-side benchmark for small operations: the least a
 * libcurl client must do for each request the plug-in makes, signed with
 * Signature Version 4 the same way (the body's SHA-256 over plain HTTP), with
 * one fresh easy handle per request, all in one process.
 *
 *   compare_floor ENDPOINT COUNT OPERATION [ARGUMENTS]
 *
 *   list-buckets                      GET /
 *   list-objects BUCKET               GET /BUCKET?list-type=2&max-keys=1000
 *   put BUCKET KEY FILE               PUT /BUCKET/KEY with the file (hashed each time)
 *   get BUCKET KEY FILE               GET /BUCKET/KEY into the file
 *   copy BUCKET KEY BUCKET2 KEY2      PUT /BUCKET2/KEY2 with x-amz-copy-source
 *   delete BUCKET KEY                 DELETE /BUCKET/KEY
 *   create-delete BUCKET              PUT /BUCKET then DELETE /BUCKET (one operation)
 *
 * Makes one warm-up operation, then COUNT timed ones, and prints
 * "<operation> <count> <seconds>". ENDPOINT is http://host:port; credentials
 * come from AWS_ACCESS_KEY_ID and AWS_SECRET_ACCESS_KEY; the region is
 * us-east-1. Exits 1 on the first failed request.
 */
#include <curl/curl.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static const char* g_access;
static const char* g_secret;
static const char* g_endpoint;
static const char* g_host;

static void to_hex(const unsigned char* data, size_t size, char* out) {
    static const char digits[] = "0123456789abcdef";
    for (size_t i = 0; i < size; ++i) {
        out[2 * i] = digits[data[i] >> 4];
        out[2 * i + 1] = digits[data[i] & 15];
    }
    out[2 * size] = '\0';
}

static void sha256_hex(const void* data, size_t size, char* out) {
    unsigned char digest[32];
    unsigned int length = 0;
    EVP_Digest(data, size, digest, &length, EVP_sha256(), NULL);
    to_hex(digest, 32, out);
}

static void hmac(const void* key, size_t key_size, const char* data, unsigned char* out) {
    unsigned int length = 0;
    HMAC(EVP_sha256(), key, (int)key_size, (const unsigned char*)data, strlen(data), out, &length);
}

/* The Authorization header line for a request signing host, the payload hash
   and the date. */
static void sign(const char* method, const char* path, const char* query, const char* amz_date,
                 const char* payload_hash, char* authorization, size_t size) {
    char canonical[4096];
    snprintf(canonical, sizeof canonical,
             "%s\n%s\n%s\nhost:%s\nx-amz-content-sha256:%s\nx-amz-date:%s\n\n"
             "host;x-amz-content-sha256;x-amz-date\n%s",
             method, path, query, g_host, payload_hash, amz_date, payload_hash);
    char canonical_hash[65];
    sha256_hex(canonical, strlen(canonical), canonical_hash);
    char day[9];
    memcpy(day, amz_date, 8);
    day[8] = '\0';
    char scope[128];
    snprintf(scope, sizeof scope, "%s/us-east-1/s3/aws4_request", day);
    char to_sign[512];
    snprintf(to_sign, sizeof to_sign, "AWS4-HMAC-SHA256\n%s\n%s\n%s", amz_date, scope,
             canonical_hash);
    char secret_key[256];
    snprintf(secret_key, sizeof secret_key, "AWS4%s", g_secret);
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
             g_access, scope, signature_hex);
}

struct Memory {
    char* data;
    size_t size;
};

static size_t keep(char* data, size_t size, size_t count, void* user) {
    struct Memory* memory = user;
    char* grown = realloc(memory->data, memory->size + size * count);
    if (grown == NULL) return 0;
    memcpy(grown + memory->size, data, size * count);
    memory->data = grown;
    memory->size += size * count;
    return size * count;
}

/* One request with a fresh handle. `upload` is a file to send (PUT), `into` a
   file to receive the body, else the body is kept in memory and dropped. */
static int request(const char* method, const char* path, const char* query, const char* extra,
                   const char* upload, const char* into) {
    char payload_hash[65];
    char* body = NULL;
    long body_size = 0;
    if (upload != NULL) {
        FILE* file = fopen(upload, "rb");
        if (file == NULL) return -1;
        fseek(file, 0, SEEK_END);
        body_size = ftell(file);
        fseek(file, 0, SEEK_SET);
        body = malloc(body_size > 0 ? body_size : 1);
        if (fread(body, 1, body_size, file) != (size_t)body_size) body_size = -1;
        fclose(file);
        if (body_size < 0) return -1;
    }
    sha256_hex(body != NULL ? body : "", body_size, payload_hash);
    time_t seconds = time(NULL);
    struct tm utc;
    gmtime_r(&seconds, &utc);
    char amz_date[32];
    strftime(amz_date, sizeof amz_date, "%Y%m%dT%H%M%SZ", &utc);
    char authorization[1024], date_header[64], hash_header[128], url[2048];
    sign(method, path, query, amz_date, payload_hash, authorization, sizeof authorization);
    snprintf(date_header, sizeof date_header, "x-amz-date: %s", amz_date);
    snprintf(hash_header, sizeof hash_header, "x-amz-content-sha256: %s", payload_hash);
    snprintf(url, sizeof url, "%s%s%s%s", g_endpoint, path, query[0] ? "?" : "", query);
    struct curl_slist* headers = NULL;
    headers = curl_slist_append(headers, date_header);
    headers = curl_slist_append(headers, hash_header);
    headers = curl_slist_append(headers, authorization);
    headers = curl_slist_append(headers, "Expect:");
    if (extra != NULL) headers = curl_slist_append(headers, extra);

    FILE* out = NULL;
    if (into != NULL && (out = fopen(into, "wb")) == NULL) {
        curl_slist_free_all(headers);
        free(body);
        return -1;
    }
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method);
    if (upload != NULL || strcmp(method, "PUT") == 0) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body != NULL ? body : "");
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, (curl_off_t)body_size);
    }
    if (strcmp(method, "DELETE") == 0) curl_easy_setopt(curl, CURLOPT_NOBODY, 0L);
    struct Memory memory = {NULL, 0};
    if (out != NULL) {
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, out);
    } else {
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, keep);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &memory);
    }
    const CURLcode code = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
    free(body);
    free(memory.data);
    int closed = 0;
    if (out != NULL) closed = fclose(out);
    if (code != CURLE_OK || closed != 0) {
        fprintf(stderr, "compare_floor: %s %s failed: %s\n", method, path,
                curl_easy_strerror(code));
        return -1;
    }
    return 0;
}

static int operation(int argc, char** argv) {
    const char* op = argv[0];
    char path[1024], extra[1100];
    if (strcmp(op, "list-buckets") == 0) return request("GET", "/", "", NULL, NULL, NULL);
    if (strcmp(op, "list-objects") == 0 && argc == 2) {
        snprintf(path, sizeof path, "/%s", argv[1]);
        return request("GET", path, "list-type=2&max-keys=1000", NULL, NULL, NULL);
    }
    if (strcmp(op, "put") == 0 && argc == 4) {
        snprintf(path, sizeof path, "/%s/%s", argv[1], argv[2]);
        return request("PUT", path, "", NULL, argv[3], NULL);
    }
    if (strcmp(op, "get") == 0 && argc == 4) {
        snprintf(path, sizeof path, "/%s/%s", argv[1], argv[2]);
        return request("GET", path, "", NULL, NULL, argv[3]);
    }
    if (strcmp(op, "copy") == 0 && argc == 5) {
        snprintf(path, sizeof path, "/%s/%s", argv[3], argv[4]);
        snprintf(extra, sizeof extra, "x-amz-copy-source: %s/%s", argv[1], argv[2]);
        return request("PUT", path, "", extra, NULL, NULL);
    }
    if (strcmp(op, "delete") == 0 && argc == 3) {
        snprintf(path, sizeof path, "/%s/%s", argv[1], argv[2]);
        return request("DELETE", path, "", NULL, NULL, NULL);
    }
    if (strcmp(op, "create-delete") == 0 && argc == 2) {
        snprintf(path, sizeof path, "/%s", argv[1]);
        if (request("PUT", path, "", NULL, NULL, NULL) != 0) return -1;
        return request("DELETE", path, "", NULL, NULL, NULL);
    }
    fprintf(stderr, "compare_floor: unknown operation or arguments: %s\n", op);
    return -2;
}

static double now_seconds(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + ts.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: %s ENDPOINT COUNT OPERATION [ARGUMENTS]\n", argv[0]);
        return 2;
    }
    g_endpoint = argv[1];
    g_access = getenv("AWS_ACCESS_KEY_ID");
    g_secret = getenv("AWS_SECRET_ACCESS_KEY");
    if (g_access == NULL || g_secret == NULL || strncmp(g_endpoint, "http://", 7) != 0) {
        fprintf(stderr,
                "compare_floor: need AWS_ACCESS_KEY_ID, AWS_SECRET_ACCESS_KEY and an "
                "http:// endpoint\n");
        return 2;
    }
    g_host = g_endpoint + 7;
    const int count = atoi(argv[2]);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    if (operation(argc - 3, argv + 3) != 0) return 1;
    const double started = now_seconds();
    for (int i = 0; i < count; ++i) {
        if (operation(argc - 3, argv + 3) != 0) return 1;
    }
    printf("%s %d %.6f\n", argv[3], count, now_seconds() - started);
    curl_global_cleanup();
    return 0;
}
