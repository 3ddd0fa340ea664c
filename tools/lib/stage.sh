# Sourced from the tree's root by tools/test, tools/run and .ci/run; brings supervise.sh.
#   begin TOOL LOG [ARGUMENT...]   what is missing installed (apt's words into LOG), tools/TOOL
#       run again, supervised, how 32-bit code runs said; then stages TOOL LOG
#   stages TOOL LOG   begins; LOG is to hold all that the stages print
#   stage NAME COMMAND...   COMMAND's output into LOG, then a line of its verdict, time and counts
#       (meanwhile, on a terminal, a progress line); a failure shows what failed and ends the tool
#   stages_passed   the closing line
. tools/lib/supervise.sh

begin() {
    tool=$1 log=$2
    shift 2
    # Before the session, where sudo may still ask for a password.
    if ! supervised; then
        mkdir -p build
        tools/setup >"$log" 2>&1 || { tail -n 20 "$log"; echo "$tool: installing what is missing failed; the whole log is $log"; exit 1; }
        sed -n "s/^setup: /$tool: /p" "$log"
    fi
    supervise "tools/$tool" "$@"
    mode=$(tools/lib/i386 describe "$tool") || exit 1
    echo "$tool: $mode"
    stages "$tool" "$log"
}

stages() {
    stage_tool=$1 stage_log=$2 stage_count=0 stages_began=$(date +%s)
    printf '\n== %s, %s\n' "$stage_tool" "$(date)" >>"$stage_log"
    part=$(mktemp)
    trap 'rm -f "$part"' EXIT
    exit_on_signals
}

stage() {
    stage_name=$1
    shift
    began=$(date +%s)
    printf '\n== %s: %s\n' "$stage_tool" "$stage_name" >>"$stage_log"
    "$@" >"$part" 2>&1 </dev/null &
    job=$!
    while [ -t 1 ] && kill -0 "$job" 2>/dev/null; do
        printf '\r%s: %s: %s s %s\033[K' "$stage_tool" "$stage_name" "$(($(date +%s) - began))" "$(progress <"$part")"
        sleep 0.5
    done
    [ ! -t 1 ] || printf '\r\033[K'
    status=0
    wait "$job" || status=$?
    cat "$part" >>"$stage_log"
    if [ "$status" -ne 0 ]; then
        echo "$stage_tool: $stage_name: FAILED after $(($(date +%s) - began)) s, status $status:"
        what_failed <"$part"
        echo "$stage_tool: the whole log is $stage_log"
        exit "$status"
    fi
    stage_count=$((stage_count + 1))
    echo "$stage_tool: $stage_name: passed in $(($(date +%s) - began)) s$(counts <"$part")"
}

stages_passed() {
    echo "$stage_tool: all $stage_count stages passed in $(($(date +%s) - stages_began)) s; the whole log is $stage_log"
}

# Where a stage stands: CTest's last test begun, or the fuzzer's runs.
progress() {
    sed -n -E 's/^ *([0-9]+\/[0-9]+) Test +#[0-9]+: ([^ ]+).*/(\1 \2)/p; s/^#([0-9]+).*/(\1 runs)/p' | tail -n 1
}

# A stage's counts: CTest's tests (each by its last run) and why rows were
# skipped, the fuzzer's runs, a shell test's rows, or a tool's own summary.
counts() {
    awk '
        / Test +#[0-9]+: / { split($0, words, "#"); id = words[2] + 0; state[id] = / Passed / ? "p" : /Skipped/ ? "s" : "f" }
        /^skipped: / { sub(/^skipped:/, ";"); why = why $0 }
        /^stat::number_of_executed_units:/ { runs = $2 }
        /^[a-z]+: all [0-9]+ stages passed in / { sub(/; the whole log is .*/, ""); said = said "; " $0 }
        /^[a-z0-9_]+: [0-9]+ passed, [0-9]+ failed$/ { said = said "; " $0 }
        END {
            for (id in state) { n++; count[state[id]]++ }
            if (n) printf " (%d tests: %d passed, %d skipped%s)", n, count["p"], count["s"], why
            else if (runs) printf " (%d runs, nothing found)", runs
            else if (said) printf " (%s)", substr(said, 3)
        }'
}

# What failed: each failing test's block of CTest's output, else the last 40.
what_failed() {
    awk '
        / Test +#[0-9]+: / { block = /\*\*\*/ }
        /^ +Start +[0-9]+: / { block = 0 }
        block { print; found = 1 }
        { last[NR % 40] = $0 }
        END { for (i = NR - 39; !found && i <= NR; i++) if (i > 0) print last[i % 40] }'
}
