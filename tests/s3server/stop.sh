#!/usr/bin/env bash
# stop.sh STATE_DIR: stops the server start.sh STATE_DIR started, if it still runs (never a process
# that reused its number); the logs stay.
set -euo pipefail
state=${1:?usage: stop.sh STATE_DIR}
[ -f "$state/pid" ] || exit 0
pid=$(cat "$state/pid")
is_server() { tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q front.js; }
if is_server; then
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 50); do is_server && sleep 0.1; done
    is_server && kill -KILL "$pid" 2>/dev/null
fi
rm -f "$state/pid" "$state/endpoint"
