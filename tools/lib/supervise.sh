# Sourced by the tools that start long-running work.
#
# supervise TOOL [ARGUMENT...], called from the repository's root once nothing
# more can ask for a password, runs TOOL again as a session of its own and
# exits with its status; inside that session it returns at once. All that the
# tool starts inherits a mark in its environment, whatever group or session
# it makes, and Ctrl-C or SIGTERM reaches all of the user's processes that
# carry it, namespaces included; the tool ends once its
# EXIT traps have run. The waiting is done with `wait`, which a signal
# interrupts, as it would not interrupt a command in the foreground.
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

# SIGTERM to all that carries the mark; SIGKILL to what is left after 30 s.
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

# The processes of this user's that carry this supervisor's mark (a zombie
# shows none): no other user's, whatever their environment says.
marked() {
    find /proc -mindepth 1 -maxdepth 1 -name '[0-9]*' -uid "$(id -u)" -printf '%p/environ\0' |
        xargs -0 -r grep -l -s -z -x "QUINDARELVOXEN_SUPERVISED_BY_$$=1" | cut -d / -f 3
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
