#!/usr/bin/env bash
# Installs what the agent needs, builds the agent, its library and its
# modules (nothing of the tests) and runs plvagent. Without arguments it
# runs the configuration it finds (the built-in one on a fresh machine) for
# five timer cycles, showing the trace, and stops; with arguments they are
# plvagent's (for example: run --config agent.ini). After a run it names
# the day's shared log and the command that reads it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-agent-deps.sh
cmake --preset agent >/dev/null
cmake --build --preset agent
agent=build/agent/bin/plvagent
if (($# == 0)); then
  set -- run --cycles 5
fi
status=0
"$agent" "$@" || status=$?

case $1 in check-config | import-defs | -h | --help | --version) exit $status ;; esac
# The configuration the run used names the directory of the shared log.
config=()
for ((i = 1; i < $#; i++)); do
  next=$((i + 1))
  case ${!i} in -c | --config) config=(--config "${!next}") ;; esac
done
logs=$("$agent" check-config "${config[@]}" 2>/dev/null | sed -n 's/^shared log directory: //p') || true
newest=$(ls -t "$logs"/*.LOG 2>/dev/null | head -n 1) || true
echo
if [[ -n $newest ]]; then
  echo "The shared log: $newest"
  echo "Read it with:   build/agent/bin/plvlog --header $newest"
else
  echo "No log file in ${logs:-the shared log directory} yet."
fi
exit $status
