// Frames per second through handleFrame for each reply kind, and for building the
// full routing frame.
#include "protocol/frame_builders.h"
#include "protocol/handle_frame.h"
#include "support/frames.h"

#include <benchmark/benchmark.h>

using namespace varento;
using namespace varento::testing;

namespace {

const DeviceUid kUid = uidOf(5);

Bytes parameterReply() {
    Bytes f = header(kUid, 0x30);
    for (int p = 0; p <= 28; ++p) {
        if (p != 26) {
            f.push_back(static_cast<std::uint8_t>(p));
            f.push_back(static_cast<std::uint8_t>((p * 7) & 0x7F));
        }
    }
    f.push_back(0xF7);
    return f; // 28 pairs
}

Bytes levelReply() {
    Bytes f = header(kUid, 0x31);
    for (int i = 0; i < 128; ++i) {
        f.push_back(static_cast<std::uint8_t>(0x40 + (i & 0x3F)));
    }
    f.push_back(0xF7);
    return f;
}

Bytes routingReply() {
    Bytes f = header(kUid, 0x32);
    for (int s = 0; s < 192; ++s) {
        f.insert(f.end(), {static_cast<std::uint8_t>(s >> 7), static_cast<std::uint8_t>(s & 0x7F),
                           0, static_cast<std::uint8_t>((191 - s) & 0x7F)});
    }
    f.push_back(0xF7);
    return f;
}

Bytes gainsReply() {
    Bytes f = header(kUid, 0x33);
    for (int i = 0; i < 128; ++i) {
        f.insert(f.end(), {0, static_cast<std::uint8_t>(20 + (i & 0x1F))});
    }
    f.push_back(0xF7);
    return f;
}

Bytes twoUnitList() {
    Bytes f = header(DeviceUid::broadcast(), 0x0E);
    for (int seed : {1, 2}) {
        const DeviceUid uid = uidOf(seed);
        f.insert(f.end(), uid.bytes.begin(), uid.bytes.end());
        f.insert(f.end(), {12, 4, 1});
    }
    f.push_back(0xF7);
    return f;
}

void runHandler(benchmark::State& state, const Bytes& frame) {
    DeviceRecord current;
    DeviceRecord shadow;
    DiscoveredList list;
    resetToPowerOnDefaults(current);
    current.uid = kUid;
    for (auto _ : state) {
        benchmark::DoNotOptimize(handleFrame(frame, current, shadow, list));
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
}

void BM_HandleParameters(benchmark::State& s) { runHandler(s, parameterReply()); }
void BM_HandleLevels(benchmark::State& s) { runHandler(s, levelReply()); }
void BM_HandleRouting(benchmark::State& s) { runHandler(s, routingReply()); }
void BM_HandleGains(benchmark::State& s) { runHandler(s, gainsReply()); }
void BM_HandleTwoUnitList(benchmark::State& s) { runHandler(s, twoUnitList()); }

void BM_BuildSetRoutingAll(benchmark::State& state) {
    DeviceRecord r;
    resetToPowerOnDefaults(r);
    FrameBuffer buffer{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(buildSetRoutingAll(buffer, r));
        benchmark::ClobberMemory();
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_HandleParameters);
BENCHMARK(BM_HandleLevels);
BENCHMARK(BM_HandleRouting);
BENCHMARK(BM_HandleGains);
BENCHMARK(BM_HandleTwoUnitList);
BENCHMARK(BM_BuildSetRoutingAll);

BENCHMARK_MAIN();
