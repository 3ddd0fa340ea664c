#!/bin/bash
# cli_test.sh [RUNNER...] ATBASH
#
# The atbash command as a user meets it, one row per case. `tr` is the oracle
# for the cipher: LC_ALL=C tr A-Za-z ZYX...zyx... maps the same bytes.
# With a RUNNER (the Windows build under Wine), the rows about POSIX pipes,
# devices and directories are left out; the binary-mode rows are what counts
# there.
set -u
# The rows run in a folder of their own: name the programs absolutely.
arguments=()
for argument in "$@"; do
    [ -e "$argument" ] && argument=$(realpath "$argument")
    arguments+=("$argument")
done
set -- "${arguments[@]}"
export ATBASH_COMMAND
ATBASH_COMMAND=$(printf '%s\n' "$@")
atbash() {
    local command
    mapfile -t command <<<"$ATBASH_COMMAND"
    "${command[@]}" "$@"
}
export -f atbash
emulated=$(($# > 1))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

mirror() { LC_ALL=C tr 'A-Za-z' 'ZYXWVUTSRQPONMLKJIHGFEDCBAzyxwvutsrqponmlkjihgfedcba'; }

printf 'Hello, World!\n' >hello
printf 'Zebra 42\r\n' >zebra
printf 'A\r\nB\x1a C\r\n\x1a\x1a' >binary
printf 'abc' >-h
mkdir folder
for ((b = 0; b < 256; b++)); do printf "\\$(printf %03o "$b")"; done >bytes
: >empty
yes 'Closed pipes' | head -c 50000000 >big

passed=0
failed=0
# check [posix] NAME STATUS EXPECTED_STDOUT EXPECTED_STDERR -- COMMAND...
# Runs COMMAND in bash with $atbash set; compares status, standard output
# byte for byte with the file EXPECTED_STDOUT, and standard error with the
# extended regular expression EXPECTED_STDERR (empty: nothing at all).
check() {
    if [ "$1" = posix ]; then
        shift
        [ "$emulated" = 0 ] || return 0
    fi
    local name=$1 status=$2 stdout=$3 stderr=$4
    shift 5
    local got=0
    bash -c "$*" >out 2>err || got=$?
    local problems=""
    [ "$got" = "$status" ] || problems+=" status $got, not $status;"
    cmp -s out "$stdout" || problems+=" standard output differs ($(wc -c <out) bytes);"
    if [ -z "$stderr" ]; then
        [ ! -s err ] || problems+=" standard error: $(head -c 200 err);"
    else
        tr -d "\r" <err | grep -Eq "$stderr" || problems+=" standard error: $(head -c 200 err);"
    fi
    if [ -z "$problems" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $name:$problems"
    fi
}

mirror <hello >hello.out
mirror <zebra >zebra.out
mirror <bytes >bytes.out
mirror <binary >binary.out
cat hello.out zebra.out >two.out
cat hello.out hello.out zebra.out >three.out
printf 'zyx' >h.out
head -c 10 bytes.out >ten.out
printf 'b\nb\nb\nb\nb\nb\nb\nb\nb\nb\n' >endless.out
printf 'atbash %s\n' "${VERSION:-}" >version.out

check "standard input"            0 hello.out  "" -- 'atbash <hello'
check "- is standard input"       0 hello.out  "" -- 'atbash - <hello'
check "several files"             0 two.out    "" -- 'atbash hello zebra'
check "- among files"             0 three.out  "" -- 'atbash hello - zebra <hello'
check "empty input"               0 empty      "" -- 'atbash <empty'
check "all 256 byte values"       0 bytes.out  "" -- 'atbash bytes'
check "binary file: CR LF and 0x1A pass" 0 binary.out "" -- 'atbash binary'
check "binary standard input"     0 binary.out "" -- 'atbash <binary'
check "twice gives the input"     0 bytes      "" -- 'atbash bytes >once && atbash once'
check "missing file among good"   1 two.out    '^atbash: missing: No such file or directory$' -- 'atbash hello missing zebra'
check posix "unreadable file"           1 two.out    '^atbash: folder: Is a directory$' -- 'atbash hello folder zebra'
check posix "full disk"                 1 empty      '^atbash: write error: No space left on device$' -- 'atbash hello >/dev/full'
check posix "closed pipe"               0 ten.out    "" -- 'atbash bytes big | head -c 10; exit ${PIPESTATUS[0]/141/0}'
check posix "endless pipe"              0 endless.out "" -- 'yes | atbash | head -c 20; exit ${PIPESTATUS[1]/141/0}'
check posix "closed pipe, SIGPIPE ignored" 1 ten.out "" -- 'trap "" PIPE; atbash bytes big | head -c 10; exit ${PIPESTATUS[0]}'
check "-- ends the options"       0 h.out      "" -- 'atbash -- -h'
check "help"                      0 empty       "" -- 'atbash --help | grep -q "^Usage: atbash" && atbash -h | grep -q "^Usage: atbash"'
check "version"                   0 version.out "" -- 'atbash --version'
check "unknown option"            2 empty      "^atbash: unknown option '-x'$" -- 'atbash -x hello'
check posix "help into a full disk"     1 empty      '^atbash: write error' -- 'atbash --help >/dev/full'
check posix "100 MB stream"             0 empty      "" -- 'a=$(yes "The quick brown fox jumps over the lazy dog 0123456789!" | head -c 100000000 | atbash | cksum)
    b=$(yes "The quick brown fox jumps over the lazy dog 0123456789!" | head -c 100000000 | LC_ALL=C tr A-Za-z ZYXWVUTSRQPONMLKJIHGFEDCBAzyxwvutsrqponmlkjihgfedcba | cksum)
    [ "$a" = "$b" ]'

echo "cli: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
