#!/usr/bin/env bash
# Installs what is needed, then builds and runs every test: as the release
# build, under AddressSanitizer and UndefinedBehaviorSanitizer, and as a
# 32-bit build; then, where the MinGW-w64 cross compilers and Wine are to be
# had, PLVLIB32.DLL for 32-bit Windows: its exports and imports checked, its
# test programs run under 32-bit Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

timed() {
  local start=$SECONDS
  "$@"
  echo "== $* took $((SECONDS - start)) s"
}

timed bash scripts/install-deps.sh
timed cmake --workflow --preset default
timed cmake --workflow --preset sanitize
if [[ $(cat /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null) == enabled* ]]; then
  # The 32-bit programs run emulated (install-i386-emulation.sh). The
  # emulator turns posix_spawn's vfork into a fork, so a program that cannot
  # be executed is reported as started: that check runs in the native builds.
  timed cmake --preset linux-m32
  timed cmake --build --preset linux-m32
  timed ctest --preset linux-m32 -E '^ProcessCreation\.FailuresGiveTheCodesWindowsGives$'
else
  timed cmake --workflow --preset linux-m32
fi

if [[ -x /usr/bin/i686-w64-mingw32-g++-posix && -x /usr/lib/wine/wine && -x /usr/lib/wine/wine64 ]]; then
  # The tests end Wine's server; a run cut short must not leave it behind.
  trap 'cmake/wine/wine-run.sh build/mingw-i686-wine/wineprefix --stop' EXIT
  timed cmake --workflow --preset mingw-i686-wine
else
  echo "== Windows build left out: no MinGW-w64 cross compiler or Wine"
fi
