#!/usr/bin/env bash
# Installs what building and running Zuvora needs on Debian 12; does nothing when all is there.
set -euo pipefail
pkgs=(cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
      wine64 fonts-wine xvfb xauth xdotool googletest fonts-ipafont-gothic imagemagick)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
# Wine's recommended packages (X libraries, fonts) are needed: keep recommends.
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
  "${missing[@]}" >/dev/null
