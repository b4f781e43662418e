#!/usr/bin/env bash
# Transfer benchmark of the S3 layer: uploads and downloads one large object
# (1 GiB unless SKRW_BENCH_MIB says otherwise) through the layer
# (aws_transfer), through the floor (floor_client: bare libcurl, same
# signing, one fresh handle per request) and through curl --aws-sigv4, all
# against the same local S3 server in the same run, then prints the figures
# and the layer's time as a multiple of the floor's.
#   bench/aws_transfer.sh [BUILD_DIR]      (default: build)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
mib=${SKRW_BENCH_MIB:-1024}
for program in "$build/bench/aws_transfer" "$build/bench/floor_client"; do
    [ -x "$program" ] || { echo "aws_transfer.sh: $program is not built" >&2; exit 1; }
done

work=$(mktemp -d /tmp/skrw-bench.XXXXXX)
state="$work/server"
cleanup() {
    "$root/tests/s3server/stop.sh" "$state" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

"$root/tests/s3server/start.sh" "$state" >/dev/null
export AWS_ENDPOINT_URL_S3=$(cat "$state/endpoint")
unset AWS_ENDPOINT_URL
export AWS_ACCESS_KEY_ID=S3RVER AWS_SECRET_ACCESS_KEY=S3RVER
bucket=bench-$$
downloads="$work/Volumes/downloads"
mkdir -p "$downloads"
source="$work/source.bin"
head -c "$((mib * 1024 * 1024))" /dev/urandom >"$source"
echo "object: $mib MiB; server: $AWS_ENDPOINT_URL_S3"

# curl --aws-sigv4 as a reference line. curl does not add the payload hash
# itself, so it is handed the same one the others sign (the file's SHA-256,
# hashed inside the timed span; the empty body's hash for the download).
curl_run() {
    local direction=$1 url="$AWS_ENDPOINT_URL_S3/$bucket/curl.bin" out started ended hash
    local -a args=(--fail -sS --aws-sigv4 "aws:amz:us-east-1:s3" --user S3RVER:S3RVER)
    started=$(date +%s.%N)
    if [ "$direction" = upload ]; then
        hash=$(sha256sum "$source" | cut -d' ' -f1)
        out=$({ /usr/bin/time -f "rss %M" curl "${args[@]}" -H "x-amz-content-sha256: $hash" \
            -T "$source" -o /dev/null -w "%{size_upload}\n" "$url"; } 2>&1)
    else
        hash=e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855
        out=$({ /usr/bin/time -f "rss %M" curl "${args[@]}" -H "x-amz-content-sha256: $hash" \
            -o "$downloads/curl.bin" -w "%{size_download}\n" "$url"; } 2>&1)
    fi
    ended=$(date +%s.%N)
    local bytes rss
    bytes=$(grep -v '^rss' <<<"$out")
    rss=$(grep '^rss' <<<"$out" | cut -d' ' -f2)
    awk -v d="$direction" -v s="$(awk -v a="$started" -v b="$ended" 'BEGIN { print b - a }')" \
        -v b="$bytes" -v r="$rss" \
        'BEGIN { printf "%-8s %d bytes %.2f s %.1f MB/s peak RSS %d KiB\n", d, b, s, b / s / 1e6, r }'
}

# Every measured step starts with the page cache's dirty pages written out, so
# that no step pays for the writes of the one before it.
settle() { sync; sleep 1; }

seconds_of() { awk '{ for (i = 1; i <= NF; ++i) if ($(i + 1) == "s") { print $i; exit } }'; }

echo "--- layer (aws_transfer)"
settle
layer_up=$("$build/bench/aws_transfer" upload "$bucket" layer.bin "$source"); echo "$layer_up"
settle
layer_down=$("$build/bench/aws_transfer" download "$bucket" layer.bin "$downloads/layer.bin")
echo "$layer_down"
cmp -s "$source" "$downloads/layer.bin" || { echo "layer download differs from the source" >&2; exit 1; }
rm -f "$downloads/layer.bin"

echo "--- floor (floor_client)"
settle
floor_up=$("$build/bench/floor_client" upload "$AWS_ENDPOINT_URL_S3" "$bucket" floor.bin "$source")
echo "$floor_up"
settle
floor_down=$("$build/bench/floor_client" download "$AWS_ENDPOINT_URL_S3" "$bucket" floor.bin \
    "$downloads/floor.bin")
echo "$floor_down"
cmp -s "$source" "$downloads/floor.bin" || { echo "floor download differs from the source" >&2; exit 1; }
rm -f "$downloads/floor.bin"

echo "--- curl --aws-sigv4"
settle
curl_run upload
settle
curl_run download
cmp -s "$source" "$downloads/curl.bin" || { echo "curl download differs from the source" >&2; exit 1; }

echo "--- layer time / floor time (target: at most 1.25)"
awk -v lu="$(seconds_of <<<"$layer_up")" -v fu="$(seconds_of <<<"$floor_up")" \
    -v ld="$(seconds_of <<<"$layer_down")" -v fd="$(seconds_of <<<"$floor_down")" \
    'BEGIN { printf "upload   %.2f\ndownload %.2f\n", lu / fu, ld / fd }'
