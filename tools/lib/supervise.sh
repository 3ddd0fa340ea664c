# Sourced by the tools that start long-running work. supervise TOOL [ARGUMENT...], called from the tree's root
# once nothing more can ask for a password, runs TOOL again as a session of its own, whose status it exits
# with; inside that session it returns at once. All that the tool starts, whatever group or session it makes,
# inherits a mark in its environment, and Ctrl-C or SIGTERM reaches the user's processes that carry it,
# namespaces included. It waits with `wait`, which a signal interrupts.
supervise() {
    ! supervised || return 0
    trust_tmpdir
    # Unique also beside runs in other PID namespaces, whose PIDs may equal this one's.
    session_mark=QUINDARELVOXEN_SUPERVISED_BY_$$=$(cat /proc/sys/kernel/random/uuid)
    env "$session_mark" setsid "$@" &
    session=$!
    trap 'end_session 130' INT
    trap 'end_session 143' TERM
    wait "$session"
    exit
}

# Whether this shell is the session that its parent supervises.
supervised() {
    [ -n "$(eval echo "\${QUINDARELVOXEN_SUPERVISED_BY_$PPID:-}")" ]
}

# SIGTERM to all that carries the mark; SIGKILL to what is left after 30 s.
end_session() {
    trap '' INT TERM
    # shellcheck disable=SC2046
    kill -TERM $(carrying "$session_mark") 2>/dev/null || true
    for _ in $(seq 300); do
        [ -n "$(carrying "$session_mark")" ] || break
        sleep 0.1
    done
    # shellcheck disable=SC2046
    kill -KILL $(carrying "$session_mark") 2>/dev/null || true
    wait "$session" 2>/dev/null || true
    exit "$1"
}

# The processes that this user runs (a setuid program that another starts runs for that other) whose
# environment holds the line $1 (a zombie's holds none): no other user's, whatever their environment says.
carrying() {
    grep -l -s -E "^Uid:[[:space:]]+$(id -u)[[:space:]]" /proc/[0-9]*/status | sed 's|status$|environ|' |
        xargs -r grep -l -s -z -x "$1" | cut -d / -f 3
}

# Takes TMPDIR, its links resolved, only where no other user may move what is made in it:
# it and each folder above it this user's or root's, writable by others only if sticky; else /tmp.
trust_tmpdir() {
    [ -n "${TMPDIR:-}" ] || return 0
    folder=$(realpath -e "$TMPDIR" 2>/dev/null) || folder=
    trusted=$folder
    while [ -n "$folder" ]; do
        owner=$(stat -c %u "$folder") mode=0$(stat -c %a "$folder")
        { [ "$owner" -eq 0 ] || [ "$owner" -eq "$(id -u)" ]; } &&
            { [ $((mode & 022)) -eq 0 ] || [ $((mode & 01000)) -ne 0 ]; } || trusted=
        [ "$folder" != / ] || break
        folder=$(dirname "$folder")
    done
    [ -n "$trusted" ] || echo "$(basename "$0"): TMPDIR $TMPDIR is a folder that another user may change; /tmp instead" >&2
    export TMPDIR="${trusted:-/tmp}"
}

# Makes INT and TERM end the calling shell through its EXIT trap, which dash would otherwise skip.
exit_on_signals() {
    trap 'exit 130' INT
    trap 'exit 143' TERM
}
