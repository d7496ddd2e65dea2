#!/usr/bin/env bash
# Installs everything Orvane needs on Debian 12 and prepares the project's own
# Wine prefix. Safe to run again: every step checks before it acts.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

packages=(cmake make g++ libgtest-dev googletest g++-mingw-w64-i686 wine wine32:i386
          xvfb xauth x11-utils fonts-wqy-microhei fonts-wine imagemagick xdotool zip unzip locales)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${packages[@]}" >/dev/null
fi

# The prefix is rebuilt when the registry settings change.
. "$here/wine-env.sh"
stamp="$WINEPREFIX/.orvane-stamp"
want=$(sha256sum "$here/wine-prefix.reg.txt" | cut -c1-16)
if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$want" ]; then
  echo "setup: preparing Wine prefix in $WINEPREFIX"
  . "$here/xvfb.sh"
  orv_xvfb_start
  rm -rf "$WINEPREFIX"
  LC_ALL=zh_CN.GBK wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  # regedit wants UTF-16LE with a byte-order mark for non-ASCII key names.
  reg="$ORV_CACHE/prefix.reg"
  { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$here/wine-prefix.reg.txt"; } > "$reg"
  orv_wine regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1
  wineserver -w
  orv_xvfb_stop
  echo "$want" > "$stamp"
fi
# Chinese file names under Wine (see wine-env.sh, ORV_GBK_FILE_NAMES).
if [ ! -f "$ORV_CACHE/locale/zh_CN.GBK/LC_CTYPE" ]; then
  mkdir -p "$ORV_CACHE/locale"
  localedef -i zh_CN -f GBK "$ORV_CACHE/locale/zh_CN.GBK" || [ -f "$ORV_CACHE/locale/zh_CN.GBK/LC_CTYPE" ]
fi
echo "setup: ready"
