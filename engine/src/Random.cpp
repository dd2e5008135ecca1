// SPDX-License-Identifier: GPL-3.0-or-later
#include "tallyfold/engine/Random.h"

#include <atomic>
#include <bit>
#include <chrono>

namespace engine {
namespace {

std::uint64_t SplitMix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

}  // namespace

void Random::Seed(std::uint32_t seed) { state_ = SplitMix(seed); }

// PCG-XSH-RR; the top 15 of its 32 output bits give the classic range.
int Random::Next() {
    std::uint64_t old = state_;
    state_ = old * 6364136223846793005ull + 1442695040888963407ull;
    auto xorshifted = static_cast<std::uint32_t>(((old >> 18) ^ old) >> 27);
    auto rotation = static_cast<int>(old >> 59);
    return static_cast<int>(std::rotr(xorshifted, rotation) >> 17);
}

std::uint32_t FreshSeed() {
    static std::atomic<std::uint64_t> calls{0};
    auto ticks = static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    std::uint64_t mixed = SplitMix(ticks ^ SplitMix(calls.fetch_add(1)));
    return static_cast<std::uint32_t>(mixed ^ (mixed >> 32));
}

}  // namespace engine
