#!/usr/bin/env bash
# A small sample of faults put into the product one at a time, to see that the tests catch them:
# each fault replaces one piece of code (found wherever it lives under patcher/ or ui/common/),
# the debug build is rebuilt, the tests run until the first failure, and the code is put back.
# Prints one line per fault, "caught" or "MISSED", and a count.
#
#   scripts/fault-sample.sh [source tree]      (default: this repository)
#
# The tree must have a configured debug build (cmake --preset debug). The slow property walks
# (ScanFaultProperties, a few minutes under the debug build) and the kill test are left out.
set -uo pipefail
tree=$(cd "${1:-$(dirname "$0")/..}" && pwd)
build="$tree/build/debug"
[ -d "$build" ] || { echo "no debug build in $tree: run cmake --preset debug there" >&2; exit 2; }

# name @ code as it stands @ code with the fault
faults=$(cat <<'EOF'
rewrite: contrail added for an engine type left out@if (isHeader(line) && options.isEngineSelected(engineType)) {@if (isHeader(line)) {
rewrite: a line that starts with '[' is a header@line.front() == '[' && line.back() == ']'@line.front() == '['
rewrite: the wanted temperature replaced, others kept@if (keyValue(line) == wantedTemperature) {@if (keyValue(line) != wantedTemperature) {
portable line scan: empty lines copied@std::uint64_t events = (masks.lf & ~crBefore) | empty | header;@std::uint64_t events = (masks.lf & ~crBefore) | header;
AVX2 line scan: a header naming a section after another name passed on@moreBrackets ? @false ? 
scan: a rewrite that is a prefix of the file counts as unchanged@return matching_ && matched_ == oldBytes_.size();@return matching_;
scan: folders with a dot in the name walked@const bool noExtension = entry.name.find('.') == std::string::npos;@const bool noExtension = true;
scan: a backup renamed over an existing one@fs_.renameNoReplace(folder.backupTemp, folder.backup);@fs_.replaceFile(folder.backupTemp, folder.backup);
publish: a batch's new files flushed before their renames@folder.freshFile->close();@
restore: the new file flushed before it replaces aircraft.cfg@output->close();@
restore: an empty line counts as an edit@return line.empty() || isKeyLine(line, kContrailKey)@return isKeyLine(line, kContrailKey)
restore: only edited folders count as left alone@++totals_.leftAlone;@totals_.leftAlone += report.edited ? 1 : 0;
roots: folders told apart by letter case@if (seen_.insert(foldCase(*found)).second) {@if (seen_.insert(*found).second) {
roots: a drive path taken below the simulator folder@const bool drive = path.size() >= 2@const bool drive = false && path.size() >= 2
dialogs: a Start keeps the folders an earlier Start listed@options.simObjectPaths.clear();@
EOF
)

caught=0
total=0
while IFS='@' read -r name old new; do
    file=$(cd "$tree" && grep -rlF -- "$old" patcher ui/common | head -n 1)
    total=$((total + 1))
    if [ -z "$file" ]; then
        echo "not applied  $name (code not found)"
        continue
    fi
    cp "$tree/$file" "$tree/$file.fault-sample"
    OLD="$old" NEW="$new" python3 - "$tree/$file" <<'PY'
import os, sys
path = sys.argv[1]
text = open(path, encoding="utf-8").read()
open(path, "w", encoding="utf-8").write(text.replace(os.environ["OLD"], os.environ["NEW"], 1))
PY
    if ! cmake --build "$build" -j2 </dev/null >/dev/null 2>&1; then
        verdict="caught (does not build)"
    elif ctest --test-dir "$build" -j2 --stop-on-failure -E 'ScanFaultProperties|KillTest' \
        </dev/null >/dev/null 2>&1; then
        verdict="MISSED"
    else
        verdict="caught"
    fi
    mv "$tree/$file.fault-sample" "$tree/$file"
    touch "$tree/$file"  # newer than the faulty object, so the next build compiles it again
    [ "$verdict" = MISSED ] || caught=$((caught + 1))
    printf '%-24s %s (%s)\n' "$verdict" "$name" "$file"
done <<< "$faults"
cmake --build "$build" -j2 >/dev/null 2>&1
echo "$caught of $total faults caught"
