#!/usr/bin/env bash
# The packages as a pilot gets them: builds the Debian package and the Windows zip, installs the
# package with the system's tool and uses it from the PATH, checks it with lintian, removes it
# and looks for leftovers; then unpacks the zip into a fresh Wine prefix and starts both
# programs from the unpacked folder.
set -euo pipefail
cd "$(dirname "$0")/../.."

version=$(sed -n 's/^project(Cirrowisp VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb=$PWD/build/package/cirrowisp_${version}-1_$(dpkg --print-architecture).deb
zip=$PWD/build/mingw/Cirrowisp-${version}-win64.zip
rm -f "$deb" "$zip"
bash scripts/package.sh
ls -l "$deb" "$zip"

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
if dpkg-query -W -f='${Status}' cirrowisp 2>/dev/null | grep -q 'install ok installed'; then
    echo "a cirrowisp package is installed already; remove it before running this stage" >&2
    exit 1
fi
work=$(mktemp -d /tmp/cirrowisp-package.XXXXXX)
installed=no
cleanup() {
    if [ "$installed" = yes ]; then
        DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq cirrowisp >/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL $*" >&2
    exit 1
}

echo "--- lintian"
status=0
lintian --fail-on error --display-info "$deb" >"$work/lintian" 2>&1 || status=$?
grep -v 'running with root privileges' "$work/lintian" || true
[ "$status" -eq 0 ] || fail "lintian reports errors"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
[[ $depends == *libqt6widgets6* && $depends == *libc6* ]] || fail "dependencies not found from the binaries"

echo "--- install with apt-get"
installed=yes
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$deb" >/dev/null
dpkg-query -L cirrowisp | sort >"$work/files"

[ "$(command -v cirrowisp-cli)" = /usr/bin/cirrowisp-cli ] || fail "cirrowisp-cli not on the PATH"
[ "$(command -v cirrowisp)" = /usr/bin/cirrowisp ] || fail "cirrowisp not on the PATH"
cirrowisp-cli --version | tee "$work/version"
[ "$(head -n 1 "$work/version")" = "cirrowisp-cli $version" ] || fail "--version does not say $version"
grep -q 'MIT licence' "$work/version" || fail "--version names no licence"

cp -r examples/sim "$work/sim"
(cd / && cirrowisp-cli "$work/sim") | tee "$work/linux-summary"
grep -q 'aircraft' "$work/linux-summary" || fail "no summary"
backups=$(find "$work/sim" -iname without_contrails_aircraft.cfg | wc -l)
patched=$(grep -ril '^contrail=' "$work/sim" --include='[aA][iI][rR][cC][rR][aA][fF][tT].[cC][fF][gG]' | wc -l)
echo "backups made: $backups, aircraft with a contrail line: $patched"
[ "$backups" -gt 0 ] && [ "$patched" -gt 0 ] || fail "the run changed nothing in the sample tree"

echo "--- manual page"
page=$(man -w cirrowisp-cli)
[ "$page" = /usr/share/man/man1/cirrowisp-cli.1.gz ] || fail "man -w cirrowisp-cli: $page"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 cirrowisp-cli 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "manual page warnings: $warnings"
rendered=$(LC_ALL=C.UTF-8 MANWIDTH=200 man cirrowisp-cli 2>/dev/null | col -b)
# An option is documented when a paragraph of its own starts with it, as "       --engines LIST"
# or "       -v, --verbose".
for option in $(cirrowisp-cli --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -Eq -- "^ {7}(-[a-z], )?$option( |\$)" <<<"$rendered" ||
        fail "option $option of --help has no paragraph in the manual page"
done
echo "every option of --help has its paragraph in the manual page"

echo "--- desktop entry, icons, copyright"
desktop-file-validate /usr/share/applications/cirrowisp.desktop
for size in 16 32; do
    [ -s "/usr/share/icons/hicolor/${size}x${size}/apps/cirrowisp.png" ] || fail "no ${size} px icon"
done
grep -q '^License: Expat' /usr/share/doc/cirrowisp/copyright || fail "copyright names no licence"

echo "--- remove"
DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq cirrowisp >/dev/null
installed=no
left=""
while read -r path; do
    if [ -e "$path" ] && [ ! -d "$path" ]; then
        left+=" $path"
    fi
done <"$work/files"
[ ! -e /usr/share/doc/cirrowisp ] || left+=" /usr/share/doc/cirrowisp"
[ -z "$left" ] || fail "left behind after removal:$left"
echo "removed: none of its $(wc -l <"$work/files") paths left behind"

echo "--- the zip under Wine"
xvfb-run -a -s "-screen 0 1024x768x24" bash scripts/ci/zip-wine-session.sh "$zip" "$work/linux-summary"
echo "=== package stage passed"
