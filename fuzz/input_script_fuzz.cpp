// SPDX-License-Identifier: GPL-3.0-or-later
// The input-script reader: any bytes give whole steps only, at most three for a
// line (a click is a move, a press and a release), and nothing else happens.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tallyfold/platform/input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    if (platform::ParseInputScript(text) > 3 * lines) std::abort();
    if (platform::InputScriptOpen()) std::abort();
    return 0;
}
