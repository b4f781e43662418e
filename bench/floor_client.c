/*
 * The floor for the S3 layer's transfer benchmark: the least a libcurl client
 * must do to move one object, signed with Signature Version 4 the same way as
 * the layer (over plain HTTP the body's SHA-256, hashed from the file before
 * sending), with one fresh easy handle per request, streaming the upload from
 * the file and writing the download straight into the destination file.
 *
 *   floor_client upload   ENDPOINT BUCKET KEY FILE
 *   floor_client download ENDPOINT BUCKET KEY FILE
 *
 * ENDPOINT is http://host:port. Credentials come from AWS_ACCESS_KEY_ID and
 * AWS_SECRET_ACCESS_KEY, the region is us-east-1. Prints one line:
 * "<direction> <bytes> bytes <seconds> s <MB/s> MB/s peak RSS <KiB> KiB".
 */
#include <curl/curl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <time.h>

#include "floor_sigv4.h"

static double now_seconds(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + ts.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
    if (argc != 6) {
        fprintf(stderr, "usage: %s upload|download ENDPOINT BUCKET KEY FILE\n", argv[0]);
        return 2;
    }
    const int upload = strcmp(argv[1], "upload") == 0;
    const char* endpoint = argv[2];
    const char* access = getenv("AWS_ACCESS_KEY_ID");
    const char* secret = getenv("AWS_SECRET_ACCESS_KEY");
    if (access == NULL || secret == NULL || strncmp(endpoint, "http://", 7) != 0) {
        fprintf(stderr,
                "floor_client: need AWS_ACCESS_KEY_ID, AWS_SECRET_ACCESS_KEY and an "
                "http:// endpoint\n");
        return 2;
    }
    const char* host = endpoint + 7;
    char path[1024], url[2048];
    snprintf(path, sizeof path, "/%s/%s", argv[3], argv[4]);
    snprintf(url, sizeof url, "%s%s", endpoint, path);

    curl_global_init(CURL_GLOBAL_DEFAULT);
    const double started = now_seconds();
    char payload_hash[65];
    if (upload) {
        if (floor_sha256_file_hex(argv[5], payload_hash) != 0) {
            perror(argv[5]);
            return 1;
        }
    } else {
        floor_sha256_hex("", 0, payload_hash);
    }
    time_t seconds = time(NULL);
    struct tm utc;
    gmtime_r(&seconds, &utc);
    char amz_date[32];
    strftime(amz_date, sizeof amz_date, "%Y%m%dT%H%M%SZ", &utc);
    char authorization[1024], host_header[512], date_header[64], hash_header[128];
    floor_sign(upload ? "PUT" : "GET", path, "", host, amz_date, payload_hash, access, secret,
               authorization, sizeof authorization);
    snprintf(host_header, sizeof host_header, "Host: %s", host);
    snprintf(date_header, sizeof date_header, "x-amz-date: %s", amz_date);
    snprintf(hash_header, sizeof hash_header, "x-amz-content-sha256: %s", payload_hash);
    struct curl_slist* headers = NULL;
    headers = curl_slist_append(headers, host_header);
    headers = curl_slist_append(headers, date_header);
    headers = curl_slist_append(headers, hash_header);
    headers = curl_slist_append(headers, authorization);
    headers = curl_slist_append(headers, "Expect:");

    FILE* file = fopen(argv[5], upload ? "rb" : "wb");
    if (file == NULL) {
        perror(argv[5]);
        return 1;
    }
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    if (upload) {
        fseek(file, 0, SEEK_END);
        const long size = ftell(file);
        fseek(file, 0, SEEK_SET);
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, (curl_off_t)size);
        curl_easy_setopt(curl, CURLOPT_READDATA, file);
    } else {
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, file);
    }
    const CURLcode code = curl_easy_perform(curl);
    curl_off_t bytes = 0;
    curl_easy_getinfo(curl, upload ? CURLINFO_SIZE_UPLOAD_T : CURLINFO_SIZE_DOWNLOAD_T, &bytes);
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
    if (fclose(file) != 0 || code != CURLE_OK) {
        fprintf(stderr, "floor_client: %s failed: %s\n", argv[1], curl_easy_strerror(code));
        return 1;
    }
    const double elapsed = now_seconds() - started;
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    printf("%-8s %lld bytes %.2f s %.1f MB/s peak RSS %ld KiB\n", argv[1], (long long)bytes,
           elapsed, bytes / elapsed / 1e6, usage.ru_maxrss);
    curl_global_cleanup();
    return 0;
}
