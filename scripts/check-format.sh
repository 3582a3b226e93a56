#!/usr/bin/env bash
# Checks that every tracked C++ source is laid out as .clang-format says, and
# lists the files that are not: scripts/check-format.sh [--fix]
# With --fix, formats those files in place instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

command -v clang-format >/dev/null || { echo "check-format: clang-format is not installed" >&2; exit 1; }
mapfile -t files < <(git ls-files -- '*.cpp' '*.h')

bad=()
for f in "${files[@]}"; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done

if ((${#bad[@]} == 0)); then
  echo "check-format: ${#files[@]} files formatted"
  exit 0
fi
if [ "${1:-}" = --fix ]; then
  clang-format -i "${bad[@]}"
  printf 'check-format: formatted %s\n' "${bad[@]}"
  exit 0
fi
echo "check-format: these files differ from .clang-format (scripts/check-format.sh --fix formats them):" >&2
printf '  %s\n' "${bad[@]}" >&2
version=$(clang-format --version | grep -o '[0-9]\+\.[0-9.]*' | head -1)
[ "${version%%.*}" = 14 ] || echo "check-format: note: the layout is set for clang-format 14; this is $version" >&2
exit 1
