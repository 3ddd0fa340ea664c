# Sourced by the tools: starts a private Xvfb and points DISPLAY at it.
# The caller stops it with stop_private_display.
start_private_display() {
    command -v Xvfb >/dev/null || { echo "$0: Xvfb is not installed (run tools/setup)" >&2; exit 127; }
    display_fifo=$(mktemp -u)
    mkfifo "$display_fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_fifo" 2>/dev/null &
    display_pid=$!
    read -r display_number <"$display_fifo"
    rm -f "$display_fifo"
    export DISPLAY=":$display_number"
    # No window manager runs there: tools/wine-run tells Wine so.
    export QUINDARELVOXEN_DISPLAY=private
}

# Ends the prefix's Wine server first: one left running would outlive the display.
stop_private_display() {
    wineserver -k 2>/dev/null || true
    kill "$display_pid" 2>/dev/null || true
    wait "$display_pid" 2>/dev/null || true
}
