#!/usr/bin/env bash
# Installs everything the build, the tests and the benchmark need on Debian 12.
# Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config clang clang-format
  libgtest-dev libgmock-dev
  sharutils mpack macutils uudeview mutt coreutils python3 time valgrind
  s-nail mailutils libmime-lite-perl libemail-mime-perl libmime-tools-perl
  libphp-phpmailer php-cli libpython3.11-testsuite python3-sabyenc
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  dpkg-dev groff-base desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
