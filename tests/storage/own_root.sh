#!/usr/bin/env bash
# Runs a test program as root in a root of its own: a private mount namespace whose / is an
# overlay of the machine's root with its changes in a tmpfs, /proc, /dev and the build folder
# bound in. So a test may make /Volumes without ever touching the machine's. Without root the
# program runs as it is, and its tests skip themselves.   own_root.sh BUILD_DIR PROGRAM [ARGS...]
set -euo pipefail
[ "$(id -u)" -eq 0 ] || exec "${@:2}"
root=$(mktemp -d /tmp/skrw-own-root-XXXXXX)
trap 'rmdir "$root/layers" "$root/merged" "$root"' EXIT
mkdir "$root/layers" "$root/merged"
status=0
unshare --mount --propagation private bash -euc '
  mount -t tmpfs tmpfs "$1/layers" && mkdir "$1/layers/upper" "$1/layers/work"
  mount -t overlay overlay -o "lowerdir=/,upperdir=$1/layers/upper,workdir=$1/layers/work" "$1/merged"
  for dir in /proc /dev "$2"; do mount --rbind "$dir" "$1/merged$dir"; done
  touch "$1/merged/.skrw-own-root"
  exec chroot "$1/merged" "${@:3}"' own-root "$root" "$@" || status=$?
if [ -e /Volumes ]; then echo "own_root.sh: /Volumes was made on the machine's root" >&2; exit 1; fi
exit "$status"
