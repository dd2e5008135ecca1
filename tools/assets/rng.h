// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Deterministic random numbers for the generator. The standard library's
// distributions are allowed to differ between implementations, and the data
// must come out byte for byte the same on every machine, so everything here
// is spelled out.

#include <cstdint>

namespace assets {

class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        // SplitMix64
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }
    // Uniform in [-1, 1).
    double Signed() { return Unit() * 2.0 - 1.0; }
    int Int(int lo, int hi) {  // inclusive
        return lo + static_cast<int>(Next() % static_cast<std::uint64_t>(hi - lo + 1));
    }

private:
    std::uint64_t state_;
};

// Stateless hash noise for per-pixel texture: the same (x, y, seed) always
// gives the same value, whatever order pixels are visited in.
inline std::uint32_t Hash2(int x, int y, std::uint32_t seed) {
    std::uint32_t h =
        static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

// Hash mapped to [-1, 1].
inline double HashSigned(int x, int y, std::uint32_t seed) {
    return static_cast<double>(Hash2(x, y, seed) & 0xFFFFFF) / 8388607.5 - 1.0;
}

// Smooth value noise in [-1, 1] with features about `cell` pixels across.
double ValueNoise(double x, double y, double cell, std::uint32_t seed);

}  // namespace assets
