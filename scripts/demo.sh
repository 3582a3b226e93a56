#!/usr/bin/env bash
# Sets up and builds, then starts the desktop program when there is a display;
# without one, decodes the sample mail file shipped in samples/ with the
# console program and prints the files it saved.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build" >/dev/null
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Starting $root/build/twick32: drop a mail file on its window,"
  echo "for example $root/samples/sample-mail.eml"
  exec "$root/build/twick32"
fi
out=${1:-$root/build/demo-output}
mkdir -p "$out"
echo "No display: decoding samples/sample-mail.eml into $out with the console program:"
"$root/build/twick" decode --overwrite --output-dir "$out" "$root/samples/sample-mail.eml"
echo "On a desktop, start the desktop program with: $root/build/twick32"
