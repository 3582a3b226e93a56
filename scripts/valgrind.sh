#!/usr/bin/env bash
# Runs the engine and console tests under valgrind's memcheck; any error or
# leak fails: scripts/valgrind.sh [BUILD_DIR] [GTEST_FILTER] (default: the
# release build, every test). About half a minute; scripts/test.sh runs it
# where valgrind is installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
filter=${2:-*}
"$root/scripts/build.sh" "$build" >/dev/null
valgrind --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
  --quiet "$build/tests/twick_tests" --gtest_filter="$filter" --gtest_brief=1
