#!/usr/bin/env bash
# Installs what is needed, then builds and runs every test: once as the
# release build, once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --workflow --preset default
cmake --workflow --preset sanitize
