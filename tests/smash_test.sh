#!/bin/bash
# smash_test.sh RUNNER... SMASH.exe UNGUARDED.exe
#
# The stack protector at work, one row per case: tests/smash.cpp built as the
# shipped programs are (SMASH.exe) must be ended by it when a copy overruns
# its buffer, and built without it (UNGUARDED.exe) must not be, which shows
# that it is the protector that ends the first.
set -u
run=$(printf '%q ' "${@:1:$#-2}")
smash=${*: -2:1}
unguarded=${*: -1}
long=$(printf 'A%.0s' {1..64})

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"

check "a text that fits" 0 "" "" -- "$run $smash short >/dev/null 2>&1"
check "a smash, with the protector" 42 "" "" -- "$run $smash $long >/dev/null 2>&1"
check "the same smash without it" 0 "" "" -- "$run $unguarded $long >/dev/null 2>&1; [[ \$? =~ ^4[34]$ ]]"

finish stack_protector
