// SPDX-License-Identifier: GPL-3.0-or-later
// The sound reader behind every WAV the game plays: damaged headers give no
// sound, never a crash or an allocation the file does not justify.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tallyfold/platform/audio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The reader decides by the magic; always give it a WAV header to chew on.
    std::vector<uint8_t> bytes(12 + size);
    const uint32_t riff = static_cast<uint32_t>(bytes.size() - 8);
    std::memcpy(bytes.data(), "RIFF", 4);
    std::memcpy(bytes.data() + 4, &riff, 4);
    std::memcpy(bytes.data() + 8, "WAVE", 4);
    if (size > 0) std::memcpy(bytes.data() + 12, data, size);
    auto sound = platform::LoadSound(bytes, 0);
    if (sound && !(sound->Seconds() >= 0 && std::isfinite(sound->Seconds()))) std::abort();
    return 0;
}
