#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each for a bounded time from its
# seed corpus (new inputs go to a scratch corpus). A crash, sanitizer report, broken property or
# hang fails the script and keeps its input in build-fuzz/fuzz-findings/.
#   fuzz/run.sh [SECONDS_PER_TARGET]     (default 10)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-${SKRW_FUZZ_SECONDS:-10}}
build=${SKRW_FUZZ_BUILD_DIR:-build-fuzz}
targets=(fuzz_xml_parsers fuzz_sigv4_canonical fuzz_strings_file fuzz_platform_string fuzz_calculation)
dpkg-query -W clang libclang-rt-14-dev >/dev/null 2>&1 || { source scripts/lib/setup.sh && ensure_dependencies; }
CC=clang CXX=clang++ cmake -S . -B "$build" -DSKRW_FUZZ=ON -DSKRW_WERROR=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j "${SKRW_BUILD_JOBS:-2}" --target "${targets[@]}"
mkdir -p "$build/fuzz-findings"
failed=()
for target in "${targets[@]}"; do
  work="$build/fuzz-work/$target"
  rm -rf "$work" && mkdir -p "$work"
  if "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/fuzz-findings/$target-" \
      "$work" "fuzz/corpus/$target" >"$work.log" 2>&1; then
    echo "$target: $(sed -n 's/^stat::number_of_executed_units: *//p' "$work.log" | tail -1) executions, no finding"
  else
    tail -40 "$work.log"
    failed+=("$target")
  fi
done
if [ "${#failed[@]}" -ne 0 ]; then
  echo "fuzz findings in: ${failed[*]} (inputs in $build/fuzz-findings)" >&2
  exit 1
fi
