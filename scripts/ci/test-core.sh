#!/usr/bin/env bash
# The core, the platform layer and the command line: a debug build, then the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
jobs=$(nproc)
for preset in debug sanitize; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j"$jobs"
    ctest --preset "$preset" -j"$jobs"
done
