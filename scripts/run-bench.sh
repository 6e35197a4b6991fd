#!/usr/bin/env bash
# Builds the release preset and runs the benchmarks; arguments go to the
# benchmark binary (e.g. --benchmark_filter=SteadyCycle).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target plv_bench
exec build/default/bin/plv_bench "$@"
