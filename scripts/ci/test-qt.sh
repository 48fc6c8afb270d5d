#!/usr/bin/env bash
# The Linux dialog: build the qt preset and drive the real widgets on Qt's offscreen platform,
# then the dialog's tests once more on a real (virtual) X server, as a desktop would run them.
set -euo pipefail
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
cmake --preset qt >/dev/null
cmake --build --preset qt -j"$jobs"
ctest --preset qt -j"$jobs"

echo "--- the dialog's tests on an X server (Xvfb)"
QT_QPA_PLATFORM=xcb xvfb-run -a build/qt/tests/qt/qt_dialog_tests -silent
