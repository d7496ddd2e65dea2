#!/usr/bin/env bash
# One end-to-end pass of the PE32 release where it cannot run natively:
# the x86_64 end-to-end driver, under 64-bit Wine, starts the real PE32
# orvane.exe, and qemu runs Wine's 32-bit side of it. Where the machine runs
# 32-bit code (ORV_X64_ONLY=1 there), the emulator is registered only inside a
# user namespace with a binfmt_misc of its own: the machine's handlers are
# never touched.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. tools/machine.sh
. tools/wine-env.sh
orv_wine_use 64

run_check() {
  orv_wineserver -k 2>/dev/null || true
  local status=0
  ORV_PE32_PROGRAM=$root/build/win/app/orvane.exe \
    tools/wine-run build/win64/tests/e2e/end_to_end_test.exe --gtest_filter='EndToEndPe32.*' || status=$?
  orv_wineserver -k 2>/dev/null || true
  return $status
}

if [ "${1:-}" = --inside ]; then
  # In the namespace: its own binfmt_misc, with only the emulator in it.
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  orv_qemu_i386_rule "$ORV_CACHE/qemu/usr/bin/qemu-i386-static" > /proc/sys/fs/binfmt_misc/register
  run_check
  exit
fi

orv_machine_detect
started=$(date +%s)
case $ORV_PE32_RUN in
  emulated)
    [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] || { echo "emulated check: no qemu-i386 handler (tools/setup.sh)" >&2; exit 1; }
    run_check
    ;;
  private)
    # The server of the prefix must start inside, where 32-bit programs
    # reach the emulator.
    orv_wineserver -k 2>/dev/null || true
    unshare --user --map-root-user --mount --fork bash "$0" --inside
    ;;
  *)
    echo "emulated check: nothing to emulate on this machine ($ORV_PE32_RUN)" >&2
    exit 1
    ;;
esac
echo "emulated check: PE32 end-to-end under qemu in $(( $(date +%s) - started )) s"
