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
# Offered is not always installable: a mirror halfway through a sync can
# offer a 32-bit index older than the 64-bit one, while each 32-bit library
# must have the version of its 64-bit twin. Then both twins are asked for at
# the version the 32-bit index offers, where the 64-bit one offers it too,
# and so are the 64-bit packages that must keep their libraries' version
# (headers, mostly). Nothing installed is ever removed or downgraded for it.
version_of() { apt-cache policy "$1" 2>/dev/null | sed -n "s/^  $2: //p"; }
offers_for_amd64() {
  apt-cache madison "$1" | awk -F'|' -v wanted="$2" \
    '{ gsub(/ /, "", $2) } $2 == wanted && / amd64 / { found = 1 } END { exit !found }'
}
versions_both_offer() {
  local pins=() name wanted installed version plan added
  for _ in {1..40}; do
    if plan=$(apt-get install -s --no-remove --no-install-recommends "${missing[@]}" "${pins[@]}" 2>&1); then
      echo "${pins[@]}"
      return 0
    fi
    added=no
    while read -r name; do
      [[ " ${pins[*]} " != *" $name:i386="* ]] || continue
      wanted=$(version_of "$name:i386" Candidate)
      [[ -n $wanted && $wanted != "(none)" ]] || continue
      installed=$(version_of "$name" Installed)
      if [[ $(version_of "$name" Candidate) != "$wanted" ||
            ($installed != "(none)" && $installed != "$wanted") ]]; then
        offers_for_amd64 "$name" "$wanted" || continue
        pins+=("$name=$wanted")
      fi
      # Asked for by name, so that the resolver does not give it up.
      pins+=("$name:i386=$wanted")
      added=yes
    done < <(grep -oE '[a-z0-9][a-z0-9.+-]*:i386' <<<"$plan" | sed 's/:i386$//' | sort -u)
    # A 64-bit package the plan would remove is kept at a version asked for.
    while read -r name; do
      [[ " ${pins[*]} " != *" $name="* ]] || continue
      for version in $(tr ' ' '\n' <<<"${pins[*]}" | sed -n 's/^[^:=]*=//p' | sort -u); do
        if offers_for_amd64 "$name" "$version"; then
          pins+=("$name=$version")
          added=yes
          break
        fi
      done
    done < <(sed -n '/will be REMOVED:/,/^[^ ]/p' <<<"$plan" | grep '^ ' | tr ' ' '\n' |
             grep -v -e '^$' -e ':i386$')
    [[ $added == yes ]] || return 1
  done
  return 1
}

apt_install() {
  DEBIAN_FRONTEND=noninteractive "${apt_get[@]}" install -y -qq --no-remove --no-install-recommends "$@"
}
echo "Installing: ${missing[*]}"
if ! apt-get install -s --no-remove --no-install-recommends "${missing[@]}" > /dev/null 2>&1; then
  if twins=$(versions_both_offer); then
    echo "Windows build: the 32-bit index lags the 64-bit one; installing both at: $twins"
    # shellcheck disable=SC2086 # one word a package
    apt_install "${missing[@]}" $twins || echo "Windows build: apt-get could not install them; left out."
  else
    # The Linux builds need none of this, so they still run.
    echo "Windows build: apt-get could not install ${missing[*]} here; left out."
  fi
elif ! apt_install "${missing[@]}"; then
  echo "Windows build: apt-get could not install ${missing[*]} here; left out."
fi
