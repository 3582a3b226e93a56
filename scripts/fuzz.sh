#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a
# while: scripts/fuzz.sh [SECONDS_EACH] (default 60). Seeds come from the
# sample mail.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build="$root/build-fuzz"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DTWICK_FUZZ=ON -DTWICK_SANITIZE=ON -DTWICK_BUILD_TESTS=OFF -DTWICK_BUILD_GUI=OFF >/dev/null
cmake --build "$build"
for fuzzer in DecodeJobFuzzer BinHexNameFuzzer SettingsFuzzer; do
  corpus="$build/corpus-$fuzzer"
  mkdir -p "$corpus"
  cp "$root/samples/"* "$corpus/" 2>/dev/null || true
  echo "== $fuzzer for ${seconds}s"
  "$build/$fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=10 "$corpus" 2>&1 | tail -3
done
