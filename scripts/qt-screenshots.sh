#!/usr/bin/env bash
# Renders the Linux dialog and its About box into docs/images/ (offscreen, no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset qt >/dev/null
cmake --build --preset qt -j2 --target cirrowisp-qt-screenshot
# An empty Wine prefix, so the path field shows the default rather than this machine's simulator.
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
WINEPREFIX="$prefix" QT_QPA_PLATFORM=offscreen build/qt/ui/qt/cirrowisp-qt-screenshot docs/images
echo "written: docs/images/qt-dialog.png docs/images/qt-about.png"
