#!/usr/bin/env bash
# The agent as an administrator installs it: `cmake --install` into a
# DESTDIR and the Debian package (cpack -G DEB) with `dpkg -i` into a fresh
# Debian root (debootstrap, kept in the build directory for later runs).
# Each installed agent must run from where it was installed and meter an X
# client under an Xvfb of the test's own; the man page must show and the
# user unit must pass `systemd-analyze verify`.
# Arguments: the build directory. Needs root (chroot, mount); exit 77
# (skipped) without it.
set -euo pipefail
build=$(cd "$1" && pwd)

if [[ $(id -u) -ne 0 ]]; then
  echo "skipped: installing into a fresh root needs root (chroot, mount)"
  exit 77
fi

work=$(mktemp -d /tmp/plv-package.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if mountpoint -q "$work/root/proc" 2>/dev/null; then umount -l "$work/root/proc"; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  exit 1
}

# An X server of the test's own, on a display number it chose itself.
# Without reset: while the agent alone is connected, its display check
# coming and going would reset the server, which then refuses a client
# starting at that moment.
Xvfb -displayfd 3 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"

# A configuration whose home path is below the given directory, metering
# every application with a window.
configure() {
  local directory=$1
  # The data directory is the agent's to make: it keeps it from others.
  mkdir -p "$directory/server/PLV/LOGS" "$directory/server/PLV/SYSTEM"
  printf '[Pelvantine]\r\n' >"$directory/server/PLV/SYSTEM/PLV.INI"
  cat >"$directory/agent.ini" <<INI
[Agent]
HomePath = H:\\PLV
[Options]
UndefinedApplications = yes
[Drives]
H = $directory/server
[Platform]
DataDirectory = $directory/data
RuntimeDirectory = $directory/run
INI
}

# Runs an installed agent (the command, then the directory as the agent sees
# it, then as this script does) while xlogo runs, and reads the log with the
# installed plvlog until xlogo's "Initiated" shows.
meters_xlogo() {
  local run=$1 inside=$2 outside=$3
  $run plvagent run --config "$inside/agent.ini" >"$outside/agent.out" 2>"$outside/agent.err" &
  local agent=$!
  pids+=("$agent")
  xlogo 2>/dev/null &
  local client=$!
  pids+=("$client")
  local met=no
  for _ in $(seq 300); do
    if $run sh -c "plvlog $inside/server/PLV/LOGS/*.LOG" 2>/dev/null | grep -q 'xlogo;Initiated;'; then
      met=yes
      break
    fi
    sleep 0.2
  done
  kill -TERM "$agent" "$client"
  wait "$client" || true
  wait "$agent" || fail "the agent did not stop cleanly: $(cat "$outside/agent.err")"
  [[ $met == yes ]] || fail "xlogo was not metered: $(cat "$outside/agent.err")"
  grep -q "^plvagent: starting 2.8 (commit " "$outside/agent.err" || fail "no start line: $(cat "$outside/agent.err")"
}

echo "== cmake --install into a DESTDIR"
destdir=$work/destdir
DESTDIR=$destdir cmake --install "$build" >/dev/null
prefix=$destdir/usr
"$prefix/bin/plvagent" --version | grep -q '^plvagent 2.8 (commit ' || fail "the installed plvagent --version"
MANPAGER=cat MANPATH=$prefix/share/man man plvagent 2>/dev/null | grep -q 'meter the applications used' ||
  fail "man plvagent shows no page"
# The unit as installed, its program where this install put it.
mkdir -m 700 "$work/runtime"
sed "s|/usr/bin/plvagent|$prefix/bin/plvagent|" "$prefix/lib/systemd/user/plvagent.service" >"$work/plvagent.service"
XDG_RUNTIME_DIR=$work/runtime MANPATH=$prefix/share/man systemd-analyze --user verify "$work/plvagent.service" ||
  fail "systemd-analyze verify plvagent.service"
grep -q '^Exec=plvagent run$' "$destdir/etc/xdg/autostart/plvagent.desktop" || fail "the autostart entry"
# The example configuration reads without a problem once its definitions
# file is where it names it.
examples=$prefix/share/doc/plvagent/examples
sed "s|^Definitions = .*|Definitions = $examples/definitions.ini|" "$examples/agent.ini" >"$work/example.ini"
"$prefix/bin/plvagent" check-config --config "$work/example.ini" >"$work/example.out" 2>&1 ||
  fail "the example configuration: $(cat "$work/example.out")"
grep -q '^definitions: 2 from ' "$work/example.out" || fail "the example definitions: $(cat "$work/example.out")"
configure "$work/destdir-world"
meters_xlogo "env PATH=$prefix/bin:$PATH" "$work/destdir-world" "$work/destdir-world"

echo "== cpack -G DEB, dpkg -i into a fresh root"
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" >/dev/null)
package=$(ls "$work"/plvagent_*.deb)
# The libraries the package depends on, as apt would bring them; the root is
# kept per list, so a new dependency makes a new root.
libraries=libxcb1,libxcb-res0,libsqlite3-0,libpq5
base=$build/package-test-root-${libraries//,/-}
if [[ ! -x $base/usr/bin/dpkg ]]; then
  rm -rf "$base.new"
  debootstrap --variant=minbase --include="$libraries" bookworm "$base.new" >"$work/debootstrap.log" 2>&1 ||
    fail "debootstrap: $(tail -n 5 "$work/debootstrap.log")"
  mv "$base.new" "$base"
fi
root=$work/root
cp -a "$base" "$root"
cp "$package" "$root/tmp/plvagent.deb"
chroot "$root" dpkg -i /tmp/plvagent.deb >"$work/dpkg.log" 2>&1 || fail "dpkg -i: $(cat "$work/dpkg.log")"
# The loader finds the program's own directory ($ORIGIN of its run path) in
# /proc; the agent reads the processes there too, and reaches the X server
# through its abstract socket, which a chroot shares.
mount -t proc proc "$root/proc"
chroot "$root" plvagent --version | grep -q '^plvagent 2.8 (commit ' || fail "plvagent --version in the fresh root"
[[ -f $root/usr/share/man/man1/plvagent.1 && -f $root/usr/share/doc/plvagent/examples/agent.ini ]] ||
  fail "the package lacks the man page or the example configuration"
# The client runs outside the root; the agent reads its program file, which
# must be where /proc names it.
cp "$(command -v xlogo)" "$root/usr/bin/xlogo"
configure "$root/world"
sed -i "s|$root/world|/world|g" "$root/world/agent.ini"
meters_xlogo "chroot $root" /world "$root/world"
echo "== the installed agent runs and meters, from a DESTDIR and from the package"
