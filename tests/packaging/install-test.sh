#!/usr/bin/env bash
# Installs the build into a staging folder (DESTDIR) and runs what was
# installed: the installed twick must decode and encode exactly as the built
# one, and the installed twick32 must decode a file named on its command line,
# taking its settings (PAUSE=0) from where an installed program looks for them.
# usage: install-test.sh BUILD_DIR SOURCE_DIR WORK_DIR WITH_TWICK32(0|1)
set -euo pipefail
build=$1 source=$2 work=$3 gui=$4
sample=$source/samples/sample-mail.eml

fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work"
stage=$work/stage
prefix=$stage/usr
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; fail "cmake --install"; }

# What goes where.
installed() { [ -e "$prefix/$1" ] || fail "not installed: /usr/$1"; }
installed bin/twick
installed share/twick32/twick32.html
installed share/doc/twick32/copyright
# The help page's pictures, in every build.
for picture in "$source"/res/images/*.png; do
  name=$(basename "$picture")
  cmp -s "$picture" "$prefix/share/twick32/images/$name" || fail "help picture $name not installed"
  cmp -s "$picture" "$build/images/$name" || fail "help picture $name not beside the built help page"
done
cmp -s "$source/packaging/copyright" "$prefix/share/doc/twick32/copyright" ||
  fail "the installed copyright file is not packaging/copyright"
cmp -s "$source/res/twick32.html" "$prefix/share/twick32/twick32.html" ||
  fail "the installed help page is not res/twick32.html"
compgen -G "$prefix/share/man/man1/twick.1*" >/dev/null || fail "not installed: twick(1)"
# A built program finds the help page beside itself.
cmp -s "$source/res/twick32.html" "$build/twick32.html" ||
  fail "the build folder has no copy of the help page"

png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $3*256+$4 "x" $7*256+$8 }'; }
if [ "$gui" = 1 ]; then
  installed bin/twick32
  installed share/applications/twick32.desktop
  installed share/metainfo/org.example.twick32.metainfo.xml
  installed share/icons/hicolor/scalable/apps/twick32.svg
  for size in 48 256; do
    png=share/icons/hicolor/${size}x${size}/apps/twick32.png
    installed "$png"
    [ "$(png_size "$prefix/$png")" = "${size}x${size}" ] ||
      fail "$png is $(png_size "$prefix/$png"), not ${size}x${size}"
  done
  compgen -G "$prefix/share/man/man1/twick32.1*" >/dev/null || fail "not installed: twick32(1)"
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate-tree --no-net "$prefix" || fail "appstreamcli validate-tree"
  fi
fi

# The installed console program works like the built one.
decode() {  # decode TWICK FOLDER
  mkdir -p "$2"
  "$1" decode --output-dir "$2" "$sample" >"$2.list" 2>"$2.err" ||
    { cat "$2.err" >&2; fail "$1 decode failed"; }
  sed "s|^$2/||" "$2.list" >"$2.names"
}
decode "$build/twick" "$work/built"
decode "$prefix/bin/twick" "$work/installed"
[ "$(wc -l <"$work/built.names")" -ge 5 ] || fail "the built twick saved $(cat "$work/built.names")"
cmp -s "$work/built.names" "$work/installed.names" || fail "the two list different files"
diff -r "$work/built" "$work/installed" || fail "the installed twick decodes differently"
for format in base64 uu xx btoa; do
  for which in built installed; do
    twick=$build/twick
    [ "$which" = installed ] && twick=$prefix/bin/twick
    mkdir -p "$work/encode-$which-$format"
    "$twick" encode --format "$format" --output-dir "$work/encode-$which-$format" \
      "$work/built/bytes.bin" >/dev/null 2>>"$work/encode.err" ||
      { cat "$work/encode.err" >&2; fail "$which twick encode --format $format"; }
  done
  diff -r "$work/encode-built-$format" "$work/encode-installed-$format" ||
    fail "the installed twick encodes $format differently"
done

[ "$gui" = 1 ] || { echo "installed twick works; no twick32 in this build"; exit 0; }

# The installed desktop program, run by an ordinary user where we are root,
# so that its folder is not writable and the settings come from the user's
# configuration folder.
gui_dir=$work/gui
home=$gui_dir/home
mkdir -p "$gui_dir/in" "$gui_dir/out" "$home/config"
cp "$sample" "$gui_dir/in/"
as_user=()
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
  user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  if "${user[@]}" test -x "$prefix/bin/twick32"; then
    as_user=("${user[@]}")
    chmod -R a+rwX "$gui_dir"
  fi
fi
if "${as_user[@]}" test -w "$prefix/bin"; then
  ini=$prefix/bin/twick32.ini  # a writable program folder keeps its own settings
else
  ini=$home/config/twick32/twick32.ini
fi
mkdir -p "$(dirname "$ini")"
printf '%s\r\n' "[TARNWICK32 V3.5 INI]" "WNDPOS=0 0 0 0" "AUTOMODE=1" "CODEFORMAT=0" \
  "DRAGDROP=1" "USEDEFNAME=1" "OVERWRITE=0" "PAUSE=0" "WORKINGDIR=" \
  "DECODEDIR=$gui_dir/out/" "ENCODEDIR=" "COLOR=0" >"$ini"
chmod -R a+rwX "$home"

set +e
timeout 120 env HOME="$home" XDG_CONFIG_HOME="$home/config" QT_QPA_PLATFORM=offscreen \
  "${as_user[@]}" "$prefix/bin/twick32" "$gui_dir/in/sample-mail.eml" >"$gui_dir/log" 2>&1
status=$?
set -e
[ "$status" -ne 124 ] || { cat "$gui_dir/log"; fail "twick32 FILE did not end (a window waited?)"; }
[ "$status" -lt 128 ] || { cat "$gui_dir/log"; fail "twick32 FILE died with status $status"; }
diff -r "$work/built" "$gui_dir/out" ||
  { cat "$gui_dir/log"; fail "the installed twick32 decoded differently from twick"; }
echo "installed twick and twick32 work (settings from $ini)"
