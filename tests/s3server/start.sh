#!/usr/bin/env bash
# Starts the local S3 test server in the background and returns once it answers.
#   start.sh STATE_DIR
# STATE_DIR is emptied first. Afterwards it holds: pid (the server's process id), endpoint (its
# URL, one line), requests.jsonl (every request received), server.log (the server's messages),
# data/ (the stored buckets). Stop it with stop.sh STATE_DIR.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
state=${1:?usage: start.sh STATE_DIR}
timeout_s=${SKRW_S3SERVER_START_TIMEOUT:-30}

if [ -f "$state/pid" ]; then
    "$here/stop.sh" "$state" || true
fi
rm -rf "$state"
mkdir -p "$state"
state=$(cd "$state" && pwd)

if ! command -v node >/dev/null 2>&1; then
    echo "start.sh: node is not installed (scripts/test.sh installs it)" >&2
    exit 1
fi
if [ ! -d "$here/node_modules/s3rver" ] || [ ! -d "$here/node_modules/@smithy/signature-v4" ]; then
    echo "start.sh: the server's npm packages are missing; run: (cd $here && npm ci)" >&2
    exit 1
fi

# setsid detaches the server from the caller's session and process group, so the caller (CTest,
# the demo) goes on while it runs and its end does not take the server with it.
NODE_OPTIONS="${NODE_OPTIONS:+$NODE_OPTIONS }--openssl-legacy-provider" \
    setsid node "$here/front.js" "$state" </dev/null >"$state/server.log" 2>&1 &
echo $! >"$state/pid"

deadline=$((SECONDS + timeout_s))
while :; do
    if [ -s "$state/endpoint" ] &&
        curl -sf --max-time 2 "$(cat "$state/endpoint")/_skrw_test/ping" >/dev/null 2>&1; then
        echo "S3 test server at $(cat "$state/endpoint") (state in $state)"
        exit 0
    fi
    if ! kill -0 "$(cat "$state/pid")" 2>/dev/null; then
        echo "start.sh: the S3 test server exited at start; its log ($state/server.log):" >&2
        cat "$state/server.log" >&2
        exit 1
    fi
    if [ "$SECONDS" -ge "$deadline" ]; then
        echo "start.sh: the S3 test server did not answer within ${timeout_s}s; its log:" >&2
        cat "$state/server.log" >&2
        "$here/stop.sh" "$state" || true
        exit 1
    fi
    sleep 0.2
done
