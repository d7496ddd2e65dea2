#!/usr/bin/env bash
# Installs what Orvane needs on Debian 12 and prepares the project's own Wine
# prefixes. Safe to run again: every step checks before it acts.
#
#   setup.sh [test]     everything tools/test.sh needs
#   setup.sh host       only what the host build needs (the compiler,
#                       GoogleTest, Xlib): tools/test.sh builds with it while
#                       the rest installs
#   setup.sh run        what tools/run.sh needs to open the build this
#                       machine opens (the x86_64 twin needs no i386 package)
#   setup.sh run-pe32   what tools/run.sh --pe32 needs
#   setup.sh wow64      only the win64 prefix with its 32-bit side, for the
#                       PE32 release run by an emulator (its boot runs
#                       emulated: minutes, so only the runs that need it ask)
#
# What runs the PE32 program depends on the machine (tools/machine.sh): 32-bit
# Wine where the kernel runs 32-bit code; 32-bit Wine under qemu where it does
# not. With ORV_X64_ONLY=1 on a machine that runs 32-bit code, the packages
# are installed here and the prefixes are made in the stand-in for a machine
# without it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
purpose=${1:-test}
case $purpose in
  test | host | run | run-pe32 | wow64) ;;
  *) echo "usage: setup.sh [test|host|run|run-pe32|wow64]" >&2; exit 2 ;;
esac

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
# Leading arguments that start with "-" are apt-get's options.
apt_install() {
  local options=() missing=() p
  while [ $# -gt 0 ] && [ "${1#-}" != "$1" ]; do options+=("$1"); shift; done
  for p in "$@"; do installed "$p" || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "setup: installing ${missing[*]}"
  apt_update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${options[@]}" "${missing[@]}" >/dev/null &&
    return 0
  echo "setup: some packages could not be resolved; installing from the release suite (-t bookworm)"
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq -t bookworm "${options[@]}" "${missing[@]}" \
    >/dev/null
}

# libx11-dev: the end-to-end tests' X drag source.
host_build=(cmake make gcc g++ libc6-dev libgtest-dev googletest libx11-dev)
if [ "$purpose" = host ]; then
  apt_install "${host_build[@]}"
  exit
fi

# The probe that tells the machines apart is built with the host compiler
# and the C library's start files.
apt_install gcc libc6-dev
. "$here/machine.sh"
orv_machine_detect

# Where the kernel runs no 32-bit code, qemu's i386 handler is registered for
# the machine. Set-up goes on without it when this machine cannot have one
# (a container that may not mount binfmt_misc, a mirror without the
# package): the PE32 release is then only read, and tools/test.sh says so.
machine_emulator() {
  local binfmt=$ORV_BINFMT
  # Not its recommends (systemd or binfmt-support): the one handler it needs
  # is registered here.
  if ! apt_install --no-install-recommends qemu-user-static; then
    echo "setup: qemu-user-static cannot be installed from these package lists: no emulator for the PE32 release" >&2
    return 1
  fi
  if [ ! -e "$binfmt/register" ] && ! "${sudo_cmd[@]}" mount -t binfmt_misc binfmt_misc "$binfmt"; then
    echo "setup: binfmt_misc cannot be mounted on $binfmt here: no emulator for the PE32 release" >&2
    return 1
  fi
  if [ ! -e "$binfmt/qemu-i386" ]; then
    echo "setup: registering $ORV_MACHINE_QEMU for i386 programs"
    if ! orv_i386_rule qemu-i386 "$ORV_MACHINE_QEMU" | "${sudo_cmd[@]}" tee "$binfmt/register" >/dev/null; then
      echo "setup: an emulator cannot be registered in $binfmt here: no emulator for the PE32 release" >&2
      return 1
    fi
  elif [ "$(head -n1 "$binfmt/qemu-i386")" != enabled ]; then
    # Only a set-up killed while it booted the twin's prefix leaves it so.
    echo "setup: the i386 handler was found switched off: switching it on"
    orv_binfmt_switch qemu-i386 1 || return 1
  fi
}

# The stand-in's emulator is unpacked into the cache, never installed: the
# package would register its handlers for the machine.
standin_emulator() {
  [ -x "$ORV_STANDIN_QEMU" ] && return 0
  echo "setup: unpacking qemu-user-static into $ORV_CACHE/qemu for the stand-in (not installed: this machine runs 32-bit code)"
  apt_update
  local debs=$ORV_CACHE/qemu-deb
  rm -rf "$ORV_CACHE/qemu" "$debs"
  mkdir -p "$debs"
  if ! (cd "$debs" && { apt-get download -qq -o APT::Sandbox::User=root qemu-user-static ||
                        apt-get download -qq -o APT::Sandbox::User=root qemu-user-static/bookworm; }) >/dev/null; then
    echo "setup: qemu-user-static cannot be downloaded from these package lists: the stand-in for a machine" \
         "without 32-bit code cannot run" >&2
    return 1
  fi
  dpkg-deb -x "$debs"/qemu-user-static_*.deb "$ORV_CACHE/qemu"
  rm -rf "$debs"
}

base=(cmake make gcc g++ libc6-dev xvfb xauth x11-utils fonts-wqy-microhei fonts-wine imagemagick locales
      util-linux file)
twin=(g++-mingw-w64-x86-64 wine64)
pe32_build=(g++-mingw-w64-i686)
# unicode-data: the pinyin table is checked against the Han database it was
# made from.
tests=(libgtest-dev googletest xdotool zip unzip unicode-data bzip2 libx11-dev lame sox)
# Which builds this purpose runs: the PE32 release under 32-bit Wine wants
# the i386 package index.
packages=("${base[@]}")
pe32_wine=
case $purpose in
  test) packages+=("${twin[@]}" "${pe32_build[@]}" "${tests[@]}" wine); pe32_wine=1 ;;
  run)
    if [ "$ORV_PE32_RUN" = native ]; then packages+=("${pe32_build[@]}" wine); pe32_wine=1
    else packages+=("${twin[@]}")
    fi
    ;;
  run-pe32 | wow64) packages+=("${twin[@]}" "${pe32_build[@]}" wine); pe32_wine=1 ;;
esac

# Inside the stand-in nothing is installed: all of it was, outside.
if [ -z "${ORV_IN_STANDIN:-}" ]; then
  # With ORV_COMPILERS_READY (a file), tools/test.sh builds the Windows side
  # as soon as its compilers are in, while the rest installs: they go first,
  # on their own (amd64 packages, none with an i386 twin to keep up with).
  if [ -n "${ORV_COMPILERS_READY:-}" ] && [ "$purpose" = test ]; then
    apt_install g++-mingw-w64-x86-64 "${pe32_build[@]}"
    touch "$ORV_COMPILERS_READY"
  fi
  # The emulator comes first where the machine runs no 32-bit code: the
  # i386 packages may run i386 programs as they are installed.
  if [ "$ORV_MACHINE_RUNS_32BIT" = 0 ] && [ -n "$pe32_wine" ]; then
    machine_emulator || pe32_wine=
    orv_machine_detect
  fi
  if [ "$ORV_PE32_RUN" = standin ]; then
    standin_emulator
  elif [ "$ORV_PE32_RUN" = native ] && [ "$purpose" = test ] && orv_standin_possible; then
    # The scripts' own tests make stand-ins on every machine that can.
    standin_emulator || echo "setup: the stand-in's own tests will be passed over" >&2
  fi

  # 32-bit Wine goes in the same transaction as the rest. Should the i386
  # packages not resolve even so, the rest is installed without them: the
  # x86_64 path needs no i386 index.
  if [ -z "$pe32_wine" ] || [ "$ORV_PE32_RUN" = none ]; then
    apt_install "${packages[@]}"
  else
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      "${sudo_cmd[@]}" dpkg --add-architecture i386
      apt_updated=
    fi
    if ! apt_install "${packages[@]}" wine32:i386; then
      echo "setup: wine32:i386 cannot be installed from these package lists; installing the rest"
      apt_install "${packages[@]}"
      echo "setup: without 32-bit Wine (wine32:i386) the PE32 release can only be read, not run" >&2
    fi
  fi
fi

# Chinese file names under Wine (see wine-env.sh, ORV_GBK_FILE_NAMES), and
# names that GBK cannot spell (ORV_UTF8_FILE_NAMES).
for charset in GBK UTF-8; do
  if [ ! -f "$ORV_CACHE/locale/zh_CN.$charset/LC_CTYPE" ]; then
    mkdir -p "$ORV_CACHE/locale"
    localedef -i zh_CN -f "$charset" "$ORV_CACHE/locale/zh_CN.$charset" ||
      [ -f "$ORV_CACHE/locale/zh_CN.$charset/LC_CTYPE" ]
  fi
done

# The prefixes of the stand-in path are made inside it: their boots must
# meet the emulator, or its refusal, as on a machine without 32-bit code.
if [ "$ORV_PE32_RUN" = standin ]; then
  orv_standin bash "$here/setup.sh" "$purpose"
  exit
fi

. "$here/wine-env.sh"
. "$here/xvfb.sh"
. "$here/wine-prefix.sh"

# ORV_PREFIXES chooses among them (package_test needs only the win32 one).
case $purpose in
  test) kinds="64 32" ;;
  run) if [ "$ORV_PE32_RUN" = native ]; then kinds=32; else kinds=64; fi ;;
  run-pe32) if [ "$ORV_PE32_RUN" = native ]; then kinds=32; else kinds=wow64; fi ;;
  wow64) kinds=wow64 ;;
esac
for kind in ${ORV_PREFIXES:-$kinds}; do
  case $kind in
    32) [ "$ORV_PE32_RUN" = native ] || continue ;;
    wow64) [ "$ORV_PE32_RUN" = emulated ] || continue ;;
  esac
  orv_prepare_prefix "$kind"
done
echo "setup: ready"
