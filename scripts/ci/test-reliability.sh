#!/usr/bin/env bash
# What must survive whatever happens to a run: bad input through the command line (some of it
# as an unprivileged user, for whom permissions bite), a fault at every file operation, the
# rewrite's promises on generated files, and SIGKILL at random moments of a run, a restore and
# a forced restore (30 kills here, taking the three in turn; KILL_ROUNDS=200 for the full run).
set -euo pipefail
kills=${KILL_ROUNDS:-30}

# CI runs as root, which reads and writes whatever it likes; the permission tests start the
# program as this user instead, and skip when there is none.
if [ "$(id -u)" -eq 0 ] && ! id -u cirrowisp-test >/dev/null 2>&1; then
    useradd --system --no-create-home --shell /usr/sbin/nologin cirrowisp-test
fi

cmake --preset debug >/dev/null
cmake --build --preset debug -j2 --target cirrowisp-cli cirrowisp_kill_test bad_input_tests \
    scan_tests scan_fault_property_tests rewrite_property_tests

build/debug/tests/bad_input_tests --gtest_brief=1
# Once more from a folder only the caller may enter, under umask 077, as a checkout inside a
# private home folder has it: the other user must still be able to start the program.
private=$(mktemp -d)
trap 'rm -rf "$private"' EXIT
cp build/debug/cli/cirrowisp-cli build/debug/tests/bad_input_tests "$private/"
(umask 077 && cd "$private" &&
    CIRROWISP_CLI="$private/cirrowisp-cli" ./bad_input_tests --gtest_brief=1 --gtest_filter='BadInput.*')
# The dialogs' Start sequence, when this tree has it.
if ninja -C build/debug -t query start_bad_input_tests >/dev/null 2>&1; then
    cmake --build --preset debug -j2 --target start_bad_input_tests
    build/debug/tests/start_bad_input_tests --gtest_brief=1
fi
build/debug/tests/scan_tests --gtest_brief=1 --gtest_filter='ScanFaults*:DiskErrors/*'
build/debug/tests/scan_fault_property_tests --gtest_brief=1
build/debug/tests/rewrite_property_tests --gtest_brief=1
build/debug/tests/cirrowisp_kill_test --cli build/debug/cli/cirrowisp-cli --rounds "$kills" --folders 3000
