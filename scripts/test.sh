#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the suites in the default build and again
# under AddressSanitizer + UndefinedBehaviorSanitizer, the concurrency tests under ThreadSanitizer,
# and the fuzz harnesses for a bounded number of inputs.
#   scripts/test.sh            everything (what CI runs)
#   scripts/test.sh default    one configuration only: default, asan, tsan or fuzz
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh

jobs=$(nproc)
configurations=("${@:-default asan tsan fuzz}")
read -r -a configurations <<<"${configurations[*]}"

for preset in "${configurations[@]}"; do
    echo "=== ${preset}: build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j"$jobs"
    echo "=== ${preset}: test"
    ctest --preset "$preset" -j"$jobs" --timeout 900
done
