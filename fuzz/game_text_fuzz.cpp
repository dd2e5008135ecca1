// SPDX-License-Identifier: GPL-3.0-or-later
// The game text reader: a table or a refusal, never a read past its lines.
#include <cstdint>
#include <string>

#include "framework/paths/errors.h"
#include "framework/text/game_text.h"
#include "tallyfold/platform/stream.h"
#include "tallyfold/platform/system.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        platform::SetNotifyHook([](const std::string&, bool) {});
        return true;
    }();
    (void)quiet;
    TGameText table;
    try {
        table.Parse(platform::DecodeText(std::vector<uint8_t>(data, data + size)));
    } catch (const RuntimeError&) {
        return 0;
    }
    for (const auto& [key, lines] : table.Entries) table.FindString(key);
    table.FindString("Data Pak Error");
    return 0;
}
