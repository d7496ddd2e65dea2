# Sourced after machine.sh, wine-env.sh and xvfb.sh. Makes the project's
# Wine prefixes (kinds in wine-env.sh). A prefix is made again when the
# registry settings or the way it is made change (count the recipe up when
# orv_prepare_prefix changes).
orv_prefix_recipe=2

# A boot that hangs (an emulated one can) is ended, with every process of
# the prefix, after ORV_BOOT_LIMIT seconds (10 minutes).
orv_boot_prefix() {
  local limit=${ORV_BOOT_LIMIT:-600}
  LC_ALL=zh_CN.GBK timeout -k 10 "$limit" "$ORV_WINE_LOADER" wineboot -i >/dev/null 2>&1 || true
  if ! timeout "$limit" "$ORV_WINESERVER" -w; then
    orv_wineserver -k 2>/dev/null || true
    echo "setup: the $ORV_WINE_KIND prefix's boot did not end within $limit s" >&2
    return 1
  fi
}

orv_prepare_prefix() {
  local kind=$1 here=$ORV_ROOT/tools
  orv_wine_use "$kind"
  local stamp="$WINEPREFIX/.orvane-stamp" want windows refuse32=
  # The twin's prefix is booted without its 32-bit side where the machine
  # has an emulator to switch off (and in the stand-in): a prefix booted the
  # other way is made again, so each path meets the prefix it would have.
  if [ "$kind" = 64 ] && [ "$ORV_MACHINE_RUNS_32BIT" = 0 ] && [ -e "$ORV_BINFMT/qemu-i386" ]; then
    refuse32=" without its 32-bit side"
  fi
  want=$({ cat "$here/wine-prefix.reg.txt"; echo "recipe $orv_prefix_recipe $kind$refuse32"; } | sha256sum | cut -c1-16)
  [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ] && return 0
  echo "setup: preparing the $kind Wine prefix in $WINEPREFIX"
  orv_xvfb_start
  rm -rf "$WINEPREFIX"
  if [ -n "$refuse32" ]; then
    # wineboot ends with a 32-bit step (syswow64 rundll32 ... Wow64Install):
    # seconds where 32-bit code runs, two minutes under the emulator. The
    # x86_64 twin needs none of it, so here the step is refused, as on a
    # machine with no emulator at all; the wow64 prefix has it.
    orv_with_emulator_off orv_boot_prefix || return 1
  else
    orv_boot_prefix || return 1
  fi
  windows=$WINEPREFIX/drive_c/windows
  if [ ! -f "$windows/system32/kernel32.dll" ]; then
    echo "setup: wineboot left no $windows/system32/kernel32.dll: the $kind prefix is unusable" >&2
    return 1
  fi
  # Without its 32-bit side a win64 prefix starts no PE32 program at all
  # ("could not load kernel32.dll, status c0000135").
  if [ "$kind" = wow64 ] && [ ! -f "$windows/syswow64/kernel32.dll" ]; then
    echo "setup: the wow64 prefix's 32-bit side was not installed ($windows/syswow64 has" \
         "$(find "$windows/syswow64" -type f 2>/dev/null | wc -l) files): a PE32 program cannot start in it" >&2
    return 1
  fi
  # regedit wants UTF-16LE with a byte-order mark for non-ASCII key names.
  local reg="$ORV_CACHE/prefix-$kind.reg"
  { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$here/wine-prefix.reg.txt"; } > "$reg"
  orv_wine regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1
  orv_wineserver -w
  orv_xvfb_stop
  echo "$want" > "$stamp"
}
