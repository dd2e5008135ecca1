// SPDX-License-Identifier: GPL-3.0-or-later
// The bitmap font description reader: any text gives a font whose measures are
// finite and whose glyph slots stay inside their arrays.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "framework/widgets/bitmap_font.h"
#include "tallyfold/platform/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto stream = platform::CreateMemoryStream(std::vector<uint8_t>(data, data + size));
    TBitmapFont font;
    font.ReadDescription(*stream, 3);
    const double width = font.StringWidth("Tallyfold \xC3\xA9\xE2\x82\xAC");
    if (std::isnan(width)) std::abort();
    font.StringHeight(font.TestString);
    font.TruncateString("ABCXYZ abcxyz", 40);
    for (int code : {65, 255, 256, 300, 8364, 65535}) {
        const int slot = font.FindChar(code);
        if (slot < 0 || slot >= static_cast<int>(font.ID.size())) std::abort();
    }
    return 0;
}
