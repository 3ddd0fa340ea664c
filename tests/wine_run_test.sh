#!/bin/bash
# What tools/lib/wine-run does with Wine prefixes, the display and HOME, one
# row per case (docs/testing.md), on private displays of its own.
set -u
unset DISPLAY XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME
# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"
export wine_run=$root/tools/lib/wine-run theirs
# A prefix of the user's, outside build/, with a file of its own.
theirs=$(mktemp -d)
printf 'WINE REGISTRY Version 2\n#arch=win32\n' >"$theirs/system.reg"
# The prefix that the rows make goes with its server's folder in /tmp.
trap '"$wine_run" --remove "$work/ours"; rm -rf "$work" "$theirs"' EXIT
listing "$theirs" >"$work/theirs.before"
# A folder of the user's named as wine-run once named the prefix it makes.
mkdir "$work/ours.new"
echo "a file of the user's" >"$work/ours.new/savegame.txt"
listing "$work/ours.new" >"$work/ours.new.before"

# An X server that cannot start, as Xvfb says it, and one that hangs.
stand_in "$work/broken-x/Xvfb" 'printf "(EE) \nFatal server error:\n(EE) Cannot establish any listening sockets\n(EE) \n" >&2' 'exit 1'
stand_in "$work/hung-x/Xvfb" 'exec sleep 600'
# An xauth that notes its arguments.
stand_in "$work/noting/xauth" "echo \"\$*\" >>$(printf %q "$work/xauth-arguments")" 'exec /usr/bin/xauth "$@"'

check "a prefix outside build/ is refused and left whole" 1 "" \
    "^wine-run: $theirs is no prefix of the build's; name one under $root/build\$" -- \
    '"$wine_run" "$theirs" cmd /c exit 0; status=$?; listing "$theirs" | cmp -s - "$work/theirs.before" && exit $status'
# A folder of another user's, named as a prefix names its server's folder in /tmp: as root only, who can make one.
[ "$(id -u)" != 0 ] || check "removing a prefix leaves another user's folder in /tmp whole" 0 "" "" -- \
    'mkdir "$work/gone" && others=$(mktemp -d /tmp/wine-XXXXXX) && chown 65534 "$others" &&
     printf %s "${others#/tmp/}" >"$work/gone/wineserver" && chmod 400 "$work/gone/wineserver" &&
     "$wine_run" --remove "$work/gone" && [ -d "$others" ] && [ ! -e "$work/gone" ]; status=$?; rm -rf "$others"; exit $status'
check "its own is a 64-bit prefix, with Marlett, made beside a folder that it leaves whole" 0 "#arch=win64
Marlett" "" -- \
    '"$wine_run" "$work/ours" cmd /c exit 0 2>/dev/null && grep -x "#arch=win.*" "$work/ours/system.reg" &&
     [ -f "$work/ours/drive_c/windows/Fonts/marlett.ttf" ] && echo Marlett &&
     listing "$work/ours.new" | cmp -s - "$work/ours.new.before"'
# TMPDIR set, which Debian 13's Wine cannot bear.
check "a program's exit status comes back" 7 "" "" -- \
    'mkdir -p "$work/tmp" && TMPDIR=$work/tmp "$wine_run" "$work/ours" cmd /c exit 7'
check "a private display has no window manager, and Wine is told so" 0 '"Managed"="N"' "" -- \
    '"$wine_run" "$work/ours" cmd /c exit 0 && WINEPREFIX=$work/ours env -u TMPDIR wineserver -w && grep -x "\"Managed\"=.*" "$work/ours/user.reg"'
# A program left open from a desktop, another from a private display, both on the row's own display.
check "a program left open holds up no other" 0 "" "" -- \
    '. "$root/tools/lib/display.sh" && start_private_display && export QUINDARELVOXEN_DISPLAY=
     "$wine_run" "$work/ours" cmd /c "ping -n 120 127.0.0.1 >nul" & open=$! && sleep 5
     QUINDARELVOXEN_DISPLAY=private timeout 60 "$wine_run" "$work/ours" cmd /c exit 0; status=$?
     WINEPREFIX=$work/ours env -u TMPDIR wineserver -k; wait $open; exit $status'
# As root, the other user is nobody. The cookie must be on no command line, which every user may read.
check "a private display refuses a client without its cookie, and another user, and its cookie is on no command line" 0 "own client" "" -- \
    '. "$root/tools/lib/display.sh" && PATH=$work/noting:$PATH start_private_display && xdpyinfo >/dev/null && echo "own client" &&
     [ -s "$work/xauth-arguments" ] && ! grep -q -F "$(xauth list | awk "{print \$3}")" "$work/xauth-arguments" &&
     ! XAUTHORITY=/dev/null xdpyinfo >/dev/null 2>&1 &&
     { [ "$(id -u)" != 0 ] || ! setpriv --reuid=65534 --regid=65534 --clear-groups xdpyinfo >/dev/null 2>&1; }'
check "nothing is written into HOME" 0 "" "" -- 'find "$HOME" -mindepth 1'
check "an Xvfb that does not start is named" 1 "" "^wine-run: Xvfb did not start: Cannot establish any listening sockets\$" -- \
    'PATH=$work/broken-x:$PATH "$wine_run" "$work/ours" cmd /c exit 0'
check "an Xvfb that hangs is named" 1 "" "^wine-run: Xvfb did not start: it gave no display number within 10 seconds\$" -- \
    'PATH=$work/hung-x:$PATH "$wine_run" "$work/ours" cmd /c exit 0'

finish wine_run
