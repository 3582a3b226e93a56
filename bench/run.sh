#!/usr/bin/env bash
# Throughput benchmark: times the console program against the tools people
# would otherwise use, on the same 64 MiB payload in the same run, and prints
# the wall-time ratios (ours / peer; at most 1.0 means we are not slower) and
# the peak memory of each run.
#
#   bench/run.sh [SIZE_MIB]      (default 64)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
size_mib=${1:-64}
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DTWICK_BUILD_TESTS=OFF >/dev/null
twick="$root/build-bench/twick"

work="$root/bench/work"
rm -rf "$work"
mkdir -p "$work/out"
cd "$work"
head -c $((size_mib * 1024 * 1024)) /dev/urandom > payload.bin

# Best of three runs: "<seconds> <peak KiB>".
measure() {
  local best_t="" best_m=""
  for _ in 1 2 3; do
    /usr/bin/time -f "%e %M" -o time.txt "$@" >/dev/null 2>run.err || { cat run.err >&2; return 1; }
    read -r t m < time.txt
    if [ -z "$best_t" ] || awk "BEGIN{exit !($t < $best_t)}"; then best_t=$t; fi
    if [ -z "$best_m" ] || [ "$m" -gt "$best_m" ]; then best_m=$m; fi
  done
  echo "$best_t $best_m"
}

report() {  # name ours peer
  local name=$1 ours=$2 peer=$3
  read -r ot om <<<"$ours"
  read -r pt pm <<<"$peer"
  awk -v n="$name" -v ot="$ot" -v om="$om" -v pt="$pt" -v pm="$pm" 'BEGIN {
    r = (pt > 0) ? ot / pt : 0;
    printf "%-28s ours %6.2f s %6.1f MiB | peer %6.2f s %6.1f MiB | ratio %.2f\n",
           n, ot, om / 1024, pt, pm / 1024, r }'
}

echo "payload: ${size_mib} MiB of random bytes"

# --- decoding -------------------------------------------------------------
{
  printf 'Content-Type: application/octet-stream; name="payload.bin"\n'
  printf 'Content-Transfer-Encoding: base64\n\n'
  base64 -w 76 payload.bin
} > mime.txt
base64 -w 76 payload.bin > plain.b64
uuencode payload.bin payload.bin > payload.uue

report "decode Base64 vs base64 -d" \
  "$(measure "$twick" decode --overwrite --output-dir out mime.txt)" \
  "$(measure sh -c 'base64 -d plain.b64 > out/peer.bin')"
cmp -s out/payload.bin payload.bin || { echo "Base64 output differs!" >&2; exit 1; }

report "decode UU vs uudecode" \
  "$(measure "$twick" decode --overwrite --output-dir out payload.uue)" \
  "$(measure uudecode -o out/peer.bin payload.uue)"
cmp -s out/payload.bin payload.bin || { echo "UU output differs!" >&2; exit 1; }

# --- encoding (when the console program has the encode command) ------------
if "$twick" encode --help >/dev/null 2>&1; then
  cp payload.bin enc.bin
  report "encode Base64 vs base64" \
    "$(measure "$twick" encode --format base64 --overwrite --output-dir out enc.bin)" \
    "$(measure sh -c 'base64 enc.bin > out/peer.b64')"
  report "encode UU vs uuencode" \
    "$(measure "$twick" encode --format uu --overwrite --output-dir out enc.bin)" \
    "$(measure sh -c 'uuencode enc.bin enc.bin > out/peer.uue')"
  report "encode btoa vs a85encode" \
    "$(measure "$twick" encode --format btoa --overwrite --output-dir out enc.bin)" \
    "$(measure python3 -c 'import base64,sys; sys.stdout.buffer.write(base64.a85encode(open("enc.bin","rb").read(), wrapcol=78))' )"
fi

cd "$root"
rm -rf "$work"
