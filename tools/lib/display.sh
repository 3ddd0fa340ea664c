# Sourced by the tools. wine_session [ARGUMENT...], called from the tree's root by a tool that runs Windows
# programs in one session, installs what is missing and runs the tool again, supervised, as TOOL --inside
# ARGUMENT..., in one namespace for all of Wine where 32-bit code is emulated; there it returns, with a
# private display for the build's prefix, $prefix.
wine_session() {
    tool=tools/$(basename "$0")
    if [ "${1:-}" != --inside ]; then
        tools/setup
        . tools/lib/supervise.sh
        supervise "$tool" "$@"
        exec tools/lib/i386 run "${tool#tools/}" "$tool" --inside "$@"
    fi
    prefix=$PWD/build/windows/wineprefix
    start_private_display "$prefix"
}

# start_private_display [PREFIX]: a private Xvfb, on the number that it picks, which only a client with its
# cookie (in a folder of the caller's alone) reaches; DISPLAY names it, and an EXIT trap stops it with
# PREFIX's Wine server. One that does not start within 10 seconds ends the caller, saying why.
start_private_display() {
    command -v Xvfb >/dev/null || { echo "$(basename "$0"): Xvfb is not installed (run tools/setup)" >&2; exit 127; }
    display_prefix=${1:-}
    trap stop_private_display EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    display_dir=$(mktemp -d)
    # Xvfb takes the cookie whatever display the entry names. xauth reads it
    # on its standard input: every user may read a command line.
    cookie=$(mcookie)
    : >"$display_dir/auth"
    printf 'add :0 . %s\n' "$cookie" | xauth -q -f "$display_dir/auth" source -
    mkfifo "$display_dir/number"
    Xvfb -displayfd 3 -auth "$display_dir/auth" -screen 0 1024x768x24 -nolisten tcp \
        3>"$display_dir/number" 2>"$display_dir/log" &
    display_pid=$!
    display_number=$(timeout 10 head -n 1 "$display_dir/number" || true)
    if [ -z "$display_number" ]; then
        # The X server names the fault on the line after "Fatal server error".
        why=$(sed -n '/Fatal server error/{n;s/^(EE) *//;p;q;}' "$display_dir/log")
        [ -n "$why" ] || why=$(grep -v '^[[:space:]]*$' "$display_dir/log" | tail -n 1)
        kill -0 "$display_pid" 2>/dev/null && why="it gave no display number within 10 seconds"
        echo "$(basename "$0"): Xvfb did not start: ${why:-it ended without a word}" >&2
        exit 1
    fi
    printf 'add :%s . %s\n' "$display_number" "$cookie" | xauth -q -f "$display_dir/auth" source -
    export DISPLAY=":$display_number" XAUTHORITY="$display_dir/auth"
    # No window manager runs there: tools/lib/wine-run tells Wine so.
    export QUINDARELVOXEN_DISPLAY=private
}

# The prefix's Wine server first, found as wine-run finds it, without TMPDIR.
stop_private_display() {
    [ -z "${display_prefix:-}" ] || WINEPREFIX=$display_prefix env -u TMPDIR wineserver -k 2>/dev/null || true
    if [ -n "${display_pid:-}" ]; then
        kill "$display_pid" 2>/dev/null || true
        wait "$display_pid" 2>/dev/null || true
    fi
    [ -z "${display_dir:-}" ] || rm -rf "$display_dir"
}
