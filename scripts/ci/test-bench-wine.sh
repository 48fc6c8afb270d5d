#!/usr/bin/env bash
# The Windows benchmark still builds and runs under Wine: one quick pass over a small tree.
# Nothing here judges a time; the figures that count come from scripts/bench-wine.sh on a quiet
# machine.
set -euo pipefail
scripts/bench-wine.sh --quick --dir build/bench/ci-wine-trees
