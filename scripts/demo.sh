#!/usr/bin/env bash
# Installs what is missing, builds, and runs the headless host on its embedded sample document.
# Extra arguments go to properties-panel-host (try --help).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)"
exec build/default/bin/properties-panel-host "$@"
