// The cipher core beside memcpy of the same sizes, in bytes per second:
// atbash as it chooses, and each loop behind it that this processor runs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "atbash.h"

namespace {

std::vector<char> sample(size_t size)
{
    const std::string text = "The quick brown fox jumps over the lazy dog; 0123456789!\r\n";
    std::vector<char> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = text[i % text.size()];
    return bytes;
}

void core(benchmark::State &state, void (*loop)(char *, int))
{
    std::vector<char> text = sample(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        loop(text.data(), static_cast<int>(text.size()));
        benchmark::DoNotOptimize(text.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void copy(benchmark::State &state)
{
    std::vector<char> from = sample(static_cast<size_t>(state.range(0)));
    std::vector<char> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

}  // namespace

int main(int argc, char **argv)
{
    benchmark::RegisterBenchmark("atbash", core, atbash)->Arg(1023)->Arg(64 << 10)->Arg(16 << 20);
    for (int i = 0; i < atbash_loop_count; ++i) {
        if (!atbash_loops[i].runs_here())
            continue;
        // A plain string: Google Benchmark takes the name as const char * up
        // to 1.7 (Debian 12) and as std::string from 1.8 on.
        char name[64];
        (void)std::snprintf(name, sizeof name, "atbash/%s", atbash_loops[i].name);
        benchmark::RegisterBenchmark(name, core, atbash_loops[i].run)->Arg(1023)->Arg(64 << 10)->Arg(16 << 20);
    }
    benchmark::RegisterBenchmark("memcpy", copy)->Arg(1023)->Arg(64 << 10)->Arg(16 << 20);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
