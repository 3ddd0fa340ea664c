# Sourced by the tools that start long-running work.
#
# supervise TOOL [ARGUMENT...], called from the repository's root once nothing
# more can ask for a password, runs TOOL again from its start as a session of
# its own, waits for it and exits with its status; inside that session it
# returns at once. Everything that the tool starts inherits a mark in its
# environment, QUINDARELVOXEN_SUPERVISED_BY_<supervisor's PID>, whatever group
# or session it then makes for itself (`timeout` makes a group, a nested tool
# a session). Ctrl-C or SIGTERM to the tool reaches all that carries the mark,
# namespaces included, and the tool ends once the session's own EXIT traps
# have removed what they made. A shell waiting for a command in the
# foreground would run its traps only after that command: the waiting here is
# done with `wait`, which a signal interrupts.
supervise() {
    [ -z "$(eval echo "\${QUINDARELVOXEN_SUPERVISED_BY_$PPID:-}")" ] || return 0
    env "QUINDARELVOXEN_SUPERVISED_BY_$$=1" setsid "$@" &
    session=$!
    trap 'end_session 130' INT
    trap 'end_session 143' TERM
    status=0
    wait "$session" || status=$?
    exit "$status"
}

# Ends the session: SIGTERM to all that carries the mark; then, within 30
# seconds, the tool's traps have run and all has ended; SIGKILL to what has
# not.
end_session() {
    trap '' INT TERM
    signal_marked TERM
    tries=0
    while [ -n "$(marked)" ] && [ "$tries" -lt 300 ]; do
        tries=$((tries + 1))
        sleep 0.1
    done
    signal_marked KILL
    wait "$session" 2>/dev/null || true
    exit "$1"
}

# The processes that carry this supervisor's mark (a zombie shows none).
marked() {
    grep -l -s -z -x "QUINDARELVOXEN_SUPERVISED_BY_$$=1" /proc/[0-9]*/environ | cut -d / -f 3
}

signal_marked() {
    # shellcheck disable=SC2046
    kill "-$1" $(marked) 2>/dev/null || true
}

# Makes INT and TERM end the calling shell through its EXIT trap, which dash
# would otherwise skip.
exit_on_signals() {
    trap 'exit 130' INT
    trap 'exit 143' TERM
}
