#!/bin/bash
# interrupt_test.sh [fresh-machine]: Ctrl-C (to its process group) and SIGTERM to the tools that start
# long-running work once a process of the name given runs, one row per case (docs/testing.md). Each must end
# within 60 s with 130 or 143, leaving no process, mount or temporary file. With `fresh-machine` (root,
# network, minutes), fresh-machine's and .ci/run's.
set -u
unset DISPLAY
# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"
# Run within a row of its own (.ci/run's), it plays no such row again.
nested=${QUINDARELVOXEN_INTERRUPT_TEST:-}
mark=$(basename "$work")
tool= users_server=
# Interrupted itself, it ends the tool that it tries and its own Wine server first.
trap '[ -z "$tool" ] || { kill -TERM "$tool"; wait "$tool"; }
[ -z "$users_server" ] || { "$root/tools/lib/wine-run" --remove "$HOME/.wine"; wait "$users_server"; }
rm -rf "$work"' EXIT
# Each tool in a process group of its own, with SIGINT not ignored.
set -m

# Tools that run their work as the tools do: this start, then the work.
start=('set -eu' "cd $(printf %q "$root")" '. tools/lib/supervise.sh' 'supervise "$0"')
stand_in "$work/own-group" "${start[@]}" 'timeout 300 sleep 301 & wait'
stand_in "$work/own-session" "${start[@]}" 'setsid sleep 302 & wait'
stand_in "$work/wine" "${start[@]}" '. tools/lib/display.sh' 'start_private_display "$TMPDIR/prefix"' \
    'tools/lib/wine-run "$TMPDIR/prefix" cmd /c exit 0'

# "PID START" of each running process of this user's that carries the mark, or descends from one that does.
started() {
    local marked
    marked=$(carrying "QUINDARELVOXEN_INTERRUPT_TEST=$mark")
    # "PID STATE PARENT ... START" of each process, for awk to follow.
    sed 's/^\([0-9]*\) .*) /\1 /' /proc/[0-9]*/stat 2>/dev/null | awk -v marked="$marked" '
        BEGIN { n = split(marked, list, "\n"); for (i = 1; i <= n; i++) ours[list[i]] = 1 }
        { parent[$1] = $3; if ($2 != "Z") start[$1] = $21 }
        END {
            do { grown = 0; for (p in parent) if (!(p in ours) && (parent[p] in ours)) grown = ours[p] = 1 } while (grown)
            for (p in ours) if (p in start) print p, start[p]
        }'
}

# Whether a process named as the regular expression $1 says is among them.
running() {
    started | while read -r pid _; do cat "/proc/$pid/comm" 2>/dev/null; done | grep -qxE "$1"
}

# What the tool left: its processes (a namespace ends with its first, which
# is one of them), mounts in its folders, its temporary files and fresh roots.
left_behind() {
    local seen=$1 tmp=$2
    {
        started
        # And those seen before that live yet: a PID that started when it did.
        sed 's/^\([0-9]*\) .*) /\1 /' /proc/[0-9]*/stat 2>/dev/null | awk '$2 != "Z" {print $1, $21}' | grep -x -F -f "$seen"
    } | cut -d ' ' -f 1 | sort -u | while read -r pid; do echo "process $pid ($(cat "/proc/$pid/comm" 2>/dev/null))"; done
    # A mount point's spaces are written as \040.
    awk '{ gsub(/\\040/, " ", $2); print "mount " $2 }' /proc/self/mounts | grep -F -e "$work" -e /var/tmp/quindarelvoxen-
    find "$tmp" -mindepth 1 -maxdepth 1 | sed 's/^/file /'
    find /var/tmp -maxdepth 1 -name 'quindarelvoxen-*' -newer "$work" -uid "$(id -u)" | sed 's/^/file /'
    # The folders of tests that a tool ran (.ci/run's); only then does no other test run beside.
    [ -z "$fresh" ] || find "$root/build" -maxdepth 1 -name 'test.*' -newer "$work" | sed 's/^/file /'
}

# interrupt NAME SIGNAL PROCESS MINUTES -- TOOL [ARGUMENT...]: TOOL gets
# SIGNAL once PROCESS runs (within MINUTES), as the header says.
interrupt() {
    local name=$1 signal=$2 process=$3 minutes=$4
    shift 5
    local tmp=$work/tmp.$((passed + failed)) problems="" deadline=$((SECONDS + minutes * 60))
    mkdir "$tmp"
    TMPDIR=$tmp QUINDARELVOXEN_INTERRUPT_TEST=$mark env --default-signal=INT "$@" >"$work/out" 2>&1 </dev/null &
    tool=$!
    until running "$process"; do
        if [ "$SECONDS" -ge "$deadline" ] || ! kill -0 "$tool" 2>/dev/null; then
            problems+=" no $process ran within $minutes minutes;"
            break
        fi
        sleep 0.1
    done
    started >"$work/seen"
    if [ "$signal" = INT ]; then kill -INT -- "-$tool"; else kill -TERM "$tool"; fi
    if ! timeout 60 tail --pid="$tool" -s 0.1 -f /dev/null; then
        problems+=" still running after 60 seconds;"
        kill -KILL -- "-$tool" 2>/dev/null
    fi
    local status=0 expected=$((128 + $(kill -l "$signal"))) left
    wait "$tool" || status=$?
    tool=
    [ "$status" = "$expected" ] || problems+=" status $status, not $expected;"
    # What ends a moment after the tool may still be going.
    deadline=$((SECONDS + 10))
    while [ -n "$(left_behind "$work/seen" "$tmp")" ] && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.2; done
    left=$(left_behind "$work/seen" "$tmp" | paste -s -d ';' | sed 's/;/; /g')
    [ -z "$left" ] || problems+=" left behind: $left;"
    verdict "$name" "$problems"
    if [ -n "$problems" ]; then
        grep -E 'FAILED|rror' "$work/out" | tail -n 20 | sed 's/^/    /'
        # Nothing of this row may spoil the next.
        started | while read -r pid _; do kill -KILL "$pid" 2>/dev/null; done
    fi
}

fresh=
if [ "${1:-}" = fresh-machine ]; then
    fresh=yes
    interrupt "fresh-machine, Ctrl-C while mmdebstrap installs packages" INT mmdebstrap 10 -- "$root/tools/fresh-machine"
    interrupt "fresh-machine, SIGTERM while the tests run in the root" TERM test 10 -- "$root/tools/fresh-machine"
    # The stage runs this test again, whose first row starts mmdebstrap.
    [ -n "$nested" ] || interrupt ".ci/run, SIGTERM in its interrupt stage" TERM mmdebstrap 10 -- "$root/.ci/run" interrupt
else
    # A Wine server of the user's own, which the tools must leave running.
    mkdir "$HOME/.wine"
    env -u WINEPREFIX -u TMPDIR wineserver -f -p &
    users_server=$!
    interrupt "Ctrl-C, a child in a process group of its own (timeout)" INT sleep 1 -- "$work/own-group"
    interrupt "SIGTERM, a child in a session of its own (as CTest starts a test)" TERM sleep 1 -- "$work/own-session"
    interrupt "reproducible, SIGTERM while it builds" TERM cc1plus 2 -- "$root/tools/reproducible"
    interrupt "a tool on a private display, Ctrl-C once Wine runs" INT "wineserver(64)?" 2 -- "$work/wine"
    check "the user's own Wine server is left running" 0 "" "" -- "kill -0 $users_server"
fi

finish interrupt
