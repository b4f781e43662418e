#!/usr/bin/env bash
# Stops the local S3 test server started by start.sh STATE_DIR. Leaves the state folder (the
# request log and server log stay readable); succeeds when no server is running.
set -euo pipefail

state=${1:?usage: stop.sh STATE_DIR}
pidfile="$state/pid"
[ -f "$pidfile" ] || exit 0
pid=$(cat "$pidfile")

# Only a process that is still this server's node process is stopped, never a process that
# reused the number.
is_server() {
    kill -0 "$pid" 2>/dev/null && tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q 'front.js'
}

if is_server; then
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 1 50); do
        is_server || break
        sleep 0.1
    done
    if is_server; then kill -KILL "$pid" 2>/dev/null || true; fi
fi
rm -f "$pidfile" "$state/endpoint"
