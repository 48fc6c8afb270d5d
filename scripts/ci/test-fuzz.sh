#!/usr/bin/env bash
# Fuzzes with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer: the rewrite pass, and
# the folder scan with one failing file operation. The targets check their own invariants on
# every input; any crash, leak or broken invariant fails the stage and leaves the input that
# caused it in build/fuzz/artifacts/.
#
# The CI form is reproducible: a fixed seed and a fixed number of inputs (about a minute a
# target), so a stage that passed here passes on every machine, and one that fails, fails
# again with the same input. Searching for new faults is the long form, which draws a fresh
# seed each time: FUZZ_SECONDS=3600 for an hour a target (FUZZ_SEED to repeat one).
set -euo pipefail
corpus_dir=${CIRROWISP_CORPUS:-$PWD/../shared/corpus}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 --target fuzz_cfg_rewrite fuzz_scan_faults

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/rewrite" "$work/scan" "$work/seeds" build/fuzz/artifacts
cp tests/data/rewrite/*.in.cfg "$work/seeds/"
seeds=("$work/seeds")
# The published aircraft files are read where they are, never copied.
if [ -d "$corpus_dir" ]; then
    seeds+=("$corpus_dir")
fi
options=(-max_len=8192 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
         -artifact_prefix=build/fuzz/artifacts/)
if [ -n "${FUZZ_SECONDS:-}" ]; then
    options+=(-max_total_time="$FUZZ_SECONDS")
    [ -z "${FUZZ_SEED:-}" ] || options+=(-seed="$FUZZ_SEED")
    rewrite_limit=()
    scan_limit=()
else
    options+=(-seed="${FUZZ_SEED:-1}")
    rewrite_limit=(-runs=70000)
    scan_limit=(-runs=20000)
fi

build/fuzz/fuzz/fuzz_cfg_rewrite "${options[@]}" "${rewrite_limit[@]}" "$work/rewrite" "${seeds[@]}"
# Inputs that once broke a promise are seeds of their own, so every run tries them first.
build/fuzz/fuzz/fuzz_scan_faults "${options[@]}" "${scan_limit[@]}" "$work/scan" tests/data/fuzz_scan
