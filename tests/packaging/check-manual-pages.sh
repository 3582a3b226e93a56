#!/usr/bin/env bash
# The manual pages render without warnings, and twick(1)'s synopsis is the
# console program's own usage, command by command.
# usage: check-manual-pages.sh TWICK PACKAGING_DIR
set -euo pipefail
twick=$1 dir=$2
command -v groff >/dev/null || { echo "skipped: groff is not installed"; exit 77; }

fail() { echo "FAIL: $*" >&2; exit 1; }

for page in "$dir/twick.1" "$dir/twick32.1"; do
  warnings=$(LC_ALL=C groff -man -ww -z "$page" 2>&1)
  [ -z "$warnings" ] || fail "$page: $warnings"
done

squeeze() { tr -s ' \n' '  ' | sed 's/^ //; s/ $//'; }
synopsis=$(LC_ALL=C groff -man -Tascii -rLL=250n -P-cbou "$dir/twick.1" |
  sed -n '/^SYNOPSIS/,/^DESCRIPTION/p' | sed '1d;$d')
for command in decode encode convert; do
  usage=$("$twick" "$command" --help | sed '/^$/q' | sed 's/^usage: //' | squeeze)
  page=$(printf '%s\n' "$synopsis" | grep -E "^ *twick $command " | squeeze)
  [ "$usage" = "$page" ] || fail "twick(1) says '$page', twick $command --help says '$usage'"
  # Every option of the command is explained.
  for option in $("$twick" "$command" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
    grep -qF -- "${option//-/\\-}" "$dir/twick.1" || fail "twick(1) does not explain $option"
  done
done
echo "manual pages render cleanly and match twick's usage"
