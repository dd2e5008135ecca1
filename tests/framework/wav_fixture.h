// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A sine tone as a 16-bit mono WAV file, for tests that need real sound data.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

inline std::vector<uint8_t> MakeWav(double seconds, int rate = 22050, double frequency = 440.0) {
    const uint32_t frames = static_cast<uint32_t>(seconds * rate);
    const uint32_t dataBytes = frames * 2;
    std::vector<uint8_t> out;
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(t[i]));
    };
    tag("RIFF");
    put(36 + dataBytes, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2);  // PCM
    put(1, 2);  // mono
    put(static_cast<uint32_t>(rate), 4);
    put(static_cast<uint32_t>(rate) * 2, 4);
    put(2, 2);
    put(16, 2);
    tag("data");
    put(dataBytes, 4);
    for (uint32_t i = 0; i < frames; ++i) {
        double s = std::sin(2.0 * 3.14159265358979 * frequency * i / rate) * 20000.0;
        put(static_cast<uint32_t>(static_cast<int16_t>(s)) & 0xFFFF, 2);
    }
    return out;
}
