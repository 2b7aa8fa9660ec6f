#include "signal_model.h"

#include "protocol/level_conversion.h"

#include <algorithm>
#include <cmath>

namespace varento::emu {

namespace {

constexpr int kStepMs = 50; // the signal moves in fixed steps, whatever the caller's pace

} // namespace

std::uint64_t Random::next() {
    // splitmix64
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

SignalModel::SignalModel(std::uint64_t seed) : random_(seed) {
    for (auto& c : channels_) {
        c.averageDb = static_cast<float>(random_.between(-36.0, -9.0));
        c.levelDb = c.averageDb;
        // About one channel in eight starts quiet, like an unused input.
        c.silentMs = random_.below(8) == 0 ? 2000 + random_.below(20000) : 0;
    }
}

void SignalModel::step(Channel& c) {
    if (c.silentMs > 0) {
        c.silentMs -= kStepMs;
        return;
    }
    if (random_.below(4000) == 0) {
        c.silentMs = 1000 + random_.below(8000);
        return;
    }
    // Fast attacks, slower release, pulled back towards the channel's average.
    const double kick = random_.unit() < 0.15 ? random_.between(0.0, 12.0) : 0.0;
    const double drift = random_.between(-2.0, 2.0) + 0.12 * (c.averageDb - c.levelDb);
    c.levelDb = static_cast<float>(std::clamp(c.levelDb + drift + kick, -70.0, -1.0));
}

void SignalModel::advance(std::chrono::milliseconds elapsed) {
    pendingMs_ += elapsed.count();
    for (; pendingMs_ >= kStepMs; pendingMs_ -= kStepMs) {
        for (auto& c : channels_) {
            step(c);
        }
    }
}

float SignalModel::sourceDb(int source) const {
    if (source < 0 || source >= kSourceCount) {
        return kSilence;
    }
    const Channel& c = channels_[static_cast<std::size_t>(source)];
    return c.silentMs > 0 ? kSilence : c.levelDb;
}

std::uint8_t levelCodeFromDb(float db) {
    // Decoded levels rise with the code (0x68 pinned to 0 dB keeps the order),
    // so the nearest code is next to where `db` would be inserted.
    static const auto table = [] {
        std::array<float, 128> levels{};
        for (std::size_t c = 0; c < levels.size(); ++c) {
            levels[c] = levelDbFromCode(static_cast<std::uint8_t>(c));
        }
        return levels;
    }();
    if (std::isnan(db) || db <= table.front()) {
        return 0;
    }
    const auto above = std::lower_bound(table.begin(), table.end(), db);
    if (above == table.end()) {
        return static_cast<std::uint8_t>(table.size() - 1);
    }
    const auto below = above - 1;
    const auto nearest = db - *below <= *above - db ? below : above;
    return static_cast<std::uint8_t>(nearest - table.begin());
}

} // namespace varento::emu
