#!/bin/bash
# smash_test.sh PROGRAM.exe ATBASH.exe RUNNER... SMASH.exe UNGUARDED.exe
#
# How the two programs are built and protected, one row per case: each is a
# PE32 program for i386 that imports only system DLLs, declares ASLR, DEP and
# no SEH handlers, keeps its relocations, carries no link time and has no
# section both writable and executable, as objdump reads its headers; no code
# in either touches the SEH chain at %fs:0; atbash.exe imports no function
# that Windows XP lacks, and the dialog program stays within 20 KiB. And the
# stack protector at work: tests/smash.cpp built as the programs are
# (SMASH.exe) must be ended by it when a copy overruns its buffer, and built
# without it (UNGUARDED.exe) must not be, which shows that it is the
# protector that ends the first.
set -u
export dialog_exe=$1 atbash_exe=$2 program
shift 2
run=$(printf '%q ' "${@:1:$#-2}")
smash=$(printf %q "${*: -2:1}")
unguarded=$(printf %q "${*: -1}")
long=$(printf 'A%.0s' {1..64})

# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"

# What the rows read in a program's headers, "WHAT VALUE" a line.
headers() {
    LC_ALL=C TZ=UTC i686-w64-mingw32-objdump -p "$1" | awk '
        /file format/ { print "format", $NF }
        /^Magic|^Subsystem/ { print $1, $2 }
        /^Time\/Date/ { sub(/^Time\/Date\t*/, ""); print "linked", $0 }
        /relocations stripped/ { print "relocations stripped" }
        /Base Relocation Directory/ { print "relocations", $3 }
        /DLL Name:/ { print "imports", toupper($3) }
        flags && /^\t\t/ { print "flag", $1; next }
        { flags = /^DllCharacteristics/ }'
}
export -f headers

for program in "$dialog_exe" "$atbash_exe"; do
    name=$(basename "$program")
    subsystem=00000003 dlls="ADVAPI32.DLL KERNEL32.DLL MSVCRT.DLL"
    [ "$name" = atbash.exe ] || subsystem=00000002 dlls="$dlls USER32.DLL"
    check "$name is a PE32 program for i386" 0 "format pei-i386
Magic 010b
Subsystem $subsystem" "" -- 'headers "$program" | grep -E "^(format|Magic|Subsystem) "'
    check "$name imports only system DLLs" 0 "$dlls" "" -- \
        'headers "$program" | sed -n "s/^imports //p" | sort | paste -s -d " "'
    check "$name declares ASLR, DEP and no SEH handlers" 0 "DYNAMIC_BASE NO_SEH NX_COMPAT" "" -- \
        'headers "$program" | sed -n "s/^flag //p" | sort | paste -s -d " "'
    check "$name keeps its relocations, and carries no link time" 0 "linked Thu Jan  1 00:00:00 1970" "" -- \
        'headers "$program" | grep -E "^relocations 0*[1-9a-f]" >/dev/null && headers "$program" | grep -E "^(linked|relocations stripped)"'
    check "$name has no section both writable and executable" 0 "" "" -- \
        '! i686-w64-mingw32-objdump -h "$program" | grep CODE | grep -v READONLY >&2'
    check "$name leaves the SEH chain alone" 0 "" "" -- \
        'i686-w64-mingw32-objdump -d "$program" >"$work/code" && ! grep -E "%fs:0x0\\b" "$work/code" >&2'
done
# GetFileInformationByHandleEx came with Vista: where the input may be the
# output, atbash.exe looks it up by name.
check "atbash.exe imports nothing newer than Windows XP" 0 "" "" -- \
    '! i686-w64-mingw32-objdump -p "$atbash_exe" | grep -w GetFileInformationByHandleEx >&2'
check "quindarelvoxen.exe stays within 20 KiB" 0 "" "" -- '[ $(stat -c %s "$dialog_exe") -le 20480 ]'

check "a text that fits" 0 "" "" -- "$run $smash short >/dev/null 2>&1"
check "a smash, with the protector" 42 "" "" -- "$run $smash $long >/dev/null 2>&1"
check "the same smash without it" 0 "" "" -- "$run $unguarded $long >/dev/null 2>&1; [[ \$? =~ ^4[34]$ ]]"

finish stack_protector
