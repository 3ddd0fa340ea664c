#!/bin/bash
# bench/compare.sh
#
# Measures the atbash command as the release preset builds it (preset "bench"
# adds the core's benchmark to it),
# against tr and cat on a generated 256 MiB text in one hyperfine run, reports
# its peak memory at 16 MiB and at 1 GiB of input, and runs the core's
# benchmark beside memcpy. Results go to standard output and build/bench/.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup hyperfine time libbenchmark-dev
cmake --preset bench >/dev/null
cmake --build --preset bench -j 2 >/dev/null
out=build/bench
atbash=$out/atbash

line='The Quick Brown Fox Jumps Over The Lazy Dog, 0123456789; the end.'
text=$out/text-256MiB
if [ ! -f "$text" ]; then
    { yes "$line" || true; } | head -c $((256 << 20)) >"$text"
fi

echo "== machine"
lscpu | grep -E '^(Model name|CPU\(s\)|L2 cache|L3 cache)' || true

echo "== the command on 256 MiB"
hyperfine --warmup 2 --runs 10 --export-markdown "$out/commands.md" \
    -n atbash "$atbash $text >/dev/null" \
    -n tr "LC_ALL=C tr 'A-Za-z' 'ZYXWVUTSRQPONMLKJIHGFEDCBAzyxwvutsrqponmlkjihgfedcba' <$text >/dev/null" \
    -n cat "cat $text >/dev/null"

echo "== peak memory (maximum resident set in KiB, 5 runs, median)"
for size in 16M 1G; do
    runs=$(for run in 1 2 3 4 5; do
        { { yes "$line" || true; } | head -c "$size" | /usr/bin/time -f %M "$atbash" >/dev/null; } 2>&1
    done | sort -n | tr '\n' ' ')
    echo "$size: median $(echo "$runs" | cut -d' ' -f3) of $runs"
done

echo "== the core beside memcpy"
"$out/atbash_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
