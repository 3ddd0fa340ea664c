#!/bin/bash
# smash_test.sh PROGRAM.exe ATBASH.exe RUNNER... SMASH.exe UNGUARDED.exe
#
# The protections of the two programs that their headers cannot show, one
# row per case: tests/smash.cpp built as the shipped programs are (SMASH.exe)
# must be ended by the stack protector when a copy overruns its buffer, and
# built without it (UNGUARDED.exe) must not be, which shows that it is the
# protector that ends the first; neither program touches the SEH chain at
# %fs:0, which their NO_SEH flag declares; and atbash.exe imports no function
# that Windows XP lacks, which it would need to start at all.
set -u
programs=("$1" "$2")
shift 2
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

for program in "${programs[@]}"; do
    check "$(basename "$program") leaves the SEH chain alone" 0 "" "" -- \
        "i686-w64-mingw32-objdump -d $program >$work/code && ! grep -E '%fs:0x0\\b' $work/code >&2"
done
# GetFileInformationByHandleEx came with Vista: where the input may be the
# output, atbash.exe looks it up by name.
check "atbash.exe imports nothing newer than Windows XP" 0 "" "" -- \
    "! i686-w64-mingw32-objdump -p ${programs[1]} | grep -w GetFileInformationByHandleEx >&2"

finish stack_protector
