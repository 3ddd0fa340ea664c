# Sourced by the shell tests whose rows compare what a command prints:
#
#   check NAME EXPECTED -- COMMAND   runs the shell COMMAND with bash; its
#                                    standard output and error together must
#                                    be EXPECTED, and its status 0
#   finish TEST                      says how many rows passed and failed,
#                                    and fails if any did
passed=0
failed=0

check() {
    local name=$1 expected=$2
    shift 3
    local got status=0
    got=$(bash -c "$*" 2>&1) || status=$?
    if [ "$status" -eq 0 ] && [ "$got" = "$expected" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $name: status $status, output: $got"
    fi
}

finish() {
    echo "$1: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
