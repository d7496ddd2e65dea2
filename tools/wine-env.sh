# Sourced by every script that runs Wine: one place owns the Wine environment,
# so no run ever touches ~/.wine or the developer's own desktop.
#
# Two prefixes: a win32 one for the PE32 build under 32-bit Wine, and a
# win64 one for the x86_64 twin under 64-bit Wine. ORV_WINE_BITS (32 or 64,
# default 32) selects one; orv_wine_use switches within a script.
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
  export ORV_WINE_BITS=$1
  if [ "$1" = 64 ]; then
    export WINEPREFIX=${ORV_WINEPREFIX64:-$ORV_CACHE/wine-prefix64}
    export WINEARCH=win64
    ORV_WINE_LOADER=$ORV_WINE64_LOADER
  else
    export WINEPREFIX=${ORV_WINEPREFIX:-$ORV_CACHE/wine-prefix}
    export WINEARCH=win32
    ORV_WINE_LOADER=wine
  fi
}
orv_wine_use "${ORV_WINE_BITS:-32}"

# Code page 936 comes from LC_ALL only (LANG alone gives 1252). It is given
# to Wine per command: the shell itself has no such locale and would complain.
orv_wine() { LC_ALL=zh_CN.GBK "$ORV_WINE_LOADER" "$@"; }
# The server of the prefix in use (wineserver -w waits, -k ends it).
orv_wineserver() {
  if [ "$ORV_WINE_BITS" = 64 ] && [ -x /usr/lib/wine/wineserver64 ]; then
    /usr/lib/wine/wineserver64 "$@"
  else
    wineserver "$@"
  fi
}
# Wine turns file names into Unix ones with the Unix locale's character set,
# and with no zh_CN.GBK locale installed that is ASCII: a Chinese file name
# cannot even be created. Runs that need such names ask for the GBK locale
# that tools/setup.sh compiles into the cache; the system's locales are not
# touched.
if [ -n "${ORV_GBK_FILE_NAMES:-}" ]; then export LOCPATH=$ORV_CACHE/locale; fi
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR" 2>/dev/null || true
