#!/usr/bin/env bash
# Fuzzes for a while (60 seconds a target by default; FUZZ_SECONDS=3600 for a long run) with
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer: the rewrite pass, and the folder
# scan with one failing file operation. The targets check their own invariants on every input;
# any crash, leak or broken invariant fails the stage and leaves the input that caused it in
# build/fuzz/artifacts/.
set -euo pipefail
seconds=${FUZZ_SECONDS:-60}
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
options=(-max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048
         -print_final_stats=1 -artifact_prefix=build/fuzz/artifacts/)

build/fuzz/fuzz/fuzz_cfg_rewrite "${options[@]}" "$work/rewrite" "${seeds[@]}"
build/fuzz/fuzz/fuzz_scan_faults "${options[@]}" "$work/scan"
