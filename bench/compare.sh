#!/bin/bash
# bench/compare.sh
#
# Measures the atbash command as the release preset builds it (preset "bench"
# adds the core's benchmark to it), in one run, on a generated 256 MiB text
# in the page cache: against cat in five cases with hyperfine, with the time
# each spends in user space and in the kernel; for a regular file, perf
# stat's counts and perf record's first functions; in GB/s with the Hebrew
# and Greek alphabets, on 256 MiB of the words of Debian's word lists in a
# seeded random order, and twice over each word of the lists; against tr;
# its peak memory at 16 MiB and at 1 GiB of
# input, from a regular file and from a pipe; and the core's loops beside
# memcpy. Results go to standard output and build/bench/. A case's ratio is
# cat's median time over atbash's: atbash's throughput as a share of cat's.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup hyperfine time libbenchmark-dev linux-perf hunspell-he hunspell-el
cmake --preset bench >/dev/null
cmake --build --preset bench -j 2 >/dev/null
out=$PWD/build/bench
atbash=$out/atbash

line='The Quick Brown Fox Jumps Over The Lazy Dog, 0123456789; the end.'
text=$out/text-256MiB
[ -f "$text" ] || { { yes "$line" || true; } | head -c $((256 << 20)) >"$text"; }
# The tmpfs case needs both files on a tmpfs.
shm=/dev/shm/atbash-bench.$$
trap 'rm -rf "$shm"' EXIT
if [ "$(stat -f -c %T /dev/shm 2>/dev/null)" = tmpfs ]; then
    mkdir "$shm"
    cp "$text" "$shm/text"
fi

echo "== machine"
lscpu | grep -E '^(Model name|CPU\(s\)|L2 cache|L3 cache)' || true
grep -o -w -E 'avx2|avx512bw' /proc/cpuinfo | sort -u | paste -s -d ' ' || true

# compare NAME TARGET ATBASH CAT: both commands, 30 runs each after 3 to warm
# up; prints the medians, the ratio and whether it meets TARGET, and each
# command's mean time in user space and in the kernel.
compare() {
    hyperfine --warmup 3 --runs 30 --export-csv "$out/case.csv" -n atbash "$3" -n cat "$4" >"$out/case.log" 2>&1 ||
        { cat "$out/case.log"; exit 1; }
    awk -F, -v name="$1" -v target="$2" '
        NR == 2 { a = $4; sa = $3; ua = $5; ka = $6 } NR == 3 { c = $4; sc = $3; uc = $5; kc = $6 }
        END { ratio = c / a
              printf "%-34s atbash %6.1f ms (σ %4.1f)  cat %6.1f ms (σ %4.1f)  %.2fx  %s %s\n",
                  name, a * 1000, sa * 1000, c * 1000, sc * 1000, ratio, (ratio >= target ? "meets" : "MISSES"), target
              printf "%-34s user+kernel: atbash %.1f+%.1f ms, cat %.1f+%.1f ms\n",
                  "", ua * 1000, ka * 1000, uc * 1000, kc * 1000 }' \
        "$out/case.csv"
}

echo "== the command against cat, 256 MiB, medians of 30 runs"
compare "a regular file to /dev/null" 0.95 "$atbash $text >/dev/null" "cat $text >/dev/null"
compare "a regular file on standard input" 0.95 "$atbash <$text >/dev/null" "cat <$text >/dev/null"
compare "a pipe in" 1.0 "cat $text | $atbash >/dev/null" "cat $text | cat >/dev/null"
compare "a pipe out" 1.0 "$atbash $text | cat >/dev/null" "cat $text | cat >/dev/null"
if [ -d "$shm" ]; then
    compare "a file on tmpfs to a file on tmpfs" 0.95 "$atbash $shm/text >$shm/out" "cat $shm/text >$shm/out"
else
    echo "a file on tmpfs: /dev/shm is no tmpfs here, so this case is left out"
fi

echo "== where the time goes, a regular file to /dev/null: perf stat, 10 runs (cycles and instructions where the machine counts them), and perf record's first five functions"
# Debian lets only root count by default (kernel.perf_event_paranoid 3).
if perf stat -e task-clock true >/dev/null 2>&1; then
    for command in "$atbash $text" "cat $text"; do
        # shellcheck disable=SC2086 # the command's words
        perf stat -r 10 -e task-clock,page-faults,cycles,instructions -- $command 2>&1 >/dev/null |
            sed -n -E 's/^ +([0-9.,<]+.*(task-clock|page-faults|cycles|instructions)).*/\1/p' | paste -s -d ';' |
            sed "s|^|${command%% *}: |; s|$out/||"
        # Where its time goes, by function, in the kernel and out of it.
        # shellcheck disable=SC2086 # the command's words
        perf record -q -e cpu-clock -F 20000 -o "$out/perf.data" -- $command >/dev/null 2>&1
        perf report -i "$out/perf.data" --stdio --sort dso,sym 2>/dev/null | awk '/^ +[0-9]/ && n++ < 5'
    done
else
    echo "perf may not count here (see kernel.perf_event_paranoid): left out"
fi

# words NAME: the words of Debian's word list for -a NAME, one a line, in
# UTF-8, without hunspell's flags (el_GR.dic is ISO-8859-7).
words() {
    case $1 in
    hebrew) sed 's|/.*||' /usr/share/hunspell/he_IL.dic ;;
    greek) iconv -f ISO-8859-7 -t UTF-8 /usr/share/hunspell/el_GR.dic | sed 's|/.*||' ;;
    esac | tail -n +2
}

# alphabet NAME TARGET: the command with -a NAME on 256 MiB of the word
# list's words in random order, twelve to a line, each shuffle of the list
# drawn from AES-CTR keyed by its number, so that every run reads the same; 10 runs after 2 to warm up, perf stat's
# counts where perf may count; its throughput from the median, and whether
# it meets TARGET (GB/s).
alphabet() {
    local file=$out/$1-words-256MiB
    [ -f "$file" ] || { for seed in $(seq 1 100); do
        words "$1" | shuf --random-source=<(openssl enc -aes-256-ctr -pass "pass:$seed" -nosalt </dev/zero 2>/dev/null) |
            paste -d ' ' - - - - - - - - - - - -
    done || true; } | head -c $((256 << 20)) >"$file"
    hyperfine --warmup 2 --runs 10 --export-csv "$out/case.csv" -n "$1" "$atbash -a $1 $file >/dev/null" \
        >"$out/case.log" 2>&1 || { cat "$out/case.log"; exit 1; }
    awk -F, -v name="$1" -v target="$2" 'NR == 2 {
        rate = 268435456 / $4 / 1e9
        printf "-a %-8s %6.1f ms (σ %4.1f)  %.2f GB/s  %s %s GB/s\n",
            name, $4 * 1000, $3 * 1000, rate, (rate >= target ? "meets" : "MISSES"), target }' "$out/case.csv"
    if perf stat -e task-clock true >/dev/null 2>&1; then
        # shellcheck disable=SC2086 # the command's words
        perf stat -r 10 -e task-clock,cycles,instructions -- $atbash -a "$1" "$file" 2>&1 >/dev/null |
            sed -n -E 's/^ +([0-9.,<]+.*(task-clock|cycles|instructions)).*/\1/p' | paste -s -d ';'
    fi
}

echo "== the command with an alphabet of two-byte letters, 256 MiB of words in random order"
alphabet hebrew 1.0
alphabet greek 1.0

# Twice gives back every word spelled as its script spells it. A word that
# ends in a plain letter that has a final form (Hebrew's abbreviations, בע"מ
# and עמ', and some loanwords, איזוטופ; the Greek list's elided μέσ) and one
# with ς within it (misspelt) cannot come back: its image has no form to
# tell it by. Any other that does not come back fails the run.
echo "== twice, each word of the word lists"
for name in hebrew greek; do
    words "$name" >"$out/$name.words"
    "$atbash" -a "$name" "$out/$name.words" | "$atbash" -a "$name" | paste -d '\t' "$out/$name.words" - |
        awk -F '\t' -v name="$name" '
            $1 != $2 { others++; if ($1 ~ /(כ|מ|נ|פ|צ|σ)['\''"]?$|ς./) unspellable++; else { print "  not back: " $1; wrong++ } }
            END { printf "-a %s: %d of %d words back; %d of the others spelled as no rule can tell, %d wrong\n",
                      name, NR - others, NR, unspellable, wrong; exit wrong > 0 }'
done

echo "== the command against tr, 256 MiB"
hyperfine --warmup 2 --runs 10 --export-markdown "$out/tr.md" \
    -n atbash "$atbash $text >/dev/null" \
    -n tr "LC_ALL=C tr 'A-Za-z' 'ZYXWVUTSRQPONMLKJIHGFEDCBAzyxwvutsrqponmlkjihgfedcba' <$text >/dev/null"

echo "== peak memory (maximum resident set in KiB, 5 runs, median)"
for size in 16M 1G; do
    file=$out/text-$size
    [ -f "$file" ] || { { yes "$line" || true; } | head -c "$size" >"$file"; }
    pipe=$(for run in 1 2 3 4 5; do
        { { yes "$line" || true; } | head -c "$size" | /usr/bin/time -f %M "$atbash" >/dev/null; } 2>&1
    done | sort -n | sed -n 3p)
    regular=$(for run in 1 2 3 4 5; do
        { /usr/bin/time -f %M "$atbash" "$file" >/dev/null; } 2>&1
    done | sort -n | sed -n 3p)
    echo "$size: $pipe from a pipe, $regular from a regular file"
done

echo "== the core's loops beside memcpy"
"$out/atbash_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
