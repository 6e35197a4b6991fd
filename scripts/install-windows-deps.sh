#!/usr/bin/env bash
# Installs, from Debian's packages, what the Windows build needs: MinGW-w64's
# -posix cross compiler for 32-bit Windows (the default thread model lacks
# std::mutex), the binary tools for 32-bit and 64-bit Windows (the version
# witnesses are of both widths), and Wine to run the test programs: 32-bit
# Wine (wine32 of the i386 architecture, which is added to dpkg for it), and
# 64-bit Wine, which makes the Wine prefix. Where Debian does not offer them,
# or they cannot be installed, it says so; scripts/run-tests.sh then leaves
# the Windows build out.
set -euo pipefail

packages=(
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine64 wine32:i386
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
# Other installs may hold dpkg's lock for a while: wait for it rather than fail.
apt_get=("${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=900)
offered() { [[ $(apt-cache policy "$1" 2>/dev/null) == *"Candidate: "[0-9]* ]]; }

# wine32 is a package of the i386 architecture; its index comes with the
# next update.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
  update=yes
elif ! offered "${missing[0]}"; then
  update=yes
fi
if [[ ${update-} == yes ]]; then
  # A mirror being synced may fail one index; what is then not offered is
  # reported below.
  "${apt_get[@]}" update -qq || echo "apt-get update reported errors; going on"
fi
for package in "${missing[@]}"; do
  if ! offered "$package"; then
    echo "Windows build: Debian offers no $package here; nothing installed."
    exit 0
  fi
done
echo "Installing: ${missing[*]}"
# Offered is not always installable: a mirror halfway through a sync can
# offer 32-bit packages that the installed 64-bit ones do not match. The
# Linux builds need none of this, so they still run.
if ! DEBIAN_FRONTEND=noninteractive "${apt_get[@]}" install -y -qq --no-install-recommends "${missing[@]}"; then
  echo "Windows build: apt-get could not install ${missing[*]} here; left out."
fi
