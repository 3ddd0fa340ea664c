# Sourced by the shell tests whose rows compare what a command prints:
#
#   check NAME EXPECTED -- COMMAND   runs the shell COMMAND with bash; its
#                                    standard output and error together must
#                                    be EXPECTED, and its status 0
#   verdict NAME PROBLEMS            counts a row as passed where PROBLEMS
#                                    is empty, else as failed, and says why
#   finish TEST                      says how many rows passed and failed,
#                                    and fails if any did
passed=0
failed=0

check() {
    local name=$1 expected=$2
    shift 3
    local got status=0
    got=$(bash -c "$*" 2>&1) || status=$?
    local problems=""
    [ "$status" -eq 0 ] && [ "$got" = "$expected" ] || problems=" status $status, output: $got"
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
    echo "$1: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
