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
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "floor_sigv4.h"

static const char* g_access;
static const char* g_secret;
static const char* g_endpoint;
static const char* g_host;

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
    floor_sha256_hex(body != NULL ? body : "", body_size, payload_hash);
    time_t seconds = time(NULL);
    struct tm utc;
    gmtime_r(&seconds, &utc);
    char amz_date[32];
    strftime(amz_date, sizeof amz_date, "%Y%m%dT%H%M%SZ", &utc);
    char authorization[1024], date_header[64], hash_header[128], url[2048];
    floor_sign(method, path, query, g_host, amz_date, payload_hash, g_access, g_secret,
               authorization, sizeof authorization);
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
