// SPDX-License-Identifier: GPL-3.0-or-later
#include "contact_sheet.h"

#include <algorithm>
#include <cstdlib>

#include "tallyfold/platform/display.h"
#include "tallyfold/platform/font.h"
#include "tallyfold/platform/image.h"

namespace e2e {

namespace {

constexpr int kMargin = 8, kCaptionHeight = 24;
constexpr uint32_t kSheetColour = 0xFF181C24u;

uint32_t Average(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    uint32_t out = 0xFF000000u;
    for (int shift : {16, 8, 0}) {
        const uint32_t sum =
            ((a >> shift) & 0xFF) + ((b >> shift) & 0xFF) + ((c >> shift) & 0xFF) + ((d >> shift) & 0xFF);
        out |= ((sum + 2) / 4) << shift;
    }
    return out;
}

// The caption drawn by the platform's own text drawing on the back buffer,
// then read back: the sheet's letters are the game's letters.
std::shared_ptr<platform::Pixmap> Caption(const std::string& text, int width) {
    platform::SetClsColor((kSheetColour >> 16) & 0xFF, (kSheetColour >> 8) & 0xFF, kSheetColour & 0xFF);
    platform::Cls();
    platform::SetBlend(platform::ALPHABLEND);
    platform::SetAlpha(1.0f);
    platform::SetColor(235, 235, 235);
    platform::SetImageFont(platform::DefaultFont());
    platform::DrawText(text, 2, 2);
    return platform::GrabPixmap(0, 0, width, kCaptionHeight);
}

}  // namespace

std::string WriteContactSheet(const std::vector<SheetEntry>& entries, const std::filesystem::path& out, int columns) {
    if (entries.empty() || columns < 1) return "nothing to put on the sheet";
    // Captions need a drawing surface; a headless one does.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    auto& display = platform::Display();
    if (!display.HasGraphics() && (!display.SelectDriver(platform::GfxDriver::OpenGL, platform::GRAPHICS_BACKBUFFER) ||
                                   !display.CreateGraphics(800, 600, 0, 0, platform::GRAPHICS_BACKBUFFER)))
        return "no drawing surface for the captions";

    const int cellW = 400, cellH = 300;
    const int rows = (static_cast<int>(entries.size()) + columns - 1) / columns;
    platform::Pixmap sheet(kMargin + columns * (cellW + kMargin), kMargin + rows * (cellH + kCaptionHeight + kMargin));
    std::fill(sheet.Pixels(), sheet.Pixels() + static_cast<size_t>(sheet.Width()) * sheet.Height(), kSheetColour);
    for (size_t i = 0; i < entries.size(); ++i) {
        const int left = kMargin + static_cast<int>(i % columns) * (cellW + kMargin);
        const int top = kMargin + static_cast<int>(i / columns) * (cellH + kCaptionHeight + kMargin);
        auto picture = platform::LoadPixmap(entries[i].picture.string());
        if (!picture) return "cannot read " + entries[i].picture.string();
        const int pw = picture->Width();
        const uint32_t* from = picture->Pixels();
        uint32_t* to = sheet.Pixels();
        for (int y = 0; y < cellH && 2 * y + 1 < picture->Height(); ++y)
            for (int x = 0; x < cellW && 2 * x + 1 < pw; ++x) {
                const uint32_t* p = from + static_cast<size_t>(2 * y) * pw + 2 * x;
                to[static_cast<size_t>(top + y) * sheet.Width() + left + x] = Average(p[0], p[1], p[pw], p[pw + 1]);
            }
        auto caption = Caption(std::to_string(i) + "  " + entries[i].caption, cellW);
        if (!caption) return "cannot draw the caption of " + entries[i].picture.string();
        for (int y = 0; y < caption->Height(); ++y)
            for (int x = 0; x < caption->Width(); ++x)
                sheet.WritePixel(left + x, top + cellH + y, caption->ReadPixel(x, y) | 0xFF000000u);
    }
    if (!sheet.SavePNG(out.string())) return "cannot write " + out.string();
    return std::string();
}

}  // namespace e2e
