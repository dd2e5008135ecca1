// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/paths/errors.h"
#include "framework/widgets/bitmap_font.h"
#include "framework/widgets/font.h"
#include "framework/widgets/sprite.h"
#include "scratch_dir.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/font.h"
#include "tallyfold/platform/stream.h"
#include "widget_support.h"

namespace {
const char* const kCarlito = "/usr/share/fonts/truetype/crosextra/Carlito-Regular.ttf";

const std::string kDescription =
    "info face=\"Test\" size=32\n"
    "common lineHeight=32 base=26 scaleW=256 scaleH=128 pages=1\n"
    "page id=0 file=\"test.png\"\n"
    "chars count=3\n"
    "char id=65   x=0     y=0     width=10    height=20    xoffset=1     yoffset=2     xadvance=12    page=0\n"
    "char id=66   x=10    y=0     width=10    height=20    xoffset=0     yoffset=2     xadvance=11    page=0\n"
    "char id=300  x=20    y=0     width=8     height=16    xoffset=0     yoffset=4     xadvance=9     page=0\n"
    "kerning first=65 second=66 amount=-1\n"
    "char id=67   x=30    y=0     width=10    height=20    xoffset=0     yoffset=2     xadvance=11    page=0\n";

std::shared_ptr<TBitmapFont> FontFrom(const std::string& text, int yOffsetAdjust = 0) {
    auto font = std::make_shared<TBitmapFont>();
    auto stream = platform::CreateMemoryStream(std::vector<uint8_t>(text.begin(), text.end()));
    font->ReadDescription(*stream, yOffsetAdjust);
    return font;
}

std::string CharLine(int id, int xadvance, int height = 20) {
    return "char id=" + std::to_string(id) + "   x=0     y=0     width=10    height=" + std::to_string(height) +
           "    xoffset=0     yoffset=0     xadvance=" + std::to_string(xadvance) + "\n";
}

struct Box {
    int x0 = 800, y0 = 600, x1 = -1, y1 = -1;
    bool Empty() const { return x1 < 0; }
    double CentreX() const { return (x0 + x1 + 1) / 2.0; }
    int Width() const { return x1 - x0 + 1; }
};

// The box of the pixels whose colour passes the test.
template <class Test>
Box Find(Test test) {
    Box box;
    auto shot = platform::GrabPixmap(0, 0, 800, 600);
    if (!shot) return box;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            if (test(shot->ReadPixel(x, y) & 0xFFFFFF)) {
                box.x0 = std::min(box.x0, x);
                box.y0 = std::min(box.y0, y);
                box.x1 = std::max(box.x1, x);
                box.y1 = std::max(box.y1, y);
            }
    return box;
}
}  // namespace

using FontTest = FrameworkTest;

TEST(TextLines, SplitAndWrap) {
    EXPECT_EQ(SplitLines("one\r\ntwo\n\nthree"), (std::vector<std::string>{"one", "two", "", "three"}));
    EXPECT_EQ(SplitLines(""), (std::vector<std::string>{""}));

    platform::SetImageFont(platform::BuiltinFont());  // 12 pixels per character
    // The first two words just fit: 5 characters, 60 pixels.
    EXPECT_EQ(WordWrapLines({"ab cd ef"}, 60, nullptr, 1.0f), (std::vector<std::string>{"ab cd", "ef"}));
    EXPECT_EQ(WordWrapLines({"ab cd ef"}, 59, nullptr, 1.0f), (std::vector<std::string>{"ab", "cd", "ef"}));
    // Scale counts; double, leading and trailing spaces separate nothing.
    EXPECT_EQ(WordWrapLines({"ab cd ef"}, 60, nullptr, 2.0f), (std::vector<std::string>{"ab", "cd", "ef"}));
    EXPECT_EQ(WordWrapLines({" ab  cd ", "", "abcdefghij x"}, 60, nullptr, 1.0f),
              (std::vector<std::string>{"ab cd", "", "abcdefghij", "x"}));
    platform::SetImageFont(nullptr);

    auto font = FontFrom(kDescription);
    EXPECT_EQ(WordWrapLines({"AB AB AB"}, 40, font, 1.0f), (std::vector<std::string>{"AB", "AB", "AB"}));
}

TEST(BitmapFontTest, DescriptionWithoutScaleLineAndExtraSlots) {
    auto font = FontFrom(kDescription, 3);
    EXPECT_DOUBLE_EQ(font->ScaleFactor, 1.0);
    EXPECT_DOUBLE_EQ(font->TextureW, 256);
    EXPECT_DOUBLE_EQ(font->TextureH, 128);
    EXPECT_EQ(font->NumChars, 3);
    EXPECT_EQ(font->NumExtraChars, 1);
    EXPECT_DOUBLE_EQ(font->xPos[66], 10);
    EXPECT_DOUBLE_EQ(font->width[65], 10);
    EXPECT_DOUBLE_EQ(font->xOffset[65], 1);
    EXPECT_DOUBLE_EQ(font->yOffset[65], 5);
    EXPECT_DOUBLE_EQ(font->xAdvance[66], 11);
    // An id of 300 takes the first extra slot.
    EXPECT_EQ(font->FindChar(300), 256);
    EXPECT_EQ(font->ID[256], 300);
    EXPECT_EQ(font->FindChar(301), 0);
    // Nothing after the kerning records is read.
    EXPECT_DOUBLE_EQ(font->xAdvance[67], 0);

    EXPECT_DOUBLE_EQ(font->StringWidth("AB"), 23);
    EXPECT_DOUBLE_EQ(font->StringWidth("A\xC4\xAC"), 21);  // U+012C is 300
    font->CharGap = 2;
    EXPECT_DOUBLE_EQ(font->StringWidth("AB"), 25);
    font->CharGap = 0;
    // Heights over one less than their count, as the line height is measured.
    EXPECT_DOUBLE_EQ(font->StringHeight("AB"), 40);
    EXPECT_DOUBLE_EQ(font->StringHeight("A"), 20);
    EXPECT_DOUBLE_EQ(font->StringHeight(""), 0);
    EXPECT_EQ(font->TruncateString("ABAB", 24), "AB");
    EXPECT_EQ(font->TruncateString("A\xC4\xAC"
                                   "B",
                                   21),
              "A\xC4\xAC");
}

TEST(BitmapFontTest, ScaleLineAndUnsafeValues) {
    auto scaled = FontFrom("ScaleF=2.5\n" + kDescription);
    EXPECT_DOUBLE_EQ(scaled->ScaleFactor, 2.5);
    EXPECT_DOUBLE_EQ(scaled->StringWidth("AB"), 23 * 2.5);
    EXPECT_DOUBLE_EQ(FontFrom("SCALEF=1.5\n" + kDescription)->ScaleFactor, 1.5);
    EXPECT_DOUBLE_EQ(FontFrom("scaleF=0\n" + kDescription)->ScaleFactor, 1.0);
    EXPECT_DOUBLE_EQ(FontFrom("scaleF=-3\n" + kDescription)->ScaleFactor, 1.0);

    std::string header = "info\ncommon scaleW=64 scaleH=64\n";
    // A key beyond the 8-bit position limit is not there; negative sizes are empty.
    auto font = FontFrom(header + std::string(260, ' ') + CharLine(70, 9) +
                         "char id=71 x=0 y=0 width=-5  height=-9  xoffset=0 yoffset=0 xadvance=7\n" +
                         "char id=0 x=0 y=0 width=5 height=5 xadvance=7\nnothing here\n");
    EXPECT_DOUBLE_EQ(font->xAdvance[70], 0);
    EXPECT_DOUBLE_EQ(font->width[71], 0);
    EXPECT_DOUBLE_EQ(font->height[71], 0);
    EXPECT_DOUBLE_EQ(font->xAdvance[71], 7);
    EXPECT_EQ(font->NumChars, 1);

    // Many extra characters grow the arrays; a repeated id keeps its slot.
    std::string many = header;
    for (int id = 1000; id < 1150; ++id) many += CharLine(id, id - 990);
    many += CharLine(1000, 99);
    auto big = FontFrom(many);
    EXPECT_EQ(big->NumExtraChars, 150);
    EXPECT_GE(big->ArraySize, 406);
    EXPECT_EQ(big->FindChar(1149), 256 + 149);
    EXPECT_DOUBLE_EQ(big->xAdvance[256], 99);
}

TEST_F(FontTest, BitmapFontFilesMustExist) {
    ScratchDir dir;
    try {
        TBitmapFont::Create(dir / "glyphs", -1, 0, 0, ".png");
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(std::string(e.what()), "Error loading bitmap " + dir / "glyphs.png");
    }
    WritePng(dir / "glyphs.png", 64, 32);
    try {
        TBitmapFont::Create(dir / "glyphs", -1, 0, 0, ".png");
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(std::string(e.what()), "Error loading file " + dir / "glyphs.fnt");
    }
    WriteBytes(dir / "glyphs.fnt", kDescription);
    platform::SetAutoMidHandle(true);
    auto font = TBitmapFont::Create(dir / "glyphs", -1, 0, 0, ".png");
    EXPECT_TRUE(platform::AutoMidHandle());
    platform::SetAutoMidHandle(false);
    EXPECT_FLOAT_EQ(font->Image->HandleX(), 0.0f);
    EXPECT_EQ(font->FindChar(300), 256);
    EXPECT_EQ(font->CalcVRAM(), 64 * 4 * 32);
}

TEST_F(FontTest, FontsApplyTheirColourShadowAndFont) {
    auto imageFont = platform::BuiltinFont();
    auto font = TFont::Create(imageFont, TColor::Create(10, 20, 30, 0.5f), TShadow::Create(2, 3, 0.25f), 0, nullptr,
                              TColor::Create(1, 2, 3, 1), "body");
    EXPECT_FLOAT_EQ(font->H, static_cast<float>(imageFont->Height()));
    font->Apply();
    int r, g, b;
    platform::GetColor(r, g, b);
    EXPECT_EQ(r, 10);
    EXPECT_FLOAT_EQ(platform::GetAlpha(), 0.5f);
    EXPECT_FLOAT_EQ(TextStyle.ShadowX, 2.0f);
    EXPECT_FLOAT_EQ(TextStyle.ShadowY, 3.0f);
    EXPECT_FLOAT_EQ(TextStyle.ShadowAlpha, 0.25f);
    EXPECT_FLOAT_EQ(TextStyle.Alpha, 0.5f);
    EXPECT_EQ(platform::GetImageFont(), imageFont);
    font->ApplyInverse();
    platform::GetColor(r, g, b);
    EXPECT_EQ(b, 3);

    auto bitmap = TFont::Create(nullptr, nullptr, nullptr, 0, FontFrom(kDescription), nullptr, "bitmap");
    EXPECT_FLOAT_EQ(bitmap->H, 40.0f);
    bitmap->ApplyScale(2);
    EXPECT_DOUBLE_EQ(bitmap->BitmapFont->ScaleFactor, 2.0);
    bitmap->RestoreScale();
    EXPECT_DOUBLE_EQ(bitmap->BitmapFont->ScaleFactor, 1.0);

    SetTextShadow(1, 1, 0.5f);
    TextStyle.Alpha = 1;
    platform::SetImageFont(nullptr);
    TColor::Restore();
}

TEST_F(FontTest, LabelsMeasureWrapAndLeaveTheRestingState) {
    auto label = TLabel::CreateSpecial("ab cd ef", 400, 100, 1, 60, 0);
    label->Init(platform::BuiltinFont(), label->Color, TShadow::Create(1, 1, 0.5f), 0, nullptr, nullptr, "label");
    EXPECT_EQ(label->Color->R, 255);
    EXPECT_FLOAT_EQ(label->CalcWidth(), 96.0f);
    label->PreCalcWordWrap();
    EXPECT_EQ(label->TextArray, (std::vector<std::string>{"ab cd", "ef"}));
    EXPECT_EQ(label->LineGap, platform::BuiltinFont()->Height());
    EXPECT_FLOAT_EQ(label->H, 2.0f * static_cast<float>(label->LineGap));
    label->SetLineGap(30);
    EXPECT_FLOAT_EQ(label->CalcHeight(), 60.0f);
    label->AutoScale(48);
    EXPECT_FLOAT_EQ(label->Scale, 0.5f);
    EXPECT_FLOAT_EQ(label->CalcHeight(), 30.0f);

    label->Alpha = 0.5f;
    platform::SetScale(1, 1);
    EXPECT_EQ(label->Draw(0, 0, 1), 1);
    ExpectRestingDrawState();
    EXPECT_FLOAT_EQ(TextStyle.Alpha, 1.0f);
    label->WordWrap = 0;
    label->CentreVertically = 1;
    label->Draw(5, 5, 0);
    ExpectRestingDrawState();
    label->Visible = 0;
    EXPECT_EQ(label->Draw(0, 0, 1), 0);
    platform::SetImageFont(nullptr);
}

using TextPixels = GraphicsFixture;

TEST_F(TextPixels, CentredLabelStaysCentredWhenScaled) {
    auto carlito = platform::LoadImageFont(std::string(kCarlito), 25);
    if (!carlito) GTEST_SKIP() << "no Carlito font";
    auto label = TLabel::CreateSpecial("Centred", 400, 200, 1, 0, 0);
    label->Init(carlito, label->Color, nullptr, 0, nullptr, nullptr, "label");
    label->RoundCoords = 0;
    label->Draw(0, 0, 1);
    Box one = Find([](uint32_t c) { return Red(c) > 128; });
    platform::Cls();
    label->Scale = 2;
    label->Draw(0, 0, 1);
    Box two = Find([](uint32_t c) { return Red(c) > 128; });
    ASSERT_FALSE(one.Empty());
    ASSERT_FALSE(two.Empty());
    EXPECT_NEAR(one.CentreX(), 400, 2);
    EXPECT_NEAR(two.CentreX(), 400, 3);
    EXPECT_NEAR(two.Width(), 2 * one.Width(), 4);
    ExpectRestingDrawState();

    // Right-aligned text ends at its anchor at any scale.
    platform::Cls();
    label->Alignment = 2;
    label->Draw(0, 0, 1);
    Box right = Find([](uint32_t c) { return Red(c) > 128; });
    EXPECT_NEAR(right.x1, 400, 6);  // the last glyph's side bearing, doubled
    platform::SetImageFont(nullptr);
}

TEST_F(TextPixels, LabelAlphaIsTheProductOfItsAlphaAndColour) {
    auto carlito = platform::LoadImageFont(std::string(kCarlito), 34);
    if (!carlito) GTEST_SKIP() << "no Carlito font";
    auto label = TLabel::CreateSpecial("IIII", 100, 100, 0, 0, 0);
    label->Init(carlito, TColor::Create(255, 255, 255, 0.5f), nullptr, 0, nullptr, nullptr, "label");
    label->Alpha = 0.5f;
    label->Draw(0, 0, 1);
    Box text = Find([](uint32_t c) { return Red(c) > 20; });
    ASSERT_FALSE(text.Empty());
    int brightest = 0;
    for (int y = text.y0; y <= text.y1; ++y)
        for (int x = text.x0; x <= text.x1; ++x) brightest = std::max(brightest, Red(Pixel(x, y)));
    EXPECT_NEAR(brightest, 64, 6);
    ExpectRestingDrawState();
    platform::SetImageFont(nullptr);
}

TEST_F(TextPixels, DefaultShadowIsOnePixelDownRightAtHalfStrength) {
    auto carlito = platform::LoadImageFont(std::string(kCarlito), 34);
    if (!carlito) GTEST_SKIP() << "no Carlito font";
    platform::SetImageFont(carlito);
    platform::SetClsColor(200, 200, 200);
    platform::Cls();
    platform::SetColor(255, 255, 255);
    DrawTextLeft("IIII", 100, 100, 1, 1);
    Box white = Find([](uint32_t c) { return Red(c) > 230; });
    Box shadow = Find([](uint32_t c) { return Red(c) < 150; });
    ASSERT_FALSE(white.Empty());
    ASSERT_FALSE(shadow.Empty());
    EXPECT_EQ(shadow.x1, white.x1 + 1);
    EXPECT_EQ(shadow.y1, white.y1 + 1);
    // Where the shadow shows fully it is the background at half strength.
    int darkest = 255;
    for (int y = shadow.y0; y <= shadow.y1; ++y)
        for (int x = shadow.x0; x <= shadow.x1; ++x) darkest = std::min(darkest, Red(Pixel(x, y)));
    EXPECT_NEAR(darkest, 100, 6);
    ExpectRestingDrawState();
    platform::SetImageFont(nullptr);
}
