# Sourced by the tools that start long-running work.
#
# supervise TOOL [ARGUMENT...], called from the repository's root once nothing
# more can ask for a password, runs TOOL again from its start as a session of
# its own, waits for it and exits with its status; inside that session it
# returns at once. Ctrl-C or SIGTERM to the tool then reaches the whole
# session, whatever it started, namespaces included, and the tool ends once
# the session's own EXIT traps have removed what they made. A shell waiting
# for a command in the foreground would run its traps only after that
# command: the waiting here is done with `wait`, which a signal interrupts.
supervise() {
    [ "${QUINDARELVOXEN_SUPERVISOR:-}" != "$PPID" ] || return 0
    QUINDARELVOXEN_SUPERVISOR=$$ setsid "$@" &
    session=$!
    trap 'end_session 130' INT
    trap 'end_session 143' TERM
    status=0
    wait "$session" || status=$?
    exit "$status"
}

# Ends the session: SIGTERM to all of it; then, within 30 seconds, the tool
# ends and the rest of the session follows it; SIGKILL to what is left.
end_session() {
    trap '' INT TERM
    kill -TERM "-$session" 2>/dev/null || true
    tries=0
    while alive "$session" && pause; do :; done
    alive "$session" || wait "$session" 2>/dev/null || true
    while kill -0 "-$session" 2>/dev/null && pause; do :; done
    kill -KILL "-$session" 2>/dev/null || true
    wait "$session" 2>/dev/null || true
    exit "$1"
}

# Whether process $1 runs: it is there and has not ended as a zombie.
alive() {
    state=$(sed -n 's/.*) \(.\).*/\1/p' "/proc/$1/stat" 2>/dev/null) && [ -n "$state" ] && [ "$state" != Z ]
}

# Sleeps a tenth of a second; false once 30 seconds have gone so.
pause() {
    [ "$tries" -lt 300 ] && tries=$((tries + 1)) && sleep 0.1
}

# Makes INT and TERM end the calling shell through its EXIT trap, which dash
# would otherwise skip.
exit_on_signals() {
    trap 'exit 130' INT
    trap 'exit 143' TERM
}
