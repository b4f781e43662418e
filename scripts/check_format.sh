#!/usr/bin/env bash
# Fails, naming each file, when a tracked C or C++ source differs from what clang-format makes
# of it under the project's .clang-format. The version is pinned: another clang-format may lay
# out the same code differently.
#   scripts/check_format.sh            check every tracked source
#   scripts/check_format.sh FILE...    check only these
set -euo pipefail
cd "$(dirname "$0")/.."
want=14
tool=$(command -v "clang-format-$want" || command -v clang-format || true)
if [ -z "$tool" ] || ! "$tool" --version | grep -q "version $want\."; then
  echo "check_format: clang-format $want is needed (Debian 12's clang-format package)" >&2
  exit 2
fi
if [ "$#" -eq 0 ]; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c')
else
  files=("$@")
fi
unformatted=()
for file in "${files[@]}"; do
  "$tool" --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
if [ "${#unformatted[@]}" -ne 0 ]; then
  printf 'not clang-format clean (run: clang-format -i FILE): %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "check_format: ${#files[@]} files clang-format clean"
