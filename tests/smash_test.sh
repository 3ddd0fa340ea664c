#!/bin/bash
# smash_test.sh PROGRAM.exe ATBASH.exe RUNNER... SMASH.exe UNGUARDED.exe
#
# How the programs are built and protected, as objdump reads them, and the stack protector at work, one row per case.
set -u
export dialog_exe=$1 atbash_exe=$2 program allowed
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
        /DLL Name:/ { dll = toupper($3) }
        /^$/ { dll = "" }
        dll && /^\t[0-9a-f]+[ \t]/ { print "imports", dll, $NF }
        flags && /^\t\t/ { print "flag", $1; next }
        { flags = /^DllCharacteristics/ }'
}
export -f headers

# Every function each program may import with Debian 12's and 13's toolchains, all in Windows 2000; any other fails.
common="ADVAPI32.DLL CryptAcquireContextA CryptGenRandom CryptReleaseContext
KERNEL32.DLL DeleteCriticalSection EnterCriticalSection FreeLibrary"
imports_quindarelvoxen="$common GetLastError GetModuleHandleA GetProcAddress GetStartupInfoA InitializeCriticalSection LeaveCriticalSection LoadLibraryA SetUnhandledExceptionFilter Sleep TlsGetValue VirtualProtect VirtualQuery lstrlenA
MSVCRT.DLL __getmainargs __initenv __p__acmdln __p__commode __p__fmode __set_app_type __setusermatherr _amsg_exit _cexit _close _exit _initterm _iob _ismbblead _onexit _open _write abort calloc exit fprintf free fwrite malloc memcpy signal strlen strncmp vfprintf
USER32.DLL DialogBoxParamA EndDialog GetDlgItemTextA KillTimer LoadIconA MessageBoxA SendMessageA SetDlgItemTextA SetTimer SetWindowTextA"
imports_atbash="$common GetFileInformationByHandle GetFileType GetLastError GetModuleHandleA GetModuleHandleW GetProcAddress GetStartupInfoW InitializeCriticalSection IsDBCSLeadByteEx LeaveCriticalSection LoadLibraryA MultiByteToWideChar SetUnhandledExceptionFilter Sleep TlsGetValue VirtualProtect VirtualQuery WideCharToMultiByte
MSVCRT.DLL __mb_cur_max __p__commode __p__fmode __p__wcmdln __set_app_type __setusermatherr __wgetmainargs __winitenv _amsg_exit _cexit _close _errno _exit _fstat _get_osfhandle _initterm _iob _lock _lseeki64 _onexit _open _read _setmode _unlock _wopen _write abort atoi calloc exit fflush fprintf fputc fputs free fwrite localeconv malloc memcmp memcpy memmove memset setlocale signal strchr strcmp strerror strlen strncmp strspn vfprintf wcslen"

for program in "$dialog_exe" "$atbash_exe"; do
    name=$(basename "$program")
    subsystem=00000003 allowed=$imports_atbash
    [ "$name" = atbash.exe ] || subsystem=00000002 allowed=$imports_quindarelvoxen
    check "$name is a PE32 program for i386" 0 "format pei-i386 Magic 010b Subsystem $subsystem" "" -- \
        'headers "$program" | grep -E "^(format|Magic|Subsystem) " | paste -s -d " "'
    check "$name imports only the functions checked" 0 "" "" -- \
        '! headers "$program" | grep "^imports " | grep -v -x -F -f <(awk "{ for (i = 2; i <= NF; i++) print \"imports\", \$1, \$i }" <<<"$allowed")'
    check "$name declares ASLR, DEP and no SEH handlers" 0 "DYNAMIC_BASE NO_SEH NX_COMPAT" "" -- \
        'headers "$program" | sed -n "s/^flag //p" | sort | paste -s -d " "'
    check "$name keeps its relocations, and carries no link time" 0 "linked Thu Jan  1 00:00:00 1970" "" -- \
        'headers "$program" | grep -E "^relocations 0*[1-9a-f]" >/dev/null && headers "$program" | grep -E "^(linked|relocations stripped)"'
    check "$name has no section both writable and executable" 0 "" "" -- \
        '! i686-w64-mingw32-objdump -h "$program" | grep CODE | grep -v READONLY >&2'
    check "$name leaves the SEH chain alone" 0 "" "" -- \
        'i686-w64-mingw32-objdump -d "$program" >"$work/code" && ! grep -E "%fs:0x0\\b" "$work/code" >&2'
done
check "quindarelvoxen.exe stays within 20 KiB" 0 "" "" -- '[ $(stat -c %s "$dialog_exe") -le 20480 ]'

check "a text that fits" 0 "" "" -- "$run $smash short >/dev/null 2>&1"
check "a smash, with the protector" 42 "" "" -- "$run $smash $long >/dev/null 2>&1"
check "the same smash without it" 0 "" "" -- "$run $unguarded $long >/dev/null 2>&1; [[ \$? =~ ^4[34]$ ]]"

finish stack_protector
