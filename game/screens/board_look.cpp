// SPDX-License-Identifier: GPL-3.0-or-later
// Cell sizes, the fonts that go with them and the places of digits, marks and clues.
#include "game/screens/board_look.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "framework/core/globals.h"
#include "framework/widgets/image_bank.h"
#include "game/core/core.h"
#include "game/screens/paper.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/font.h"
#include "tallyfold/platform/image.h"

namespace {
// Free paper left between the board and the sheet's edge on each side.
constexpr int SheetMargin = 16;

// One cell unit: a 32-pixel cell's pixel.
float Unit(int cell) { return static_cast<float>(cell) / BaseCellSize; }

struct TClueLayout {
    int FontSize = 0;
    float Pad = 0, Gap = 0, Margin = 0;  // from the tile's edge, between number and mark, from the fold
    float Mark = 0;                      // side of the tick or cross
    int InkHeight = 0;                   // of the digits
};

// The largest clue font whose widest number stays clear of the fold, and the
// room that leaves for the run mark above (or below) it.
const TClueLayout& ClueLayout(int cell) {
    static std::map<int, TClueLayout> layouts;
    auto found = layouts.find(cell);
    if (found != layouts.end()) return found->second;
    TClueLayout l;
    const float u = Unit(cell);
    l.Pad = 3 * u;
    l.Gap = 2 * u;
    l.Margin = 2 * u;
    for (l.FontSize = static_cast<int>(16 * u); l.FontSize > 6; --l.FontSize) {
        auto font = FontOfSize(l.FontSize);
        if (!font) break;
        int widest = 0, above = 0, below = 0;
        for (int clue = 10; clue <= 45; ++clue) widest = std::max(widest, font->TextWidth(std::to_string(clue)));
        font->InkExtent("0123456789", above, below);
        l.InkHeight = above + below;
        // A number's box must keep its inner corner off the fold: the two
        // sides along the cell's edges take up what the half leaves.
        if (static_cast<float>(widest + l.InkHeight) <= static_cast<float>(cell) - 2 * l.Pad - l.Margin) break;
    }
    l.Mark =
        std::floor((static_cast<float>(cell) - 2 * l.Pad - static_cast<float>(l.InkHeight) - l.Gap - l.Margin) / 2);
    // Before the fonts are made the stand-in sizes must not be remembered.
    static TClueLayout unready;
    if (!Resources.FontOfSize) return unready = l;
    return layouts.emplace(cell, l).first->second;
}

// Top of the drawn line that puts the ink of `text` between top and bottom, centred.
float LineTopForInk(const platform::ImageFont& font, const std::string& text, float centreY) {
    int above = 0, below = 0;
    font.InkExtent(text, above, below);
    const float baseline = centreY + static_cast<float>(above - below) / 2;
    return baseline - static_cast<float>(font.Ascent());
}

void WriteAt(const std::string& text, float left, float top) {
    platform::DrawText(text, std::round(left), std::round(top));
}

// A line `thickness` pixels wide, as a bundle of one-pixel lines.
void ThickLine(float x1, float y1, float x2, float y2, int thickness) {
    for (int dx = 0; dx < thickness; ++dx)
        for (int dy = 0; dy < thickness; ++dy) {
            const float ox = static_cast<float>(dx) - static_cast<float>(thickness - 1) / 2;
            const float oy = static_cast<float>(dy) - static_cast<float>(thickness - 1) / 2;
            platform::DrawLine(x1 + ox, y1 + oy, x2 + ox, y2 + oy);
        }
}
}  // namespace

TBoardGeometry BoardGeometry(int width, int height) {
    TBoardGeometry g;
    const int cells = std::clamp(std::max(width, height), 1, MaxBoardSize);
    g.Cell = std::clamp((PaperSheet.w - 2 * SheetMargin) / cells, BaseCellSize, LargestCellSize);
    const int w = std::clamp(width, 1, MaxBoardSize), h = std::clamp(height, 1, MaxBoardSize);
    g.X0 = PaperSheet.x + (PaperSheet.w - g.Cell * w) / 2 + g.Cell / 2;
    g.Y0 = PaperSheet.y + (PaperSheet.h - g.Cell * h) / 2 + g.Cell / 2;
    return g;
}

void DrawCellPicture(const std::shared_ptr<TGameImage>& picture, float x, float y, float side) {
    if (!picture || !picture->image || picture->w <= 0 || picture->h <= 0) return;
    platform::DrawSubImageRect(picture->image, x - side / 2, y - side / 2, side, side, 0, 0,
                               static_cast<float>(picture->w), static_cast<float>(picture->h));
}

void DrawCellCursor(float x, float y, int cell) {
    if (!Resources.ImageBank) return;
    // The picture is 40 cell units a side: 4 beyond the cell all round.
    DrawCellPicture(Resources.ImageBank->Find("cellcursor"), x, y, static_cast<float>(cell) * 40 / BaseCellSize);
}

std::shared_ptr<platform::ImageFont> FontOfSize(int size) {
    if (Resources.FontOfSize)
        if (auto font = Resources.FontOfSize(size)) return font;
    const std::pair<int, std::shared_ptr<platform::ImageFont>> ready[] = {
        {12, Resources.Font12}, {16, Resources.Font16}, {18, Resources.Font18},
        {20, Resources.Font20}, {25, Resources.Font25}, {34, Resources.Font34}};
    std::shared_ptr<platform::ImageFont> best;
    int distance = 1 << 20;
    for (const auto& [s, font] : ready)
        if (font && std::abs(s - size) < distance) best = font, distance = std::abs(s - size);
    return best;
}

void DrawCellDigit(const std::string& text, float x, float y, int cell) {
    auto font = FontOfSize(static_cast<int>(std::lround(34 * Unit(cell))));
    if (!font) return;
    platform::SetImageFont(font);
    WriteAt(text, x - static_cast<float>(font->TextWidth(text)) / 2, LineTopForInk(*font, text, y));
}

void DrawPencilMark(int digit, float x, float y, int cell, bool struck) {
    if (digit < 1 || digit > 9) return;
    // At least ten pixels of ink, which fills the smallest cells' tiles; larger
    // cells keep some air between the rows.
    auto font = FontOfSize(std::max(16, static_cast<int>(std::lround(12 * Unit(cell)))));
    if (!font) return;
    platform::SetImageFont(font);
    const float pitch = (static_cast<float>(cell) - 2 * Unit(cell)) / 3;
    const float cx = x + pitch * static_cast<float>((digit - 1) % 3 - 1);
    const float cy = y + pitch * static_cast<float>((digit - 1) / 3 - 1);
    const std::string text = std::to_string(digit);
    const float width = static_cast<float>(font->TextWidth(text));
    WriteAt(text, cx - width / 2, LineTopForInk(*font, text, cy));
    if (struck) {
        const float reach = pitch * 0.42f;
        ThickLine(cx - reach, cy + reach, cx + reach, cy - reach, std::max(1, static_cast<int>(Unit(cell))));
    }
}

void DrawClueNumber(int direction, const std::string& text, float x, float y, int cell) {
    const TClueLayout& l = ClueLayout(cell);
    auto font = FontOfSize(l.FontSize);
    if (!font) return;
    platform::SetImageFont(font);
    const float half = static_cast<float>(cell) / 2;
    const float inkHeight = static_cast<float>(l.InkHeight);
    if (direction == Vertical) {
        const float bottom = y + half - l.Pad;
        WriteAt(text, x - half + l.Pad, LineTopForInk(*font, "0123456789", bottom - inkHeight / 2));
    } else {
        const float top = y - half + l.Pad;
        WriteAt(text, x + half - l.Pad - static_cast<float>(font->TextWidth(text)),
                LineTopForInk(*font, "0123456789", top + inkHeight / 2));
    }
}

void DrawRunMark(int direction, int right, float x, float y, int cell) {
    const TClueLayout& l = ClueLayout(cell);
    if (l.Mark < 3) return;
    const float half = static_cast<float>(cell) / 2, m = l.Mark;
    float left, top;
    if (direction == Vertical) {
        // Above the down number, along the cell's left edge.
        left = x - half + l.Pad;
        top = y + half - l.Pad - static_cast<float>(l.InkHeight) - l.Gap - m;
    } else {
        // Below the across number, along the cell's right edge.
        left = x + half - l.Pad - m;
        top = y - half + l.Pad + static_cast<float>(l.InkHeight) + l.Gap;
    }
    const int thickness = std::max(1, static_cast<int>(std::lround(1.5f * Unit(cell))));
    if (right) {
        ThickLine(left, top + m * 0.55f, left + m * 0.38f, top + m, thickness);
        ThickLine(left + m * 0.38f, top + m, left + m, top, thickness);
    } else {
        ThickLine(left, top, left + m, top + m, thickness);
        ThickLine(left + m, top, left, top + m, thickness);
    }
}

bool InClueHalf(int direction, float px, float py, float x, float y, int cell) {
    const float half = static_cast<float>(cell) / 2;
    if (std::fabs(px - x) >= half || std::fabs(py - y) >= half) return false;
    // The fold runs from the top-left corner to the bottom-right one.
    const float below = (py - y) - (px - x);
    return direction == Vertical ? below > 0 : below < 0;
}
