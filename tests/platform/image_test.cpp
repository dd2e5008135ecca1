// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>

#include "tallyfold/platform/stream.h"
#include "test_support.h"

using namespace platform;

namespace {

class ImageTest : public tftest::GraphicsTest {};

// A 4 x 2 strip of 8 x 8 cells, cell n filled with (n * 30, 0, 0).
Pixmap Strip() {
    Pixmap p(32, 16);
    for (int cell = 0; cell < 8; ++cell)
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                p.WritePixel((cell % 4) * 8 + x, (cell / 4) * 8 + y, 0xFF000000u | (uint32_t(cell * 30) << 16));
    return p;
}

TEST(Pixmaps, PixelsCopiesAndPngRoundTrip) {
    tftest::TempDir dir;
    Pixmap p(5, 3);
    p.WritePixel(0, 0, 0xFF112233);
    p.WritePixel(4, 2, 0x80FFFFFF);
    p.WritePixel(5, 0, 0xFFFFFFFF);     // outside: ignored
    EXPECT_EQ(p.ReadPixel(-1, 0), 0u);  // outside: 0
    auto copy = p.Copy();
    p.WritePixel(0, 0, 0);
    EXPECT_EQ(copy->ReadPixel(0, 0), 0xFF112233u);

    ASSERT_TRUE(copy->SavePNG(dir / "shot.png"));
    auto back = LoadPixmap(dir / "shot.png");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Width(), 5);
    EXPECT_EQ(back->Height(), 3);
    EXPECT_EQ(back->ReadPixel(0, 0), 0xFF112233u);
    EXPECT_EQ(back->ReadPixel(4, 2), 0x80FFFFFFu);
    EXPECT_EQ(back->ReadPixel(1, 1), 0u);

    // The same bytes from memory, and the path in another letter case.
    auto bytes = LoadBytes(dir / "shot.png");
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(LoadPixmap(*bytes));
    EXPECT_TRUE(LoadImage(dir / "SHOT.PNG"));
    EXPECT_FALSE(Pixmap(0, 0).SavePNG(dir / "empty.png"));
    EXPECT_FALSE(copy->SavePNG(dir / "missing/folder/shot.png"));
}

TEST(Pixmaps, DamagedPicturesGiveNothing) {
    tftest::TempDir dir;
    Pixmap p(16, 16);
    for (int i = 0; i < 16; ++i) p.WritePixel(i, i, 0xFFFF0000);
    ASSERT_TRUE(p.SavePNG(dir / "good.png"));
    std::string good = tftest::ReadFile(dir / "good.png");

    EXPECT_FALSE(LoadImage(tftest::ToBytes(good.substr(0, good.size() / 2))));
    EXPECT_FALSE(LoadImage(tftest::ToBytes(good.substr(0, 30))));
    EXPECT_FALSE(LoadImage(std::vector<uint8_t>{}));
    EXPECT_FALSE(LoadImage(tftest::ToBytes("this is not a picture at all, just text")));
    EXPECT_FALSE(LoadImage(dir / "absent.png"));

    // A header claiming an enormous picture is refused before any decoding.
    std::string huge = good;
    huge[16] = 0x7F;  // width's high byte
    EXPECT_FALSE(LoadImage(tftest::ToBytes(huge)));
    std::string bmp = "BM" + std::string(24, '\0');
    bmp[18] = bmp[19] = bmp[20] = '\xFF';  // 16 million pixels wide
    bmp[22] = 1;
    EXPECT_FALSE(LoadImage(tftest::ToBytes(bmp)));
    std::string tga(18, '\0');
    tga[2] = 2;
    tga[12] = tga[13] = tga[14] = tga[15] = '\xFF';
    tga[16] = 32;
    EXPECT_FALSE(LoadImage(tftest::ToBytes(tga)));
    // A plausible TGA header with nothing behind it.
    tga[12] = 4, tga[13] = 0, tga[14] = 4, tga[15] = 0;
    EXPECT_FALSE(LoadImage(tftest::ToBytes(tga)));
    // The same header with its pixels decodes (BGRA, top-left origin).
    std::string pixels;
    for (int i = 0; i < 16; ++i) pixels += std::string("\x30\x20\x10\xFF", 4);
    tga[17] = 0x28;
    auto decoded = LoadPixmap(tftest::ToBytes(tga + pixels));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->ReadPixel(3, 3), 0xFF102030u);
    // A JPEG start marker and garbage.
    EXPECT_FALSE(LoadImage(tftest::ToBytes(std::string("\xFF\xD8\xFF\xC0\x00\x11\x08\xFF\xFF\xFF\xFF", 11))));
}

TEST(Images, AnimationStripsAreCutLeftToRightTopToBottom) {
    tftest::TempDir dir;
    ASSERT_TRUE(Strip().SavePNG(dir / "strip.png"));
    auto anim = LoadAnimImage(dir / "strip.png", 8, 8, 2, 5);
    ASSERT_TRUE(anim);
    EXPECT_EQ(anim->Width(), 8);
    EXPECT_EQ(anim->Height(), 8);
    ASSERT_EQ(anim->Frames(), 5);
    for (int f = 0; f < 5; ++f)
        EXPECT_EQ(anim->LockFrame(f).ReadPixel(3, 3), 0xFF000000u | (uint32_t((f + 2) * 30) << 16)) << f;

    auto bytes = LoadBytes(dir / "strip.png");
    EXPECT_TRUE(LoadAnimImage(*bytes, 8, 8, 0, 8));
    EXPECT_FALSE(LoadAnimImage(*bytes, 8, 8, 4, 5));  // runs past the last cell
    EXPECT_FALSE(LoadAnimImage(*bytes, 0, 8, 0, 1));
    EXPECT_FALSE(LoadAnimImage(*bytes, 64, 8, 0, 1));  // wider than the strip
    EXPECT_FALSE(LoadAnimImage(*bytes, 8, 8, -1, 2));
    EXPECT_FALSE(CreateImage(0, 5));
    EXPECT_FALSE(CreateImage(5, 5, 0));
    EXPECT_FALSE(CreateImage(100000, 100000));
}

TEST_F(ImageTest, LockedPixelsShowAfterUnlockAndSubRectanglesStretch) {
    auto img = CreateImage(4, 4);
    ASSERT_TRUE(img);
    DrawImage(img, 0, 0);  // makes the texture while still blank
    Pixmap& px = img->LockFrame(0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) px.WritePixel(x, y, x < 2 ? 0xFFFF0000 : 0xFF0000FF);
    img->UnlockFrame(0);
    DrawImage(img, 10, 10);
    EXPECT_EQ(Pixel(10, 10), 0xFF0000u);
    EXPECT_EQ(Pixel(13, 13), 0x0000FFu);

    // The right half of the frame stretched into a 20 x 10 rectangle; the
    // frame index must exist.
    img->SetHandle(2, 2);  // ignored by the sub-rectangle
    DrawSubImageRect(img, 100, 100, 20, 10, 2, 0, 2, 4, 0);
    EXPECT_EQ(Pixel(100, 100), 0x0000FFu);
    EXPECT_EQ(Pixel(119, 109), 0x0000FFu);
    EXPECT_EQ(Pixel(120, 105), 0u);
    DrawSubImageRect(img, 200, 200, 20, 10, 2, 0, 2, 4, 1);
    DrawImage(img, 200, 200, 7);
    EXPECT_EQ(Pixel(205, 205), 0u);

    // Grab the screen back into a frame.
    img->GrabFrame(100, 100, 0);
    EXPECT_EQ(img->LockFrame(0).ReadPixel(0, 0), 0xFF0000FFu);
    img->UnlockFrame(0);
    img->Precache();
}

// A loaded picture keeps only its file once its textures are made, and
// decodes it again whenever its pixels are wanted: every way of using it
// shows the same pixels before and after, also on a new renderer.
TEST_F(ImageTest, LoadedPicturesLookTheSameWithoutTheirPixelsInMemory) {
    tftest::TempDir dir;
    Pixmap strip = Strip();
    strip.WritePixel(31, 15, 0x40FFFFFFu);  // a faint corner: shown as alpha, hidden by the mask
    ASSERT_TRUE(strip.SavePNG(dir / "strip.png"));
    auto whole = LoadImage(dir / "strip.png");
    auto anim = LoadAnimImage(dir / "strip.png", 8, 8, 2, 5);
    ASSERT_TRUE(whole && anim);
    auto check = [&](const char* when) {
        SCOPED_TRACE(when);
        for (int round = 0; round < 2; ++round) {  // the second round draws from the textures alone
            Cls();
            DrawImage(whole, 0, 0);
            for (int f = 0; f < 5; ++f) DrawImage(anim, 100 + 10 * f, 0, f);
            EXPECT_NEAR(tftest::R(Pixel(31, 15)), 64, 2) << "the faint white over black";
            EXPECT_EQ(Pixel(12, 3), uint32_t(30) << 16);
            for (int f = 0; f < 5; ++f) EXPECT_EQ(Pixel(103 + 10 * f, 3), uint32_t((f + 2) * 30) << 16) << f;
        }
        SetBlend(MASKBLEND);  // a blend not drawn before needs the pixels again
        DrawImage(whole, 0, 100);
        tftest::ResetDrawState();
        EXPECT_EQ(Pixel(31, 115), 0u);
        EXPECT_EQ(Pixel(12, 103), uint32_t(30) << 16);
    };
    check("first use");
    ResetCollisions();
    EXPECT_TRUE(CollideImage(anim, 300, 300, 4, 0, 0x1, 5).empty());
    auto dot = ImageFromPixmap(tftest::Filled(1, 1, 0xFFFFFFFF), 0);
    EXPECT_EQ(CollideImage(dot, 307, 307, 0, 0x1, 0, 0), std::vector<int>{5});
    ResetCollisions();
    ASSERT_TRUE(Display().CreateGraphics(800, 600, 0, 0, GRAPHICS_BACKBUFFER));
    check("on a new renderer");
    EXPECT_EQ(anim->LockFrame(1).ReadPixel(0, 0), 0xFF000000u | (90u << 16));
    anim->LockFrame(1).WritePixel(0, 0, 0xFF00FF00u);
    anim->UnlockFrame(1);
    DrawImage(anim, 500, 0, 1);
    EXPECT_EQ(Pixel(500, 0), 0x00FF00u) << "changed pixels are the image's own";
}

TEST(Images, CollisionLayersTestOpaquePixelsOnly) {
    ResetCollisions();
    // A diagonal line: its bounding box is full of transparent pixels.
    Pixmap diag(10, 10);
    for (int i = 0; i < 10; ++i) diag.WritePixel(i, i, 0xFFFFFFFF);
    auto line = ImageFromPixmap(diag, 0);
    auto dot = ImageFromPixmap(tftest::Filled(2, 2, 0xFFFFFFFF), 0);

    EXPECT_TRUE(CollideImage(line, 100, 100, 0, 0, 0x1, 7).empty());
    EXPECT_TRUE(CollideImage(line, 200, 100, 0, 0, 0x2, 8).empty());
    // On the diagonal of the first line.
    EXPECT_EQ(CollideImage(dot, 104, 104, 0, 0x1, 0, 0), std::vector<int>{7});
    // Inside its box but off the line.
    EXPECT_TRUE(CollideImage(dot, 107, 101, 0, 0x1, 0, 0).empty());
    // The second line is only in layer 2.
    EXPECT_TRUE(CollideImage(dot, 204, 104, 0, 0x1, 0, 0).empty());
    EXPECT_EQ(CollideImage(dot, 204, 104, 0, 0x3, 0, 0), std::vector<int>{8});
    // Handles shift the tested position.
    dot->SetHandle(1, 1);
    EXPECT_EQ(CollideImage(dot, 105, 105, 0, 0x1, 0, 0), std::vector<int>{7});
    ResetCollisions(0x1);
    EXPECT_TRUE(CollideImage(dot, 105, 105, 0, 0x1, 0, 0).empty());
    EXPECT_EQ(CollideImage(dot, 205, 105, 0, 0x2, 0, 0), std::vector<int>{8});
    ResetCollisions();
}

}  // namespace
