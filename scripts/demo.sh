#!/usr/bin/env bash
set -euo pipefail
cd "$(dirname "$0")/.."
echo "nothing to demonstrate yet: the host runner does not exist yet"
