// SPDX-License-Identifier: GPL-3.0-or-later
// The settings reader: known names take their values, every value stays one
// line when written, and numbers never overflow.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/settings/ini_file.h"
#include "framework/util/strings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TIniFile ini;
    for (const char* name : {"Version No", "Full Screen", "Sound Volume", "Profile Name", "Sub-Region", "Width"})
        ini.Add(name, "0");
    ini.Apply(bytes);
    if (ini.Count() != 6) std::abort();
    for (const auto& line : ini.Lines) {
        if (line->Value.find('\n') != std::string::npos) std::abort();
        ReadInt(line->Value);
    }
    return 0;
}
