#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test stage in turn.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ci/install-deps.sh
for stage in scripts/ci/test-*.sh; do
    echo "=== ${stage#scripts/ci/}"
    bash "$stage"
done
echo "=== all test stages passed"
