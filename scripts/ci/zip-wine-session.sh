#!/usr/bin/env bash
# Runs inside xvfb-run (see test-package.sh): unpacks the Windows zip into a fresh Wine prefix
# and starts both programs from the unpacked folder, as a pilot would after unzipping.
#   zip-wine-session.sh ZIP EXPECTED_SUMMARY
set -euo pipefail
zip=$1
expected=$2
WINEPREFIX=$(mktemp -d /tmp/cirrowisp-zip.XXXXXX)
export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
fail() {
    echo "FAIL $*" >&2
    exit 1
}

# One server for the whole session, started before the prefix's first process.
wineserver -p
wineboot --init >/dev/null 2>&1 || true

unzip -q "$zip" -d "$WINEPREFIX/drive_c"
folder="$WINEPREFIX/drive_c/$(basename "$zip" .zip)"
contents=$(cd "$folder" && find . -mindepth 1 | sort | tr '\n' ' ')
echo "unpacked: $contents"
[ "$contents" = "./Cirrowisp.exe ./LICENSE.txt ./README.txt ./cirrowisp-cli.exe " ] ||
    fail "the zip should hold one folder with the two programs, README.txt and LICENSE.txt"

echo "--- cirrowisp-cli.exe on the sample tree"
cp -r examples/sim "$WINEPREFIX/drive_c/sim"
version=$(basename "$zip" -win64.zip)
version=${version#Cirrowisp-}
(cd "$folder" && wine ./cirrowisp-cli.exe --version) | tr -d '\r' >"$WINEPREFIX/version"
cat "$WINEPREFIX/version"
[ "$(head -n 1 "$WINEPREFIX/version")" = "cirrowisp-cli $version" ] ||
    fail "cirrowisp-cli.exe --version does not say $version, as the zip's name does"
(cd "$folder" && wine ./cirrowisp-cli.exe 'C:\sim') | tr -d '\r' >"$WINEPREFIX/summary"
cat "$WINEPREFIX/summary"
diff -u "$expected" "$WINEPREFIX/summary" || fail "the Windows summary differs from the Linux one"

echo "--- Cirrowisp.exe"
(cd "$folder" && exec wine ./Cirrowisp.exe) &
dialog=$!
shown=no
for _ in $(seq 600); do  # up to a minute: the first window of a fresh prefix is slow
    # Read whole before searching: grep -q stopping early would fail xwininfo on a broken pipe.
    windows=$(xwininfo -root -tree)
    if grep -q '"FSX-Cirrowisp generator"' <<<"$windows"; then
        shown=yes
        break
    fi
    kill -0 "$dialog" 2>/dev/null || break
    sleep 0.1
done
[ "$shown" = yes ] || fail "the generator dialog did not show"
shots=build/mingw/screenshots
mkdir -p "$shots"
import -window root "$shots/unzipped-dialog.png" 2>/dev/null || true
# Without /f, taskkill asks the window to close, as its close box does.
wine taskkill /im Cirrowisp.exe >/dev/null 2>&1
status=0
wait "$dialog" || status=$?
[ "$status" -eq 0 ] || fail "Cirrowisp.exe ended with status $status"
echo "the dialog showed and closed (screenshot: $shots/unzipped-dialog.png)"
