#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <limits>

namespace varento::emu {

inline constexpr float kSilence = -std::numeric_limits<float>::infinity();
inline constexpr int kSourceCount = 192; // AES, analog, MADI 1 and MADI 2 inputs

// A small deterministic generator, so a seed replays the same meters on every platform.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next();
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; } // [0, 1)
    double between(double low, double high) { return low + (high - low) * unit(); }
    int below(int bound) { return static_cast<int>(next() % static_cast<std::uint64_t>(bound)); }

private:
    std::uint64_t state_;
};

// The audio arriving at a unit's inputs: each source channel has a programme-like
// level that drifts around its own average and sometimes rests in silence.
class SignalModel {
public:
    explicit SignalModel(std::uint64_t seed);

    void advance(std::chrono::milliseconds elapsed);
    // Level in dBFS of source 0..191, kSilence for a quiet channel or another number.
    float sourceDb(int source) const;

private:
    struct Channel {
        float averageDb = -20.0f;
        float levelDb = -20.0f;
        int silentMs = 0; // > 0 while the channel rests
    };
    void step(Channel& channel);

    Random random_;
    std::array<Channel, kSourceCount> channels_{};
    std::int64_t pendingMs_ = 0;
};

// The level code whose decoded level is nearest to `db`; code 0 for silence.
std::uint8_t levelCodeFromDb(float db);

} // namespace varento::emu
