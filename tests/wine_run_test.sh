#!/bin/bash
# wine_run_test.sh
#
# What tools/wine-run does with Wine prefixes and the user's home, one row
# per case: it remakes only a 32-bit prefix that it made itself, leaves
# anyone else's whole, writes nothing into HOME (Wine's menu builder is off)
# and names an Xvfb that does not start or hangs; and that a session's stop
# signals only the session's own keeper. The rows run on a private display
# of wine-run's own, with a throwaway HOME.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
unset DISPLAY XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME
export HOME=$work/home
mkdir "$HOME"
wine_run=$root/tools/wine-run
# The prefix that the rows make goes with its server's folder in /tmp.
trap '"$wine_run" --remove "$work/ours"; rm -rf "$work"' EXIT

# Two old 32-bit prefixes: one that wine-run marked as made by it, and one
# that is someone else's, each with a file of its user's own.
for prefix in ours theirs; do
    mkdir "$work/$prefix"
    printf 'WINE REGISTRY Version 2\n#arch=win32\n' >"$work/$prefix/system.reg"
    echo "$prefix" >"$work/$prefix/a-file-of-theirs"
done
touch "$work/ours/made-by-quindarelvoxen"
# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"
listing "$work/theirs" >"$work/theirs.before"

# An X server that cannot start, as Xvfb says it, and one that hangs.
mkdir "$work/broken-x" "$work/hung-x"
printf '#!/bin/sh\nprintf "(EE) \\nFatal server error:\\n(EE) Cannot establish any listening sockets\\n(EE) \\n" >&2\nexit 1\n' \
    >"$work/broken-x/Xvfb"
printf '#!/bin/sh\nexec sleep 600\n' >"$work/hung-x/Xvfb"
chmod +x "$work/broken-x/Xvfb" "$work/hung-x/Xvfb"
# A process that is not the session's, named in a session file left behind.
sleep 600 &
stranger=$!
echo ":99 $stranger $stranger" >"$work/left.session"

check "someone else's 32-bit prefix is refused and left whole" 1 "" \
    "^wine-run: $work/theirs is a 32-bit Wine prefix that these tools did not make; name another PREFIX\$" -- \
    "$wine_run $work/theirs cmd /c exit 0; status=\$?; listing $work/theirs | cmp -s - $work/theirs.before && exit \$status"
check "its own 32-bit prefix is made again as a 64-bit one, with Marlett" 0 "#arch=win64
marked
Marlett" "" -- \
    "$wine_run $work/ours cmd /c exit 0 2>/dev/null &&
     grep -x '#arch=win.*' $work/ours/system.reg && [ -f $work/ours/made-by-quindarelvoxen ] && echo marked &&
     [ -f $work/ours/drive_c/windows/Fonts/marlett.ttf ] && echo Marlett"
# TMPDIR set, which Debian 13's Wine cannot bear.
check "a program's exit status comes back" 7 "" "" -- "mkdir -p $work/tmp && TMPDIR=$work/tmp $wine_run $work/ours cmd /c exit 7"
check "nothing is written into HOME" 0 "" "" -- "find $HOME -mindepth 1"
check "an Xvfb that does not start is named" 1 "" "^wine-run: Xvfb did not start: Cannot establish any listening sockets\$" -- \
    "PATH=$work/broken-x:\$PATH $wine_run $work/ours cmd /c exit 0"
check "an Xvfb that hangs is named" 1 "" "^wine-run: Xvfb did not start: it gave no display number within 10 seconds\$" -- \
    "PATH=$work/hung-x:\$PATH $wine_run $work/ours cmd /c exit 0"
check "a session's stop leaves alone a process that is no longer the session's" 0 "" "" -- \
    "$root/tools/wine-session stop $work/left && kill -0 $stranger && [ ! -e $work/left.session ]"
kill "$stranger"

finish wine_run
