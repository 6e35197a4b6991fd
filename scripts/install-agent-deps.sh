#!/usr/bin/env bash
# Installs, from Debian's packages, what building and running the agent
# needs, and nothing of the tests: a compiler and CMake, CLI11 for the
# command lines, XCB for the windows of the X server, SQLite, libpq and the chart
# library for the report tool, whose database import-defs reads too. Packages already
# present are left alone, so a second run costs nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libcli11-dev
  libsqlite3-dev libpq-dev libjs-chart.js
  libxcb1-dev libxcb-res0-dev
)

missing=()
for package in "${packages[@]}" "$@"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} > 0)); then
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  echo "Installing: ${missing[*]}"
  # A mirror that is being synced may fail one index; the install below
  # still fails clearly when a package cannot be had.
  "${sudo_cmd[@]}" apt-get update -qq || echo "apt-get update reported errors; installing all the same"
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=900 "${missing[@]}"
fi
