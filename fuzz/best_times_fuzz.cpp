// SPDX-License-Identifier: GPL-3.0-or-later
// The best-times reader: at most ten entries, ranked, with names the table can
// show, and what it read survives a save and a second read.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/core/high_scores.h"

namespace {
int Characters(const std::string& text) {
    int n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto entries = DecodeHighScores(bytes, 10);
    if (entries.size() > 10) std::abort();
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto& e = *entries[i];
        if (e.time < 0 || e.difficulty < 0 || e.difficulty > 2) std::abort();
        if (i > 0 && entries[i - 1]->time > e.time) std::abort();
        if (Characters(e.name) > HighScoreNameChars || CleanHighScoreName(e.name) != e.name) std::abort();
    }
    const auto again = DecodeHighScores(EncodeHighScores(entries), 10);
    if (again.size() != entries.size()) std::abort();
    for (size_t i = 0; i < again.size(); ++i)
        if (again[i]->name != entries[i]->name || again[i]->time != entries[i]->time) std::abort();
    return 0;
}
