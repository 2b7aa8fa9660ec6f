// Loading devlist.mv with 10,000 entries at start-up (read, add each record, sort by
// shuffled positions), and saving it again at exit. Must stay well under 100 ms.
#include "files/devlist_file.h"
#include "support/temp_dir.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

using namespace varento;

namespace {

constexpr int kEntries = 10000;

DeviceList bigList() {
    std::vector<int> positions(kEntries);
    std::iota(positions.begin(), positions.end(), 1);
    std::shuffle(positions.begin(), positions.end(), std::mt19937(1));
    DeviceList list;
    for (int i = 0; i < kEntries; ++i) {
        DeviceUid uid;
        for (std::size_t b = 0; b < 16; ++b) {
            uid.bytes[b] = static_cast<std::uint8_t>((i >> (b % 4 * 4)) & 0x0F);
        }
        KnownDevice* e = list.addOrRefresh(uid, "VARENTO.PX", 3, 2);
        e->userName = "Rack " + std::to_string(i);
        e->position = positions[static_cast<std::size_t>(i)];
    }
    return list;
}

void BM_LoadDeviceList10000(benchmark::State& state) {
    testing::TempDir dir;
    if (saveDeviceList(dir.path(), bigList())) {
        state.SkipWithError("could not write the device list");
        return;
    }
    for (auto _ : state) {
        DeviceList list;
        const DevListLoadResult r = loadDeviceList(dir.path(), list);
        if (r.status != DevListStatus::Loaded || list.count() != kEntries) {
            state.SkipWithError("load failed");
            return;
        }
        benchmark::DoNotOptimize(list.first());
    }
}

void BM_SaveDeviceList10000(benchmark::State& state) {
    testing::TempDir dir;
    const DeviceList list = bigList();
    for (auto _ : state) {
        if (saveDeviceList(dir.path(), list)) {
            state.SkipWithError("save failed");
            return;
        }
    }
}

} // namespace

BENCHMARK(BM_LoadDeviceList10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveDeviceList10000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
