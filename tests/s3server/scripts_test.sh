#!/usr/bin/env bash
# start.sh and stop.sh as the demo and benchmarks use them: start.sh empties the state folder,
# starts a server that answers, and replaces a server it finds running there; stop.sh ends it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
state=${1:?usage: scripts_test.sh STATE_DIR}
# Running, not just a zombie waiting for its parent to collect it.
alive() {
    local st
    st=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null || true)
    [ -n "$st" ] && [ "$st" != Z ]
}
fail() { echo "FAIL: $*" >&2; "$here/stop.sh" "$state" || true; exit 1; }

mkdir -p "$state"
touch "$state/stale-file"
"$here/start.sh" "$state" >/dev/null
[ ! -e "$state/stale-file" ] || fail "start.sh left an old file in the state folder"
first_pid=$(cat "$state/pid")
endpoint=$(cat "$state/endpoint")
[[ "$endpoint" =~ ^http://127\.0\.0\.1:[0-9]+$ ]] || fail "endpoint is '$endpoint'"
curl -sf "$endpoint/_skrw_test/ping" >/dev/null || fail "the server does not answer"

"$here/start.sh" "$state" >/dev/null
second_pid=$(cat "$state/pid")
alive "$first_pid" && fail "a second start left the first server running"
curl -sf "$(cat "$state/endpoint")/_skrw_test/ping" >/dev/null || fail "the restarted server does not answer"

"$here/stop.sh" "$state"
alive "$second_pid" && fail "stop.sh left the server running"
[ ! -e "$state/endpoint" ] || fail "stop.sh left the endpoint file"
"$here/stop.sh" "$state" || fail "stop.sh fails when no server runs"
echo "start and stop scripts: ok"
