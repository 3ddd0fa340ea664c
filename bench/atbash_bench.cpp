// The cipher core beside memcpy of the same sizes, in bytes per second.
#include <benchmark/benchmark.h>

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

void core(benchmark::State &state)
{
    std::vector<char> text = sample(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        atbash(text.data(), static_cast<int>(text.size()));
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

BENCHMARK(core)->Name("atbash")->Arg(1023)->Arg(64 << 10)->Arg(16 << 20);
BENCHMARK(copy)->Name("memcpy")->Arg(1023)->Arg(64 << 10)->Arg(16 << 20);

BENCHMARK_MAIN();
