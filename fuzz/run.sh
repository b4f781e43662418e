#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each one for
# a bounded time from its seed corpus. Any crash, sanitizer report, broken
# property or hang fails the script; the input that caused it is kept in
# build-fuzz/fuzz-findings/. Prints the executions each target reached.
#
#   fuzz/run.sh [SECONDS_PER_TARGET]     (default 10)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-${SKRW_FUZZ_SECONDS:-10}}
build_dir=${SKRW_FUZZ_BUILD_DIR:-build-fuzz}
targets=(
  fuzz_xml_parsers
  fuzz_sigv4_canonical
  fuzz_strings_file
  fuzz_platform_string
  fuzz_region_rule
  fuzz_calculation
)

# clang and its libFuzzer runtime come with the project's Debian packages.
if ! command -v clang++ >/dev/null 2>&1 || ! dpkg-query -W libclang-rt-14-dev >/dev/null 2>&1; then
  # shellcheck source=../scripts/lib/setup.sh
  source scripts/lib/setup.sh
  ensure_dependencies
fi

jobs=${SKRW_BUILD_JOBS:-2}
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -DSKRW_FUZZ=ON -DSKRW_WERROR=ON -DBUILD_TESTING=OFF \
  >/dev/null
cmake --build "$build_dir" -j "$jobs" --target "${targets[@]}"

work="$build_dir/fuzz-work"
findings="$build_dir/fuzz-findings"
mkdir -p "$findings"
failed=()
summary=()
for target in "${targets[@]}"; do
  # New inputs go to a scratch corpus, so the seeds in the repository stay as
  # they are.
  rm -rf "${work:?}/$target"
  mkdir -p "$work/$target"
  log="$work/$target.log"
  echo "=== $target (${seconds}s) ==="
  status=0
  "$build_dir/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/$target-" \
    "$work/$target" "fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ "$status" -ne 0 ]; then
    tail -40 "$log"
    failed+=("$target")
    summary+=("$(printf '%-24s FAILED (exit %s)' "$target" "$status")")
  else
    summary+=("$(printf '%-24s %12s executions, no finding' "$target" "${runs:-?}")")
  fi
done

echo "=== fuzz summary ==="
printf '%s\n' "${summary[@]}"
if [ "${#failed[@]}" -ne 0 ]; then
  echo "fuzz findings in: ${failed[*]} (inputs in $findings)" >&2
  exit 1
fi
