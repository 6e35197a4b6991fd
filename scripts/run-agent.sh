#!/usr/bin/env bash
# Installs what is needed, builds the agent and runs plvagent. Without
# arguments it runs the built-in configuration (everything below
# ./plvagent-data) for five timer cycles, showing the trace, and stops;
# with arguments they are plvagent's (for example: run --config agent.ini).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
if (($# == 0)); then
  set -- run --cycles 5
fi
exec build/default/bin/plvagent "$@"
