#!/usr/bin/env bash
# Validates the desktop entry and the AppStream metainfo with the desktop's
# own tools; skips (77) with the reason when a tool is not installed.
# usage: validate-metadata.sh desktop|metainfo PACKAGING_DIR
set -euo pipefail
what=$1 dir=$2
case $what in
  desktop)
    command -v desktop-file-validate >/dev/null ||
      { echo "skipped: desktop-file-validate is not installed (package desktop-file-utils)"; exit 77; }
    desktop-file-validate "$dir/twick32.desktop"
    ;;
  metainfo)
    command -v appstreamcli >/dev/null ||
      { echo "skipped: appstreamcli is not installed (package appstream)"; exit 77; }
    appstreamcli validate --no-net "$dir/twick32.metainfo.xml"
    # It must launch the desktop entry we install.
    grep -q '<launchable type="desktop-id">twick32.desktop</launchable>' "$dir/twick32.metainfo.xml"
    ;;
  *) echo "usage: validate-metadata.sh desktop|metainfo PACKAGING_DIR" >&2; exit 2 ;;
esac
echo "$what file is valid"
