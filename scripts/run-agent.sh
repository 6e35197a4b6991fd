#!/usr/bin/env bash
# Installs what is needed, builds the agent and runs plvagent. Arguments are
# passed to plvagent.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
exec build/default/bin/plvagent "$@"
