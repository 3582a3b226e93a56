#!/usr/bin/env bash
# Saves pictures of every window into build/screenshots (the help page shows
# some of them): the main window at start and after a job, each menu opened,
# the progress dialog mid-job, "Save As...", "Directories...", the paths
# dialog, the converter, About and the help window. The GUI tests draw them
# on the offscreen platform: scripts/screenshots.sh [--help-pictures] [BUILD_DIR]
# With --help-pictures the help page's pictures in res/images are replaced by
# the new screenshots (commit them with the change that altered a window).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
help_pictures=0
if [ "${1:-}" = --help-pictures ]; then
  help_pictures=1
  shift
fi
build=${1:-$root/build}
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$build" >/dev/null
rm -rf "$build/screenshots"
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest -R '^twick_.*_tests?$' -E '^twick_tests$' \
  --output-on-failure >/dev/null)
echo "Screenshots in $build/screenshots:"
ls "$build/screenshots"
if [ "$help_pictures" = 1 ]; then
  for picture in "$root"/res/images/*.png; do
    cp "$build/screenshots/$(basename "$picture")" "$picture"
  done
  echo "Help pictures replaced in $root/res/images"
fi
