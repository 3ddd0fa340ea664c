#!/bin/bash
# signed_run_test.sh SIGNED_DIR RUNNER... AWAIT_SAMPLE.exe
#
# The programs that the sign test signed still run under Wine (RUNNER): the
# dialog program shows its dialog and ends with status 0 when it is closed,
# and atbash.exe converts.
set -u
signed=$1
run=$(printf '%q ' "${@:2:$#-2}")
await=${*: -1}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"

check "the signed program shows its dialog and ends with 0" 0 "" "" -- \
    "$run $signed/quindarelvoxen.exe & program=\$!; $run $await close 60 && wait \$program"
check "the signed atbash converts" 0 "Svool, Dliow!" "" -- "printf 'Hello, World!' | $run $signed/atbash.exe"

finish signed_run
