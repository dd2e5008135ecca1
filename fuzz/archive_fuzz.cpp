// SPDX-License-Identifier: GPL-3.0-or-later
// The data archive reader: any bytes either give items with safe names and a
// bounded total, or a RaisedText; never a crash or a huge allocation.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "framework/archive/pak_file.h"
#include "framework/paths/errors.h"
#include "tallyfold/platform/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto stream = platform::CreateMemoryStream(std::vector<uint8_t>(data, data + size));
    TPakFile pak;
    pak.Path = "fuzz.pak";
    try {
        pak.ReadFromStream(*stream);
    } catch (const RaisedText&) {
        return 0;
    }
    if (pak.TotalSize() > TPakFile::MAX_TOTAL_SIZE) std::abort();
    for (const auto& item : pak.Items)
        if (!IsSafeItemName(item->Name)) std::abort();
    return 0;
}
