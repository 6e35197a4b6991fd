#!/usr/bin/env bash
# Runs a 32-bit Windows program under 32-bit Wine, headless, in a Wine prefix
# of its own (made by 64-bit Wine, it holds Windows' 32-bit modules too):
#   wine-run.sh PREFIX PROGRAM [ARGUMENT...]
#   wine-run.sh PREFIX --stop        ends the prefix's Wine server
# The prefix is made on first use, with the null graphics driver (windows are
# created but never drawn). A persistent Wine server is started with it so that
# the many short test processes do not each start Wine afresh; --stop ends it.
set -euo pipefail

readonly wine_dir=/usr/lib/wine
export WINEPREFIX=$1
shift
export WINEDEBUG=-all
# The locale decides Wine's code pages; the tests expect the Western ones.
export LC_ALL=C.UTF-8
# No debugger is started for a program that crashes: it ends, and its test
# fails, instead of waiting for one.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

if [[ ${1-} == --stop ]]; then
  if [[ -d $WINEPREFIX ]]; then "$wine_dir/wineserver" -k 2>/dev/null || true; fi
  exit 0
fi
program=$1

# A Wine loader given a program of the other width does not run it and yet
# may exit 0: anything but a 32-bit x86 program is refused rather than let
# pass, and so is a run without 32-bit Wine.
pe_machine() {
  local header
  header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tx2 -j$((header + 4)) -N2 "$1" | tr -d ' '
}
if [[ -f $program && $(pe_machine "$program") != 014c ]]; then
  echo "wine-run.sh: $program is not a 32-bit Windows program" >&2
  exit 1
fi
if [[ ! -x $wine_dir/wine ]]; then
  echo "wine-run.sh: 32-bit Wine ($wine_dir/wine) is missing: $program cannot run" >&2
  exit 1
fi

make_prefix() {
  "$wine_dir/wine64" wineboot --init || return 1
  "$wine_dir/wine64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f || return 1
  # The session that made the prefix started without the null driver: end it
  # so that the next one starts with it.
  "$wine_dir/wineserver" -k || true
  "$wine_dir/wineserver" -w
  touch "$WINEPREFIX/.ready"
}

mkdir -p "$(dirname "$WINEPREFIX")"
{
  flock 9
  if [[ ! -f $WINEPREFIX/.ready ]]; then
    if ! make_prefix >"$WINEPREFIX.log" 2>&1 9>&-; then
      cat "$WINEPREFIX.log" >&2
      exit 1
    fi
  fi
  # Exit status 2: a server already runs.
  "$wine_dir/wineserver" -p </dev/null >/dev/null 2>&1 9>&- || true
} 9>"$WINEPREFIX.lock"

# Wine's own processes (services, the desktop) outlive the program and would
# hold a pipe open: the program's output goes through files. Windows programs
# end their lines with CR LF; the test tools read LF.
output=$(mktemp)
errors=$(mktemp)
trap 'rm -f "$output" "$errors"' EXIT
status=0
"$wine_dir/wine" "$@" <"/dev/null" >"$output" 2>"$errors" || status=$?
tr -d '\r' <"$output"
tr -d '\r' <"$errors" >&2
exit "$status"
