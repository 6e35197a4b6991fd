#!/usr/bin/env bash
# Makes 32-bit x86 programs runnable where the kernel refuses them (a kernel
# without IA-32 emulation answers their exec with "Exec format error"): the
# 32-bit Linux build's tests and the 32-bit Windows programs under 32-bit Wine
# then run through QEMU's user-mode emulator, registered with the kernel's
# binfmt_misc. Where 32-bit programs run already, it does nothing.
# QEMU comes from Debian's bookworm-backports: the 7.2 of bookworm itself
# takes about a minute to start each 32-bit Wine program, 10.0 a quarter of a
# second. Needs gcc -m32 (g++-multilib) for its probe.
set -euo pipefail

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo 'int main(void) { return 0; }' | gcc -m32 -x c -o "$work/probe" -
if "$work/probe" 2>/dev/null; then exit 0; fi
echo "32-bit programs: this kernel does not run them; installing QEMU's user-mode emulator for them"

binfmt=/proc/sys/fs/binfmt_misc
if [[ ! -e $binfmt/register ]]; then
  "${sudo_cmd[@]}" mount -t binfmt_misc binfmt_misc "$binfmt"
fi

apt_get=("${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=900)
if ! apt-cache policy qemu-user-static 2>/dev/null | grep -q bookworm-backports; then
  echo 'deb http://deb.debian.org/debian bookworm-backports main' |
    "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/plv-bookworm-backports.list >/dev/null
  "${apt_get[@]}" update -qq || echo "apt-get update reported errors; going on"
fi
DEBIAN_FRONTEND=noninteractive "${apt_get[@]}" install -y -qq --no-install-recommends \
  -t bookworm-backports qemu-user-static

# Flags: F opens the emulator now, so that it serves in other roots too; P
# hands the program its own argv[0], as the kernel does.
entry=$binfmt/qemu-i386
if [[ -e $entry ]]; then echo -1 | "${sudo_cmd[@]}" tee "$entry" >/dev/null; fi
printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:FP' |
  "${sudo_cmd[@]}" tee "$binfmt/register" >/dev/null
if ! "$work/probe"; then
  echo "32-bit programs: still not runnable after registering the emulator" >&2
  exit 1
fi
echo "32-bit programs: run through $(/usr/bin/qemu-i386 --version | head -1)"
