#!/usr/bin/env bash
# Decodes inputs with one huge line each and checks that the decoder's peak
# memory stays under 16 MiB and that it never aborts, even under a 400 MB
# address-space limit: scripts/memory-check.sh [MIB] (default 1024).
# Inputs: a line of MIB MiB without any line end, the same size of CR-only
# text, a MIME part whose body is one Base64 line (base64 -w0), and, where
# the binhex tool is installed, a BinHex file on one line. Needs about
# 4 x MIB of free space in $TMPDIR.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mib=${1:-1024}
twick="$root/build/twick"
[ -x "$twick" ] || "$root/scripts/build.sh" "$root/build" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/out"
bytes=$((mib * 1024 * 1024))
head -c "$bytes" /dev/zero | tr '\0' 'x' >"$work/line.txt"
head -c "$bytes" /dev/zero | tr '\0' '\r' >"$work/cr.txt"
head -c $((bytes / 4 * 3)) /dev/urandom >"$work/mime.bin"
{
  printf 'Content-Type: application/octet-stream; name="mime.bin"\n'
  printf 'Content-Transfer-Encoding: base64\n\n'
  base64 -w0 "$work/mime.bin"
  printf '\n\n'
} >"$work/mime.txt"
inputs="line.txt cr.txt mime.txt"
if command -v binhex >/dev/null; then
  head -c $((bytes / 4 * 3)) /dev/urandom >"$work/hqx.bin"
  (cd "$work" && binhex -d hqx.bin) 2>/dev/null | {
    echo '(This file must be converted with BinHex 4.0)'
    tail -n +3 | tr -d '\r\n'
    echo
  } >"$work/hqx.txt"
  inputs="$inputs hqx.txt"
fi
failed=0
for input in $inputs; do
  rm -f "$work/out/"*
  set +e
  (ulimit -v 400000 && /usr/bin/time -f '%M' -o "$work/rss" \
    "$twick" decode --overwrite --output-dir "$work/out" "$work/$input" >/dev/null 2>"$work/err")
  status=$?
  set -e
  rss=$(tail -1 "$work/rss")
  verdict=ok
  [ "$rss" -lt 16384 ] || verdict="too much memory"
  [ "$status" -le 1 ] || verdict="exit status $status"
  case $input in
    mime.txt) cmp -s "$work/mime.bin" "$work/out/mime.bin" || verdict="wrong output" ;;
    hqx.txt) cmp -s "$work/hqx.bin" "$work/out/hqx.bin" || verdict="wrong output" ;;
  esac
  echo "$input: $((bytes / 1048576)) MiB line, peak RSS ${rss} KiB, exit $status: $verdict"
  [ "$verdict" = ok ] || failed=1
done
exit $failed
