# Sourced by the shell tests. It gives them `root`, the tree's root, and
# `work`, a folder of their own under build/, removed at the end, with a
# throwaway HOME in it; a row names them in single quotes ('"$work/file"').
#
#   check NAME STATUS STDOUT STDERR -- COMMAND...
#       runs COMMAND in bash (five minutes at most, then status 124), which
#       must end with STATUS, print STDOUT (<FILE: the bytes of FILE), and on
#       standard error nothing or one line that the extended regular expression
#       STDERR matches. With ROWS set, only rows whose NAME ROWS matches run.
#   verdict NAME PROBLEMS   a row passed where PROBLEMS is empty
#   finish TEST [WHY]       the counts; fails if any row did, else ends with 77
#                           where rows were skipped (counted in skipped) for WHY
#   listing FOLDER          each file's SHA-256, to show a folder left whole
#   stand_in FILE LINE...   a shell script of those lines, mode 755 whatever
#                           the umask (another user may run it), its folder made
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Messages as the rows spell them, whatever the user's language.
export LC_ALL=C
unset LANGUAGE
# shellcheck source=../tools/lib/supervise.sh
. "$root/tools/lib/supervise.sh"
trust_tmpdir
mkdir -p "$root/build"
work=$(mktemp -d "$root/build/test.XXXXXX")
trap 'rm -rf "$work"' EXIT
export root work HOME=$work/home
mkdir "$HOME"
passed=0 failed=0 skipped=0

check() {
    local name=$1 status=$2 stdout=$3 stderr=$4
    shift 5
    local got=0 problems=""
    [[ $name =~ ${ROWS:-} ]] || return 0
    timeout 300 bash -c "$*" >"$work/.out" 2>"$work/.err" || got=$?
    [ "$got" = "$status" ] || problems+=" status $got, not $status;"
    if [ "${stdout:0:1}" = "<" ]; then
        cmp -s "$work/.out" "${stdout:1}" || problems+=" standard output differs ($(wc -c <"$work/.out") bytes);"
    elif [ "$(cat "$work/.out")" != "$stdout" ]; then
        problems+=" standard output: $(head -c 300 "$work/.out");"
    fi
    if [ -z "$stderr" ]; then
        [ ! -s "$work/.err" ] || problems+=" standard error: $(head -c 300 "$work/.err");"
    elif [ "$(grep -c "" <"$work/.err")" -ne 1 ] || ! tr -d '\r' <"$work/.err" | grep -Eq "$stderr"; then
        problems+=" standard error: $(head -c 300 "$work/.err");"
    fi
    verdict "$name" "$problems"
}

verdict() {
    if [ -z "$2" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $1:$2"
    fi
}

finish() {
    echo "$1: $passed passed, $failed failed${2:+, $skipped skipped: $2}"
    [ "$failed" -eq 0 ] || return 1
    [ "$skipped" -eq 0 ] || exit 77
}

listing() {
    (cd "$1" && find . -type f -exec sha256sum {} + | sort)
}
export -f listing

stand_in() {
    mkdir -p "$(dirname "$1")"
    { echo '#!/bin/sh'; printf '%s\n' "${@:2}"; } >"$1"
    chmod 755 "$1"
}
