#!/usr/bin/env bash
# Sets up, builds, and decodes the sample mail file shipped in samples/,
# printing the files it saved.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build" >/dev/null
out=${1:-$root/build/demo-output}
mkdir -p "$out"
echo "Decoding samples/sample-mail.eml into $out:"
"$root/build/twick" decode --overwrite --output-dir "$out" "$root/samples/sample-mail.eml"
