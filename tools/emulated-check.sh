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

# The prefix's server is ended before and after: one started outside the
# namespace would not reach a private emulator.
check=(env ORV_PE32_PROGRAM="$root/build/win/app/orvane.exe"
       tools/wine-run build/win64/tests/e2e/end_to_end_test.exe --gtest_filter='EndToEndPe32.*')
orv_machine_detect
started=$(date +%s)
orv_wineserver -k 2>/dev/null || true
status=0
case $ORV_PE32_RUN in
  emulated)
    [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] || { echo "emulated check: no qemu-i386 handler (tools/setup.sh)" >&2; exit 1; }
    "${check[@]}" || status=$?
    ;;
  private)
    orv_with_private_emulator "${check[@]}" || status=$?
    ;;
  *)
    echo "emulated check: nothing to emulate on this machine ($ORV_PE32_RUN)" >&2
    exit 1
    ;;
esac
orv_wineserver -k 2>/dev/null || true
[ $status -eq 0 ] || exit $status
echo "emulated check: PE32 end-to-end under qemu in $(( $(date +%s) - started )) s"
