#!/usr/bin/env bash
# Builds both packages: the Debian package from the package preset (build/package/*.deb) and
# the Windows zip from the mingw preset (build/mingw/Cirrowisp-<version>-win64.zip).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ci/install-deps.sh
for preset in package mingw; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j2
    cpack --preset "$preset"
done
