#!/usr/bin/env bash
# The Windows program: cross-compiles the mingw preset, then, in one virtual display and a
# throw-away Wine prefix, runs the unit tests under Wine and drives the real Cirrowisp.exe.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j2
xvfb-run -a -s "-screen 0 1024x768x24" bash scripts/ci/wine-session.sh
