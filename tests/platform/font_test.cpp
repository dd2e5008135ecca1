// SPDX-License-Identifier: GPL-3.0-or-later
#include "tallyfold/platform/font.h"
#include "tallyfold/platform/stream.h"
#include "test_support.h"

using namespace platform;

namespace {

const char* const kCarlito = "/usr/share/fonts/truetype/crosextra/Carlito-Regular.ttf";

class FontTest : public tftest::GraphicsTest {
protected:
    // Bounding box of the pixels that differ from black in a region.
    struct Box {
        int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1, count = 0, full = 0;
    };
    static Box Ink(int x, int y, int w, int h, uint32_t fullColour = 0) {
        Box b;
        auto p = GrabPixmap(x, y, w, h);
        for (int yy = 0; yy < h; ++yy)
            for (int xx = 0; xx < w; ++xx) {
                uint32_t c = p->ReadPixel(xx, yy) & 0xFFFFFF;
                if (!c) continue;
                ++b.count;
                if (c == fullColour) ++b.full;
                b.x0 = std::min(b.x0, x + xx);
                b.y0 = std::min(b.y0, y + yy);
                b.x1 = std::max(b.x1, x + xx);
                b.y1 = std::max(b.y1, y + yy);
            }
        return b;
    }
};

TEST(Fonts, MetricsAreWholePixelsAndAddUp) {
    auto font = LoadImageFont(kCarlito, 20);
    ASSERT_TRUE(font) << "fonts-crosextra-carlito is needed for this test";
    EXPECT_EQ(font->Size(), 20);
    EXPECT_GE(font->Height(), 20);
    EXPECT_LE(font->Height(), 30);
    EXPECT_EQ(font->TextWidth(""), 0);
    EXPECT_EQ(font->TextWidth("ab"), font->TextWidth("a") + font->TextWidth("b"));
    EXPECT_GT(font->TextWidth("WWW"), font->TextWidth("iii"));
    // Latin-1 letters are there, and text that is not UTF-8 still measures.
    EXPECT_GT(font->TextWidth("\xC3\xA9"), 0);
    EXPECT_GT(font->TextWidth(std::string("\xFF\xFE broken", 9)), 0);

    auto bold = LoadImageFont(kCarlito, 20, FONT_BOLD | FONT_SMOOTH);
    ASSERT_TRUE(bold);
    EXPECT_GE(bold->TextWidth("Bold text"), font->TextWidth("Bold text"));

    auto bytes = LoadBytes(kCarlito);
    ASSERT_TRUE(bytes);
    auto fromMemory = LoadImageFont(*bytes, 20);
    ASSERT_TRUE(fromMemory);
    EXPECT_EQ(fromMemory->TextWidth("Tallyfold"), font->TextWidth("Tallyfold"));

    SetImageFont(font);
    EXPECT_EQ(TextWidth("Tallyfold"), font->TextWidth("Tallyfold"));
    EXPECT_EQ(TextHeight("x"), font->Height());
    SetImageFont(nullptr);
    EXPECT_EQ(GetImageFont(), DefaultFont());
}

TEST(Fonts, DamagedFontsGiveNothing) {
    EXPECT_FALSE(LoadImageFont(std::vector<uint8_t>{}, 12));
    EXPECT_FALSE(LoadImageFont(tftest::ToBytes(std::string(5000, 'x')), 12));
    EXPECT_FALSE(LoadImageFont("/nonexistent/font.ttf", 12));
    EXPECT_FALSE(LoadImageFont(kCarlito, 0));
    EXPECT_FALSE(LoadImageFont(kCarlito, 100000));
    // A font cut short may open or not; it must not crash either way.
    auto bytes = LoadBytes(kCarlito);
    ASSERT_TRUE(bytes);
    for (size_t cut : {size_t(12), size_t(400), bytes->size() / 3}) {
        std::vector<uint8_t> part(bytes->begin(), bytes->begin() + static_cast<long>(cut));
        if (auto f = LoadImageFont(part, 14)) {
            EXPECT_GE(f->TextWidth("Hello"), 0);
        }
    }
}

TEST_F(FontTest, TextIsDrawnInTheColourInsideItsBox) {
    auto font = LoadImageFont(kCarlito, 24);
    ASSERT_TRUE(font);
    SetImageFont(font);
    SetColor(255, 0, 0);
    DrawText("Hello", 100, 100);
    Box b = Ink(90, 90, 200, 60);
    ASSERT_GT(b.count, 50);
    EXPECT_GE(b.x0, 100);
    EXPECT_GE(b.y0, 100);
    EXPECT_LE(b.x1, 100 + TextWidth("Hello"));
    EXPECT_LE(b.y1, 100 + TextHeight("Hello"));
    auto p = GrabPixmap(b.x0, b.y0, b.x1 - b.x0 + 1, b.y1 - b.y0 + 1);
    for (int y = 0; y < p->Height(); ++y)
        for (int x = 0; x < p->Width(); ++x) {
            uint32_t c = p->ReadPixel(x, y);
            EXPECT_EQ(c & 0x00FFFF, 0u) << "only red ink";
        }

    // Scaled twice: twice as wide on screen, same measured width.
    Cls();
    SetColor(255, 255, 255);
    SetScale(2, 2);
    DrawText("Hello", 100, 100);
    Box big = Ink(90, 90, 400, 120);
    EXPECT_NEAR(big.x1 - big.x0, 2 * (b.x1 - b.x0), 4);
    SetScale(1, 1);

    // Solid text is the glyphs' shapes in full colour, never their boxes.
    Cls();
    SetBlend(SOLIDBLEND);
    SetColor(0, 255, 0);
    DrawText("Hello", 100, 100);
    Box solid = Ink(90, 90, 200, 60, 0x00FF00);
    EXPECT_EQ(solid.count, solid.full);
    EXPECT_LT(solid.count, (solid.x1 - solid.x0 + 1) * (solid.y1 - solid.y0 + 1) / 2);

    // Characters the font lacks and broken UTF-8 draw something harmless.
    Cls();
    SetBlend(ALPHABLEND);
    DrawText("\xE4\xB8\xAD \xF0\x9F\x98\x80 \xFF", 10, 10);
    DrawText("", 10, 10);
}

TEST_F(FontTest, BuiltinFontAlwaysDraws) {
    auto blocky = BuiltinFont();
    ASSERT_TRUE(blocky);
    EXPECT_EQ(blocky->TextWidth("abc"), 3 * blocky->TextWidth("a"));
    EXPECT_GT(blocky->Height(), 10);
    SetImageFont(blocky);
    DrawText("A1 \xC3\xA9?", 50, 50);
    Box b = Ink(40, 40, 120, 40);
    EXPECT_GT(b.count, 20);
    EXPECT_LE(b.x1, 50 + blocky->TextWidth("A1 \xC3\xA9?"));

    auto def = DefaultFont();
    ASSERT_TRUE(def);
    EXPECT_GT(def->Height(), 0);
    SetImageFont(nullptr);
    Cls();
    DrawText("default", 10, 10);
    EXPECT_GT(Ink(0, 0, 200, 40).count, 10);
}

}  // namespace
