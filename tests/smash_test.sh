#!/bin/bash
# smash_test.sh RUNNER... SMASH.exe UNGUARDED.exe
#
# The stack protector at work, one row per case: tests/smash.cpp built as the
# shipped programs are (SMASH.exe) must be ended by it when a copy overruns
# its buffer, and built without it (UNGUARDED.exe) must not be, which shows
# that it is the protector that ends the first.
set -u
run=("${@:1:$#-2}")
smash=${*: -2:1}
unguarded=${*: -1}
long=$(printf 'A%.0s' {1..64})

# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"
# expect NAME STATUS WANTED...: STATUS must be one of the WANTED.
expect() {
    local name=$1 got=$2
    shift 2
    local problems=" status $got, not $*"
    for wanted; do
        [ "$got" != "$wanted" ] || problems=""
    done
    verdict "$name" "$problems"
}
status_of() {
    "${run[@]}" "$@" >/dev/null 2>&1
    echo $?
}

expect "a text that fits" "$(status_of "$smash" short)" 0
expect "a smash, with the protector" "$(status_of "$smash" "$long")" 42
expect "the same smash without it" "$(status_of "$unguarded" "$long")" 43 44

finish stack_protector
