#!/usr/bin/env bash
# The Linux dialog: build the qt preset and drive the real widgets on Qt's offscreen platform.
set -euo pipefail
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
cmake --preset qt >/dev/null
cmake --build --preset qt -j"$jobs"
ctest --preset qt -j"$jobs"
