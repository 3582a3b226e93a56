#!/usr/bin/env bash
# Sets up the machine, checks the source layout, builds with warnings as
# errors, and runs every test three times: in a normal gcc build, under
# AddressSanitizer + UBSan, and in a clang build (clang warns about things
# gcc lets pass, and optimises differently), then runs each fuzz target
# briefly where clang is present.
#
# scripts/test.sh --quick is the everyday form: the normal build (with ccache
# where installed) and its tests only.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
quick=false
case "${1:-}" in
  --quick) quick=true ;;
  "") ;;
  *) echo "usage: scripts/test.sh [--quick]" >&2; exit 2 ;;
esac

if $quick; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  echo "== quick: release build and its tests"
  "$root/scripts/build.sh" "$root/build" -DTWICK_WERROR=ON "${launcher[@]}"
  (cd "$root/build" && ctest --output-on-failure --no-tests=error -j "$(nproc)")
  echo "== quick tests passed"
  exit 0
fi

"$root/scripts/setup.sh"

echo "== source layout"
"$root/scripts/check-format.sh"

jobs=$(nproc)
# The codec, unit, job and console tests once more on the portable code, which a
# processor without the vector instructions runs.
portable_tests() {
  TWICK_FORCE_PORTABLE=1 "$1/tests/twick_codec_tests" --gtest_brief=1
  TWICK_FORCE_PORTABLE=1 "$1/tests/twick_tests" --gtest_brief=1
}
echo "== release build"
"$root/scripts/build.sh" "$root/build" -DTWICK_WERROR=ON
(cd "$root/build" && ctest --output-on-failure --no-tests=error -j "$jobs")
portable_tests "$root/build"
if command -v valgrind >/dev/null; then
  echo "== the same tests under valgrind"
  "$root/scripts/valgrind.sh" "$root/build"
fi

echo "== sanitizer build (ASan + UBSan)"
"$root/scripts/build.sh" "$root/build-asan" -DTWICK_WERROR=ON -DTWICK_SANITIZE=ON \
  -DCMAKE_BUILD_TYPE=Debug
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure --no-tests=error -j "$jobs")
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 portable_tests "$root/build-asan"

echo "== clang build"
"$root/scripts/build.sh" "$root/build-clang" -DTWICK_WERROR=ON -DCMAKE_CXX_COMPILER=clang++
(cd "$root/build-clang" && ctest --output-on-failure --no-tests=error -j "$jobs")
portable_tests "$root/build-clang"

if command -v clang++ >/dev/null; then
  echo "== fuzz smoke run (30 s each target)"
  "$root/scripts/fuzz.sh" 30
fi
echo "== all tests passed"
