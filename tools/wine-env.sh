# Sourced by every script that runs Wine: one place owns the Wine environment,
# so no run ever touches ~/.wine or the developer's own desktop.
#
# Three prefixes, selected by orv_wine_use (ORV_WINE_KIND carries the choice
# to the programs a script starts):
#   32     win32, for the PE32 build under 32-bit Wine where it runs natively;
#   64     win64, for the x86_64 twin under 64-bit Wine;
#   wow64  win64 with its 32-bit side, for the PE32 build run by an emulator
#          where the kernel runs no 32-bit code (prepared only when needed:
#          its boot runs emulated, minutes).
ORV_ROOT=${ORV_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]:-$0}")/.." && pwd)}
ORV_CACHE=${ORV_CACHE:-$ORV_ROOT/.cache}
# /usr/bin/wine starts the 32-bit loader first whenever wine32 is installed:
# 64-bit programs are started by the 64-bit loader itself.
ORV_WINE64_LOADER=${ORV_WINE64_LOADER:-/usr/lib/wine/wine64}
export WINEDEBUG=${WINEDEBUG:--all}
# Mono/Gecko installers would pop up dialogs nobody answers; the menu builder
# writes desktop files into the home folder. There is no sound card: without
# the audio drivers PlaySound fails at once instead of logging ALSA errors.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d;winealsa.drv=d;winepulse.drv=d"
export HOME=$ORV_CACHE/home
export XDG_CONFIG_HOME=$HOME/.config
export XDG_DATA_HOME=$HOME/.local/share
export XDG_CACHE_HOME=$HOME/.cache
export XDG_RUNTIME_DIR=$ORV_CACHE/xdg-runtime
export DISPLAY=${ORV_DISPLAY:-${DISPLAY:-:99}}

orv_wine_use() {
  export ORV_WINE_KIND=$1
  if [ "$1" = 64 ] || [ "$1" = wow64 ]; then
    export ORV_WINE_BITS=64
    export WINEPREFIX=${ORV_WINEPREFIX64:-$ORV_CACHE/wine-prefix64}
    [ "$1" = wow64 ] && WINEPREFIX=${ORV_WINEPREFIX_WOW64:-$ORV_CACHE/wine-prefix64-wow}
    export WINEARCH=win64
    ORV_WINE_LOADER=$ORV_WINE64_LOADER
    ORV_WINESERVER=/usr/lib/wine/wineserver64
    [ -x "$ORV_WINESERVER" ] || ORV_WINESERVER=wineserver
  else
    export ORV_WINE_BITS=32
    export WINEPREFIX=${ORV_WINEPREFIX:-$ORV_CACHE/wine-prefix}
    export WINEARCH=win32
    ORV_WINE_LOADER=wine
    ORV_WINESERVER=wineserver
  fi
}
orv_wine_use "${ORV_WINE_KIND:-${ORV_WINE_BITS:-32}}"

# qemu-user 7.2 (Debian 12) gives a 32-bit guest no address space of its
# own by default: it maps the guest's fixed addresses wherever the host has
# room, and 32-bit Wine then fails at its first fixed mapping, the shared
# user data at 0x7FFE0000 ("failed to map the shared user data: c0000018").
# Reserving the whole 32-bit space up front (qemu's -R) gives the guest
# every address it asks for. Only the emulator reads it: a native start
# ignores it, and Wine passes it on to every process it starts.
export QEMU_RESERVED_VA=0xfffe0000

# Code page 936 comes from LC_ALL only (LANG alone gives 1252). It is given
# to Wine per command: the shell itself has no such locale and would complain.
orv_wine() { LC_ALL=${ORV_WINE_LOCALE:-zh_CN.GBK} "$ORV_WINE_LOADER" "$@"; }
# The server of the prefix in use (wineserver -w waits, -k ends it).
orv_wineserver() { "$ORV_WINESERVER" "$@"; }
# Wine turns file names into Unix ones with the Unix locale's character set,
# and with no zh_CN.GBK locale installed that is ASCII: a Chinese file name
# cannot even be created. Runs that need such names ask for the GBK locale
# that tools/setup.sh compiles into the cache; the system's locales are not
# touched.
if [ -n "${ORV_GBK_FILE_NAMES:-}" ]; then export LOCPATH=$ORV_CACHE/locale; fi
# Names that GBK cannot spell (Korean, emoji) need UTF-8 Unix names. zh_CN.UTF-8
# gives Wine code page 936 all the same; only console output is UTF-8 then.
if [ -n "${ORV_UTF8_FILE_NAMES:-}" ]; then
  export LOCPATH=$ORV_CACHE/locale ORV_WINE_LOCALE=zh_CN.UTF-8
fi
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR" 2>/dev/null || true
