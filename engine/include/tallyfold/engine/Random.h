// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace engine {

// The engine's only source of randomness. It keeps the interface of the classic C
// generator (15-bit results, 0..32767) because RandomBelow's scaling depends on that
// range, but it is an object of its own so that a caller can seed and repeat a run
// without touching process-wide state.
class Random {
public:
    static constexpr int kMax = 32767;

    explicit Random(std::uint32_t seed = 1) { Seed(seed); }

    void Seed(std::uint32_t seed);

    // 0..32767
    int Next();

    // 0..n-1; scaled rather than taken modulo so that every n sees the whole range.
    int RandomBelow(int n) { return static_cast<int>(static_cast<double>(Next()) * n * (1.0 / 32768.0)); }

    template <typename T>
    void Shuffle(std::vector<T>& list) {
        for (std::size_t k = 1; k < list.size(); ++k) {
            std::size_t j = static_cast<std::size_t>(Next()) % (k + 1);
            std::swap(list[k], list[j]);
        }
    }

private:
    std::uint64_t state_ = 0;
};

// A seed that differs between two calls even within the same clock tick.
std::uint32_t FreshSeed();

}  // namespace engine
