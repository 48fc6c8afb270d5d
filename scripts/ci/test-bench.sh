#!/usr/bin/env bash
# The benchmarks still build and run: one quick pass over small trees. Nothing here judges a
# time; the figures that count are taken on a quiet machine with scripts/bench.sh.
set -euo pipefail
scripts/bench.sh --quick --sizes 50,200 --dir build/bench/ci-trees
