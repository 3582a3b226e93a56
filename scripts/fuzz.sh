#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a
# while: scripts/fuzz.sh [SECONDS_EACH] (default 60). Each target starts from
# its committed seeds (fuzz/corpus/TARGET) and the sample mail; what it learns
# is kept in build-fuzz/corpus-TARGET. Fails when any target finds a fault;
# the input that shows it is left in build-fuzz/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build="$root/build-fuzz"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DTWICK_FUZZ=ON -DTWICK_SANITIZE=ON -DTWICK_BUILD_TESTS=OFF -DTWICK_BUILD_GUI=OFF >/dev/null
cmake --build "$build"
status=0
for fuzzer in DecodeJobFuzzer BinHexNameFuzzer SettingsFuzzer ConverterFuzzer RoundTripFuzzer OutputCheckFuzzer; do
  corpus="$build/corpus-$fuzzer"
  mkdir -p "$corpus"
  cp "$root/fuzz/corpus/$fuzzer/"* "$corpus/" 2>/dev/null || true
  [ "$fuzzer" = DecodeJobFuzzer ] && cp "$root/samples/"* "$corpus/" 2>/dev/null
  echo "== $fuzzer for ${seconds}s"
  log="$build/$fuzzer.log"
  if (cd "$build" && "./$fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 "$corpus" >"$log" 2>&1); then
    grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || tail -1 "$log"
  else
    echo "$fuzzer found a fault:"
    grep -E 'ERROR|SUMMARY|Test unit written' "$log" || tail -20 "$log"
    status=1
  fi
done
exit $status
