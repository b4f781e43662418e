#!/usr/bin/env bash
# start.sh STATE_DIR: empties STATE_DIR, starts the local S3 test server in the background and
# returns once it answers. STATE_DIR then holds pid, endpoint (its URL), requests.jsonl (every
# request received), server.log and data/. stop.sh STATE_DIR stops it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
state=${1:?usage: start.sh STATE_DIR}
[ -d "$here/node_modules/s3rver" ] || { echo "start.sh: run (cd $here && npm ci) first" >&2; exit 1; }
"$here/stop.sh" "$state"
rm -rf "$state" && mkdir -p "$state" && state=$(cd "$state" && pwd)

# setsid: the caller (CTest, the demo) goes on while the server runs, and its end leaves it running.
NODE_OPTIONS="${NODE_OPTIONS:+$NODE_OPTIONS }--openssl-legacy-provider" \
    setsid node "$here/front.js" "$state" </dev/null >"$state/server.log" 2>&1 &
echo $! >"$state/pid"

deadline=$((SECONDS + ${SKRW_S3SERVER_START_TIMEOUT:-30}))
until [ -s "$state/endpoint" ] && curl -sf --max-time 2 "$(cat "$state/endpoint")/_skrw_test/ping" >/dev/null; do
    if ! kill -0 "$(cat "$state/pid")" 2>/dev/null || [ "$SECONDS" -ge "$deadline" ]; then
        echo "start.sh: the S3 test server did not start; its log ($state/server.log):" >&2
        cat "$state/server.log" >&2
        "$here/stop.sh" "$state"
        exit 1
    fi
    sleep 0.2
done
echo "S3 test server at $(cat "$state/endpoint") (state in $state)"
