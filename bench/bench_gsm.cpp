// GSM 06.10 (WAV49) encoding speed; the xRealTime counter is seconds of sound
// encoded per second on one core.
#include "audio/TGsmEncoder.h"
#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

static void BM_GsmEncodeOneSecond(benchmark::State &state)
{
    std::vector<int16_t> pcm(8000);
    for (size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = int16_t(12000 * std::sin(2 * M_PI * 1000 * double(i) / 8000) + (i * 7919 % 2000) - 1000);
    TGsmEncoder enc;
    uint8_t block[TGsmEncoder::BlockSize];
    for (auto _ : state) {
        for (size_t off = 0; off + TGsmEncoder::SamplesPerBlock <= pcm.size(); off += TGsmEncoder::SamplesPerBlock) {
            enc.EncodeBlock(pcm.data() + off, block);
            benchmark::DoNotOptimize(block);
        }
    }
    state.counters["xRealTime"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GsmEncodeOneSecond);
