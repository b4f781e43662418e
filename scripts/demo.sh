#!/usr/bin/env bash
# A sample session with the plug-in, as a user of the host application would run it: installs
# what is missing, builds, starts the local S3 test server, evaluates the SKRW_ functions one
# after another through the stand-in host (build/pluginhost), prints each call and its answer,
# and stops the server.
#
#   BUILD_DIR  build folder (default: build)
#
# Against Amazon S3 instead: leave AWS_ENDPOINT_URL_S3 (and AWS_ENDPOINT_URL) unset and set
# AWS_ACCESS_KEY_ID and AWS_SECRET_ACCESS_KEY (optionally AWS_REGION). The session creates a
# bucket of its own and deletes it again at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/setup.sh

BUILD_DIR=${BUILD_DIR:-build}
work=$(mktemp -d "${TMPDIR:-/tmp}/skrw-demo.XXXXXX")
server_state="$work/s3server"
server_started=

cleanup() {
    if [ -n "$server_started" ]; then
        tests/s3server/stop.sh "$server_state" || true
        echo "Stopped the local S3 server."
    fi
    rm -rf "$work"
}
trap cleanup EXIT

ensure_dependencies
echo "Building in $BUILD_DIR/ (build log: $BUILD_DIR/demo-build.log) ..."
mkdir -p "$BUILD_DIR"
if ! configure_and_build "$BUILD_DIR" >"$BUILD_DIR/demo-build.log" 2>&1; then
    tail -n 40 "$BUILD_DIR/demo-build.log" >&2
    echo "demo.sh: the build failed" >&2
    exit 1
fi

if [ -z "${AWS_ENDPOINT_URL_S3:-}${AWS_ENDPOINT_URL:-}" ] &&
    [ -n "${AWS_ACCESS_KEY_ID:-}" ] && [ -n "${AWS_SECRET_ACCESS_KEY:-}" ]; then
    echo "Using Amazon S3 with the credentials of AWS_ACCESS_KEY_ID."
    access_key=$AWS_ACCESS_KEY_ID
    secret_key=$AWS_SECRET_ACCESS_KEY
    options=${AWS_REGION:+region=$AWS_REGION}
else
    tests/s3server/start.sh "$server_state" >/dev/null
    server_started=1
    AWS_ENDPOINT_URL_S3=$(cat "$server_state/endpoint")
    export AWS_ENDPOINT_URL_S3
    unset AWS_ENDPOINT_URL
    echo "Started the local S3 server at $AWS_ENDPOINT_URL_S3."
    access_key=S3RVER
    secret_key=S3RVER
    options=
fi

# The session's files: an upload below the work folder, the download below a "Volumes" folder
# there (the plug-in writes downloads into the volume form of a path).
bucket="skerrow-demo-$(date +%s)-$$"
key="reports/hello.txt"
copy_key="reports/hello copy.txt"
upload="$work/upload/hello.txt"
download="$work/Volumes/Downloads/hello.txt"
mkdir -p "$work/upload"
printf 'Hello from Skerrow!\n' >"$upload"
export HOME="$work/home"
mkdir -p "$HOME"

calculations=()
shown=()
add() { # add CALCULATION [AS SHOWN]
    calculations+=("$1")
    shown+=("${2:-$1}")
}
q() { printf '"%s"' "$1"; }

add 'SKRW_Version'
add 'SKRW_Version("Short")'
add "SKRW_UseCredentials(\"s3\"; $(q "$access_key"); $(q "$secret_key"); $(q "$options"))" \
    "SKRW_UseCredentials(\"s3\"; $(q "$access_key"); \"********\"; $(q "$options"))"
add "SKRW_CreateBucket($(q "$bucket"))"
add "SKRW_PostObject($(q "$bucket"); $(q "$key"); $(q "$upload"))"
add 'SKRW_ListAllBuckets'
add "SKRW_GetBucket($(q "$bucket"))"
for property in count key size etag storageclass lastmodified; do
    add "SKRW_GetBucketProperty(\"$property\"; 0)"
done
add "SKRW_GetObject($(q "$bucket"); $(q "$key"); $(q "$download"))"
add "SKRW_CopyObject($(q "$bucket"); $(q "$key"); $(q "$bucket"); $(q "$copy_key"))"
add "SKRW_GetBucket($(q "$bucket"); \"reports/\")"
add 'SKRW_GetBucketProperty("keys"; 0)'
add "SKRW_DeleteObject($(q "$bucket"); $(q "$key"))"
add "SKRW_DeleteObject($(q "$bucket"); $(q "$copy_key"))"
add "SKRW_DeleteBucket($(q "$bucket"))"
# A deliberate failure: the bucket is gone now.
add "SKRW_DeleteBucket($(q "$bucket"))"
add 'SKRW_GetLastError'
add 'SKRW_GetLastError("Number")'

printf '%s\n' "${shown[@]}" >"$work/shown.txt"
echo
echo "pluginhost session ($BUILD_DIR/pluginhost --json $BUILD_DIR/SKRW.bundle):"
echo
status=0
"$BUILD_DIR/pluginhost" --json "$BUILD_DIR/SKRW.bundle" "${calculations[@]}" \
    >"$work/answers.jsonl" 2>"$work/console.txt" || status=$?
# One block per call: the call as typed, then its answer (lines of a multi-line answer indented).
node -e '
const fs = require("fs");
const shown = fs.readFileSync(process.argv[1], "utf8").split("\n");
const answers = fs.readFileSync(process.argv[2], "utf8").split("\n").filter(Boolean);
answers.forEach((line, i) => {
  const a = JSON.parse(line);
  console.log("> " + shown[i]);
  const text = a.error !== undefined ? "(not evaluated: " + a.error + ")" : a.result;
  const lines = text.endsWith("\n") ? text.slice(0, -1).split("\n") : text.split("\n");
  lines.forEach((l) => console.log("  " + l));
});
' "$work/shown.txt" "$work/answers.jsonl"
echo
echo "The plug-in's console lines (standard error):"
sed 's/^/  /' "$work/console.txt"
echo
if [ -f "$download" ]; then
    echo "Downloaded file ${download#"$work"/} holds: $(cat "$download")"
fi
exit "$status"
