#!/usr/bin/env bash
# Installs everything Orvane needs on Debian 12 and prepares the project's own
# Wine prefixes. Safe to run again: every step checks before it acts.
#
# Every machine gets the x86_64 path: the host tools, both mingw-w64
# toolchains and 64-bit Wine, none of them from the i386 package index. What
# runs the PE32 program depends on the machine (tools/machine.sh): 32-bit Wine
# where the kernel runs 32-bit code; 32-bit Wine under qemu where it does not.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# A mirror may serve one index in the middle of its sync ("File has unexpected
# size"): apt-get update then fails although every other index is fine. One
# more try, then set-up goes on with what it has.
apt_updated=
apt_update() {
  [ -n "$apt_updated" ] && return 0
  apt_updated=1
  "${sudo_cmd[@]}" apt-get update -qq && return 0
  echo "setup: apt-get update failed; trying once more"
  sleep 3
  "${sudo_cmd[@]}" apt-get update -qq && return 0
  echo "setup: apt-get update failed again; going on with the package lists as they are"
}

# Without the security suite's i386 index, an i386 library cannot follow its
# amd64 twin's newer security version and apt reports held broken packages:
# the release suite alone has matching pairs. Everything goes in one
# transaction, so that no amd64 library moves ahead of its i386 twin first.
apt_install() {
  local missing=() p
  for p in "$@"; do installed "$p" || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "setup: installing ${missing[*]}"
  apt_update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null && return 0
  echo "setup: some packages could not be resolved; installing from the release suite (-t bookworm)"
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq -t bookworm "${missing[@]}" >/dev/null
}

# The probe that tells the machines apart is built with the host compiler.
command -v gcc >/dev/null || apt_install gcc
. "$here/machine.sh"
orv_machine_detect

packages=(cmake make gcc g++ libgtest-dev googletest g++-mingw-w64-i686 g++-mingw-w64-x86-64
          wine wine64 xvfb xauth x11-utils fonts-wqy-microhei fonts-wine imagemagick xdotool zip unzip
          locales util-linux file)

# The emulator, where the machine runs no 32-bit code, comes first: the i386
# packages may run i386 programs as they are installed. It is installed as a
# package only where it is registered for the machine; on a machine that
# runs 32-bit code a handler would take every i386 program, so there only
# its files are unpacked into the cache, for the private namespace of the
# emulated check.
case $ORV_PE32_RUN in
  emulated)
    if ! installed qemu-user-static; then
      echo "setup: installing qemu-user-static"
      apt_update
      DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
        qemu-user-static >/dev/null
    fi
    binfmt=/proc/sys/fs/binfmt_misc
    if [ ! -e "$binfmt/register" ]; then
      echo "setup: mounting binfmt_misc"
      "${sudo_cmd[@]}" mount -t binfmt_misc binfmt_misc "$binfmt"
    fi
    if [ ! -e "$binfmt/qemu-i386" ]; then
      echo "setup: this machine runs no 32-bit code: registering /usr/bin/qemu-i386-static for i386 programs"
      orv_qemu_i386_rule /usr/bin/qemu-i386-static | "${sudo_cmd[@]}" tee "$binfmt/register" >/dev/null
    fi
    ;;
  private)
    if [ ! -x "$ORV_PRIVATE_QEMU" ]; then
      echo "setup: unpacking qemu-user-static into $ORV_CACHE/qemu (not installed: this machine runs 32-bit code)"
      apt_update
      rm -rf "$ORV_CACHE/qemu" "$ORV_CACHE/qemu-deb"
      mkdir -p "$ORV_CACHE/qemu-deb"
      (cd "$ORV_CACHE/qemu-deb" && apt-get download -qq -o APT::Sandbox::User=root qemu-user-static >/dev/null)
      dpkg-deb -x "$ORV_CACHE"/qemu-deb/qemu-user-static_*.deb "$ORV_CACHE/qemu"
      rm -rf "$ORV_CACHE/qemu-deb"
    fi
    ;;
esac

# 32-bit Wine, for the PE32 release, goes in the same transaction as the
# rest. Should the i386 packages not resolve even so, the x86_64 path is
# installed without them: it needs no i386 index.
if [ "$ORV_PE32_RUN" = none ]; then
  apt_install "${packages[@]}"
else
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
    apt_updated=
  fi
  if ! apt_install "${packages[@]}" wine32:i386; then
    echo "setup: wine32:i386 cannot be installed from these package lists; installing the rest"
    apt_install "${packages[@]}"
    echo "setup: without 32-bit Wine the PE32 release can only be read, not run" >&2
  fi
fi

. "$here/wine-env.sh"
. "$here/xvfb.sh"

# A prefix is rebuilt when the registry settings or the way it is made change
# (count this up when prepare_prefix changes).
prefix_recipe=1
prepare_prefix() {
  local bits=$1
  orv_wine_use "$bits"
  local stamp="$WINEPREFIX/.orvane-stamp"
  local want
  want=$({ cat "$here/wine-prefix.reg.txt"; echo "recipe $prefix_recipe"; } | sha256sum | cut -c1-16)
  [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ] && return 0
  echo "setup: preparing the win$bits Wine prefix in $WINEPREFIX"
  orv_xvfb_start
  rm -rf "$WINEPREFIX"
  if [ "$bits" = 64 ] && [ "$ORV_PE32_RUN" = emulated ]; then
    # wineboot ends with a 32-bit step (syswow64 rundll32 ... Wow64Install):
    # seconds where 32-bit code runs, two minutes under the emulator. The
    # 64-bit programs need none of it, and a PE32 program runs in the prefix
    # without it, so the emulator is switched off while wineboot runs: that
    # one step then fails at once, as on a machine without the emulator.
    echo 0 | "${sudo_cmd[@]}" tee /proc/sys/fs/binfmt_misc/qemu-i386 >/dev/null
    orv_wine wineboot -i >/dev/null 2>&1 || true
    orv_wineserver -w
    echo 1 | "${sudo_cmd[@]}" tee /proc/sys/fs/binfmt_misc/qemu-i386 >/dev/null
  else
    orv_wine wineboot -i >/dev/null 2>&1 || true
  fi
  orv_wineserver -w
  # regedit wants UTF-16LE with a byte-order mark for non-ASCII key names.
  local reg="$ORV_CACHE/prefix.reg"
  { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$here/wine-prefix.reg.txt"; } > "$reg"
  orv_wine regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1
  orv_wineserver -w
  orv_xvfb_stop
  echo "$want" > "$stamp"
}

# ORV_PREFIXES chooses among them (package_test needs only the win32 one).
for bits in ${ORV_PREFIXES:-64 32}; do
  if [ "$bits" = 32 ] && [ "$ORV_PE32_RUN" != native ]; then continue; fi
  prepare_prefix "$bits"
done

# Chinese file names under Wine (see wine-env.sh, ORV_GBK_FILE_NAMES).
if [ ! -f "$ORV_CACHE/locale/zh_CN.GBK/LC_CTYPE" ]; then
  mkdir -p "$ORV_CACHE/locale"
  localedef -i zh_CN -f GBK "$ORV_CACHE/locale/zh_CN.GBK" || [ -f "$ORV_CACHE/locale/zh_CN.GBK/LC_CTYPE" ]
fi
echo "setup: ready"
