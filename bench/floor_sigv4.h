/*
 * Signature Version 4 for the benchmark floor clients: the least signing a
 * bare libcurl client needs to be accepted by the local S3 server, done the
 * way the plug-in's S3 layer signs (host, x-amz-content-sha256 and x-amz-date
 * signed; region us-east-1; service s3).
 */
#ifndef SKRW_BENCH_FLOOR_SIGV4_H
#define SKRW_BENCH_FLOOR_SIGV4_H

#include <stddef.h>

/* Lower-case hex of the SHA-256 of `size` bytes; `out` holds 65 bytes. */
void floor_sha256_hex(const void* data, size_t size, char* out);

/* Lower-case hex of the SHA-256 of a file; `out` holds 65 bytes. -1 when the
   file cannot be read. */
int floor_sha256_file_hex(const char* path, char* out);

/* Writes the whole "Authorization: ..." header line for one request into
   `authorization`. `query` is the canonical (sorted, encoded) query string,
   empty when there is none; `amz_date` is YYYYMMDDTHHMMSSZ. */
void floor_sign(const char* method, const char* path, const char* query, const char* host,
                const char* amz_date, const char* payload_hash, const char* access,
                const char* secret, char* authorization, size_t size);

#endif
