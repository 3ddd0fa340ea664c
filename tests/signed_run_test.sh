#!/bin/bash
# signed_run_test.sh SIGNED_DIR RUNNER... AWAIT_SAMPLE.exe
#
# The programs that the sign test signed still run under Wine (RUNNER): the
# dialog program shows its dialog and ends with status 0 when it is closed,
# and atbash.exe converts.
set -u
# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"
signed=$(printf %q "$1")
run=$(printf '%q ' "${@:2:$#-2}")
await=$(printf %q "${*: -1}")

# A program that does not close as asked is ended, so that none outlives
# the row.
check "the signed program shows its dialog and ends with 0" 0 "" "" -- \
    "$run $signed/quindarelvoxen.exe & program=\$!
     $run $await close 60 || { $run taskkill /f /im quindarelvoxen.exe >/dev/null 2>&1; wait \$program; exit 1; }
     wait \$program"
check "the signed atbash converts" 0 "Svool, Dliow!" "" -- "printf 'Hello, World!' | $run $signed/atbash.exe"

finish signed_run
