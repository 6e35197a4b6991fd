#!/usr/bin/env bash
# Installs, from Debian's packages, what the Windows builds need: MinGW-w64's
# -posix cross compilers (the default thread model lacks std::mutex) and
# binary tools for 32-bit and 64-bit Windows, and 64-bit Wine to run the
# Windows test programs. Where Debian does not offer them it installs nothing
# and says so; scripts/run-tests.sh then leaves the Windows builds out.
set -euo pipefail

packages=(
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine64
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
((${#missing[@]} > 0)) || exit 0

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
offered() { [[ $(apt-cache policy "$1" 2>/dev/null) == *"Candidate: "[0-9]* ]]; }

if ! offered "${missing[0]}"; then "${sudo_cmd[@]}" apt-get update -qq; fi
for package in "${missing[@]}"; do
  if ! offered "$package"; then
    echo "Windows builds: Debian offers no $package here; nothing installed."
    exit 0
  fi
done
echo "Installing: ${missing[*]}"
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
