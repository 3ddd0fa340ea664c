#!/bin/bash
# cli_test.sh [RUNNER...] ATBASH
#
# The atbash command as a user meets it, one row per case; `LC_ALL=C tr` is the oracle. With a RUNNER (Wine), the
# POSIX rows are left out, and the rows run in C.UTF-8, a user's locale, in whose character set Wine reads the
# arguments' bytes. Natively, FAULTS names the library of tests/faults.cpp.
set -u
# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"
# The rows run in a folder of their own: the programs named absolutely, each word quoted for eval.
export ATBASH_COMMAND=
for argument; do
    [ ! -e "$argument" ] || argument=$(realpath "$argument")
    ATBASH_COMMAND+="$(printf '%q' "$argument") "
done
atbash() { eval "$ATBASH_COMMAND"' "$@"'; }
emulated=$(($# > 1))
[ "$emulated" = 0 ] || export LC_ALL=C.UTF-8
[ "$emulated" = 1 ] || [ -n "${FAULTS:-}" ] || { echo "cli_test: set FAULTS to the faults library" >&2; exit 2; }
cd "$work" || exit 1

mirror() { LC_ALL=C tr 'A-Za-z' 'ZYXWVUTSRQPONMLKJIHGFEDCBAzyxwvutsrqponmlkjihgfedcba'; }

printf 'Hello, World!\n' >hello
printf 'Zebra 42\r\n' >zebra
printf 'A\r\nB\x1a C\r\n\x1a\x1a' >binary
printf 'abc' >-h
mkdir folder
# The 256 byte values in order: a format of their octal escapes.
# shellcheck disable=SC2059
printf "$(printf '\\%03o' {0..255})" >bytes
: >empty

# posix CHECK...: a row about POSIX pipes, devices and faults: native only.
posix() { [ "$emulated" = 1 ] || "$@"; }

for file in hello zebra bytes binary; do mirror <"$file" >"$file.out"; done
cat hello.out zebra.out >two.out
cat hello.out hello.out zebra.out >three.out
for _ in {1..100}; do cat hello.out; done >hundred.out
printf 'zyx' >h.out
head -c 10 bytes.out >ten.out
printf 'b\nb\nb\nb\nb\nb\nb\nb\nb\nb\n' >endless.out
printf 'atbash %s\n' "${VERSION:-}" >version.out
cat hello zebra.out hello.out >self.out
printf '\0zyx\0\0\0\0' >beyond.out
# 50 MB for the rows about pipes and faults, which run natively only.
if [ "$emulated" = 0 ]; then
    yes 'Closed pipes' | head -c 50000000 >big
    mirror <big >big.out
    head -c 64 big.out | cat hello.out - zebra.out >eio.out
fi
printf 'Hello, World!\nGrown.' | mirror >grown.out
# with_faults COMMAND...: COMMAND with the fault library first, named without its folder, which may hold a space.
with_faults() {
    LD_LIBRARY_PATH=$(dirname "$FAULTS") LD_PRELOAD=$(basename "$FAULTS") ASAN_OPTIONS=verify_asan_link_order=0 "$@"
}
export -f atbash mirror with_faults

check "standard input"            0 "<hello.out"  "" -- 'atbash <hello'
check "- is standard input"       0 "<hello.out"  "" -- 'atbash - <hello'
check "several files"             0 "<two.out"    "" -- 'atbash hello zebra'
check "- among files"             0 "<three.out"  "" -- 'atbash hello - zebra <hello'
check "empty input"               0 "<empty"      "" -- 'atbash <empty'
check "all 256 byte values"       0 "<bytes.out"  "" -- 'atbash bytes'
check "binary file: CR LF and 0x1A pass" 0 "<binary.out" "" -- 'atbash binary'
check "binary standard input"     0 "<binary.out" "" -- 'atbash <binary'
check "twice gives the input"     0 "<bytes"      "" -- 'atbash bytes >once && atbash once'
check "missing file among good"   1 "<two.out"    '^atbash: missing: No such file or directory$' -- 'atbash hello missing zebra'
posix check "unreadable file"           1 "<two.out"    '^atbash: folder: Is a directory$' -- 'atbash hello folder zebra'
posix check "full disk"                 1 "<empty"      '^atbash: write error: No space left on device$' -- 'atbash hello >/dev/full'
posix check "closed pipe"               0 "<ten.out"    "" -- 'atbash bytes big | head -c 10; exit ${PIPESTATUS[0]/141/0}'
posix check "endless pipe"              0 "<endless.out" "" -- 'yes | atbash | head -c 20; exit ${PIPESTATUS[1]/141/0}'
posix check "closed pipe, SIGPIPE ignored" 1 "<ten.out" "" -- 'trap "" PIPE; atbash bytes big | head -c 10; exit ${PIPESTATUS[0]}'
check "-- ends the options"       0 "<h.out"      "" -- 'atbash -- -h'
check "help"                      0 "<empty"       "" -- 'atbash --help >long && atbash -h >short && grep -q "^Usage: atbash" long short'
check "version"                   0 "<version.out" "" -- 'atbash --version'
# Names that Windows' ANSI code page lacks, or would map onto an option.
check "a file named beyond the code page" 0 "<hello.out" "" -- 'cp hello Ελλάδα.txt && atbash Ελλάδα.txt'
check "a file named with a full-width hyphen" 0 "<hello.out" "" -- 'cp hello －h && atbash －h'
# Missing files named with the shell's syntax, control characters or bytes that are not UTF-8, as cat names them.
odd_names() { printf '%s\0' $'a\nb' $'\tx' $'x\n' 'a b' "it's" "it's \$x" 'a*' '~x' $'\e[31m' '' : a:b ] $'\xff' $'a\xc3' é; }
export -f odd_names
posix check "missing files named as cat names them" 0 "" "" -- 'for LC_ALL in C C.UTF-8; do export LC_ALL
    diff <(odd_names | xargs -0 cat 2>&1 | sed "s/^cat: //") <(odd_names | xargs -0 bash -c "atbash \"\$@\"" sh 2>&1 | sed "s/^atbash: //") || exit; done'
check "a name after -- named as any other, not as UTF-8 on Windows" 0 "" "" -- 'diff <(atbash -- Ελλάδα 2>&1) <(atbash Ελλάδα 2>&1)'
# As coreutils says it: the option, then where to look. try_help follows a command whose standard error went to err.
try_help='status=$?; head -n 1 err >&2; tail -n +2 err | tr -d "\r" |
    grep -qx "Try .atbash --help. for more information." && exit $status; exit 9'
check "unknown option"            1 "<empty" "^atbash: invalid option -- 'x'$" -- "atbash -x hello 2>err; $try_help"
check "unknown long option"       1 "<empty" "^atbash: unrecognized option '--rot13'$" -- "atbash --rot13 hello 2>err; $try_help"
posix check "in place, as cat does" 0 "<hello.out" "" -- 'cp hello inplace && atbash inplace 1<>inplace && cat inplace'
posix check "help into a full disk"     1 "<empty"      '^atbash: write error' -- 'atbash --help >/dev/full'
check "a file of 0 bytes"         0 "<empty"      "" -- 'atbash empty'
check "input file is output file" 1 "<self.out"   '^atbash: self: input file is output file$' -- \
    'cp hello self; (ulimit -f 100; atbash zebra self hello >>self); status=$?; cat self; exit $status'
check "standard input is output"  1 "<hello"      '^atbash: -: input file is output file$' -- \
    'cp hello self; (ulimit -f 100; atbash <self >>self); status=$?; cat self; exit $status'
posix check "a closed standard output" 1 "<empty" '^atbash: standard output: Bad file descriptor$' -- 'atbash hello >&-'
# Two files that share an ID on two file systems, whose volume Wine tells as 0: a new one on /dev/shm, one of /sys or /usr.
check "input and output that share an ID on two file systems" 0 "" "" -- 'out=$(mktemp -d /dev/shm/atbash.XXXXXX); trap "rm -r $out" EXIT
    declare -A in; while read -r i p; do in[$i]=$p; done < <(find /sys /usr -xdev -type f -readable -size +0 -printf "%i %p\n" 2>/dev/null)
    for n in {1..20000}; do : >"$out/$n"; f=${in[$(stat -c %i "$out/$n")]:-}; [ -n "$f" ] && head -c 1 "$f" >/dev/null 2>&1 && break; done
    atbash "$f" >>"$out/$n" && mirror <"$f" | cmp - "$out/$n"'
posix check "a terminal for input and output" 0 "Svool, Dliow!" "" -- \
    'SHELL=/bin/bash script -qec atbash /dev/null <hello | tr -d "\r" | tail -n 1'
posix check "a hundred files, with 64 descriptors" 0 "<hundred.out" "" -- 'ulimit -n 64; atbash $(printf "hello %.0s" {1..100})'
posix check "a FIFO"                    0 "<hello.out"  "" -- 'mkfifo fifo && { cat hello >fifo & } && atbash fifo'
posix check "/proc/self/maps"           0 "<empty"      "" -- \
    'atbash /proc/self/maps | atbash >maps && [ -s maps ] && ! grep -v -E "^[0-9a-f]+-[0-9a-f]+ [-r][-w][-x][ps] " maps'
posix check "/dev/zero into head -c"    0 "<empty"      "" -- \
    'atbash /dev/zero | head -c 1000000 >zeros; status=${PIPESTATUS[0]}; head -c 1000000 /dev/zero | cmp -s - zeros && exit ${status/141/0}'
posix check "a file larger than 4 GiB"  0 "<beyond.out" "" -- \
    'truncate -s 4294967304 sparse && printf abc | dd of=sparse bs=1 seek=4294967297 conv=notrunc status=none &&
     atbash sparse | dd bs=1M skip=4096 iflag=fullblock status=none'
posix check "a read that fails halfway" 1 "<eio.out"    '^atbash: eio: Input/output error$' -- \
    'head -c 100 big >eio; FAULT=read-eio FAULT_FILE=eio with_faults atbash hello eio zebra'
posix check "a file cut while read"     0 "<empty"      "" -- \
    'cp big cut; FAULT=truncate FAULT_FILE=cut with_faults atbash cut >got; status=$?; n=$(wc -c <got)
     [ "$n" -ge 1000 ] && [ "$n" -lt "$(wc -c <big)" ] && head -c "$n" big.out | cmp -s - got && exit $status'
posix check "a file that grows while read" 0 "<grown.out" "" -- \
    'cp hello grow; FAULT=grow FAULT_FILE=grow with_faults atbash grow'
posix check "output that takes nothing" 1 "<empty"      '^atbash: write error: the output takes no more$' -- \
    'FAULT=write-zero with_faults atbash hello'
posix check "100 MB stream"             0 "<empty"      "" -- 'text() { yes "The quick brown fox jumps over the lazy dog 0123456789!" | head -c 100000000; }
    cmp <(text | atbash) <(text | mirror)'

# Alphabets (-a); the core's test shows each text's image and that twice gives it back. Under Wine, where a start
# costs a second, only the rows that try atbash.exe's options, UTF-16 arguments and binary input.
printf 'x' >straddle && yes 'בבל ששך' | head -n 40000 >>straddle
printf 'x' >straddle.out && yes 'ששך בבל' | head -n 40000 >>straddle.out
check "alphabet: several, one twice, of 1 to 4 bytes, names in any case, Latin last" 0 \
    'Za ωα ΩΨΧ תשרקצפעסנמלכיטחזוהדגבא z8y7 😀€!' "" -- "printf 'Az αω ΑΒΓ אבגדהוזחטיכלמנסעפצקרשת a1b2 !€😀' |
    atbash -a hebrew -a greek --alphabet=0123456789 --alphabet HEBREW '--alphabet=!€😀' -aLatin"
check "alphabet: each FILE's image alone, as cat's, whatever the one before ends with or holds" 0 $'ששכ שךωωσ \xd7' "" -- \
    $'printf בב >A; printf "ל " >B; printf בל >C; printf αα >D; printf "η " >E; printf "\\xd7" | atbash -a hebrew -a greek A B C D E -'
check "alphabet: letters cut at every buffer's edge" 0 "<straddle.out" "" -- 'atbash -a hebrew straddle'
posix check "alphabet: letters cut at a pipe's edges" 0 "<straddle.out" "" -- 'cat straddle | atbash -a hebrew'
check "alphabet: all 256 byte values, twice" 0 "<bytes" "" -- 'a="-a hebrew -a greek -a latin"; atbash $a bytes >once && atbash $a once'
posix check "alphabet: a full disk, midway and at the end" 1 "<empty" '^atbash: write error: No space left on device$' -- \
    'atbash -a hebrew hello >/dev/full 2>/dev/null && exit 9; printf ל | atbash -a hebrew >/dev/full'
posix check "alphabet: in place, as long"         0 "ששך" "" -- 'printf בבל >place && atbash -a hebrew place 1<>place && cat place'
posix check "alphabet: in place, longer, refused" 1 "aא" '^atbash: place: input file is output file$' -- 'printf aא >place && atbash -a aא place 1<>place; status=$?; cat place; exit $status'
check "alphabet: an unknown name"    1 "<empty" "^atbash: alphabet 'hebrw': no alphabet has that name \\(latin, hebrew, greek\\)$" -- 'atbash -a hebrw hello'
posix check "alphabet: one character" 1 "<empty" "^atbash: alphabet 'é': an alphabet needs two characters at least$" -- 'LC_ALL=C.UTF-8 atbash -a é hello'
posix check "alphabet: a combining mark alone" 1 "<empty" $'^atbash: alphabet \'e\xcc\x81\': it holds a combining mark, which is no character alone$' -- $'LC_ALL=C.UTF-8 atbash -a e\xcc\x81 hello'
posix check "alphabet: a character twice" 1 "<empty" "^atbash: alphabet '0120': a character stands in it twice$" -- 'atbash -a 0120 hello'
posix check "alphabet: a character in two" 1 "<empty" "^atbash: alphabet 'אב': a character of it stands in another alphabet too$" -- 'LC_ALL=C.UTF-8 atbash -a hebrew -a אב hello'
posix check "alphabet: not UTF-8"          1 "<empty" "^atbash: alphabet ''.'.377.376': it is not UTF-8$" -- $'atbash -a \xff\xfe hello'
posix check "alphabet: none given" 1 "<empty" "^atbash: option requires an argument -- 'a'$" -- "atbash hello -a 2>err; $try_help"

finish cli
