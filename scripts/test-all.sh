#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test stage in turn.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ci/install-deps.sh
# Cheapest first, so that a broken build or a failing unit test shows within minutes; every
# stage file must be named here (a new one that is not fails the run rather than being skipped).
stages=(demo core qt lookup-wine windows unicode-wine reliability-wine pilot-wine reliability package fuzz bench bench-wine)
for stage in scripts/ci/test-*.sh; do
    name=${stage#scripts/ci/test-}
    if [[ " ${stages[*]} " != *" ${name%.sh} "* ]]; then
        echo "scripts/test-all.sh: stage $stage is not in the list of stages" >&2
        exit 1
    fi
done
for name in "${stages[@]}"; do
    echo "=== test-$name.sh"
    bash "scripts/ci/test-$name.sh"
done
echo "=== all test stages passed"
