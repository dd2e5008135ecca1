// SPDX-License-Identifier: GPL-3.0-or-later
// A picture with a double-size companion: on a canvas twice the logical size
// the window shows the companion's own pixels, on the logical canvas the 1x
// picture, and a companion of the wrong size is left unused with a word why.
#include <SDL.h>

#include <random>
#include <string>
#include <vector>

#include "test_support.h"

using namespace platform;

namespace {

// Opaque noise: any resampling or mix-up with the 1x picture shows.
Pixmap Noise(int w, int h, unsigned seed) {
    std::mt19937 rng(seed);
    Pixmap p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.WritePixel(x, y, 0xFF000000u | (rng() & 0xFFFFFF));
    return p;
}

uint32_t WindowPixel(SDL_Surface* s, int x, int y) {
    return static_cast<const uint32_t*>(s->pixels)[static_cast<size_t>(y) * (s->pitch / 4) + x] & 0xFFFFFF;
}

class DoubleSizeTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDisplayDevice(nullptr);
        ASSERT_TRUE(Display().CreateGraphics(800, 600, 0, 60, GRAPHICS_BACKBUFFER));
        window_ = SDL_GetWindowFromID(static_cast<Uint32>(Display().WindowHandle()));
        ASSERT_NE(window_, nullptr);
        SetImageProblemHook([this](const std::string& text) { problems_.push_back(text); });
    }
    void TearDown() override {
        SetImageProblemHook(nullptr);
        if (window_) Resize(800, 600);
        ASSERT_TRUE(Display().CreateGraphics(800, 600, 0, 0, GRAPHICS_BACKBUFFER));
    }
    void Resize(int w, int h) {
        SDL_SetWindowSize(window_, w, h);
        SDL_PumpEvents();
    }
    // Draws the frame with its top-left corner at logical (x, y) on black and
    // counts the window pixels of its area (k window pixels per logical one)
    // that differ from `expected`, a picture of the area's size in window pixels.
    int Mismatches(const std::shared_ptr<Image>& image, int frame, int x, int y, int k, const Pixmap& expected) {
        tftest::ResetDrawState();
        Cls();
        SetBlend(SOLIDBLEND);
        DrawImage(image, static_cast<float>(x), static_cast<float>(y), frame);
        Flip(0);
        SDL_Surface* shown = SDL_GetWindowSurface(window_);
        int wrong = 0;
        for (int py = 0; py < expected.Height(); ++py)
            for (int px = 0; px < expected.Width(); ++px)
                wrong += WindowPixel(shown, x * k + px, y * k + py) != (expected.ReadPixel(px, py) & 0xFFFFFF);
        return wrong;
    }

    SDL_Window* window_ = nullptr;
    std::vector<std::string> problems_;
    tftest::TempDir dir_;
};

TEST_F(DoubleSizeTest, ACanvasTwiceTheSizeShowsTheCompanionsPixels) {
    const Pixmap one = tftest::Filled(20, 10, 0xFF808080), two = Noise(40, 20, 7);
    ASSERT_TRUE(one.SavePNG(dir_ / "logo.png"));
    ASSERT_TRUE(two.SavePNG(dir_ / "logo@2x.png"));
    auto image = LoadImage(dir_ / "logo.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Width(), 20);
    EXPECT_EQ(image->Height(), 10);

    EXPECT_EQ(Mismatches(image, 0, 30, 20, 1, one), 0) << "the logical canvas draws the 1x picture";
    Resize(1600, 1200);
    EXPECT_EQ(Mismatches(image, 0, 30, 20, 2, two), 0);
    // Asked for in other letter case, as a button asks for its pictures again
    // by its upper-cased name, the picture still brings its companion.
    auto again = LoadImage(dir_ / "LOGO.png");
    ASSERT_TRUE(again);
    EXPECT_EQ(Mismatches(again, 0, 30, 20, 2, two), 0) << "a picture found case-blind lost its companion";
    Resize(800, 600);
    EXPECT_EQ(Mismatches(image, 0, 30, 20, 1, one), 0);
    EXPECT_TRUE(problems_.empty());

    // Pixels the program changes leave the companion behind.
    Pixmap& pixels = image->LockFrame(0);
    pixels = tftest::Filled(20, 10, 0xFF204060);
    image->UnlockFrame(0);
    Resize(1600, 1200);
    EXPECT_EQ(Mismatches(image, 0, 30, 20, 2, tftest::Filled(40, 20, 0xFF204060)), 0);
}

TEST_F(DoubleSizeTest, AnAnimationTakesItsCellsFromTheCompanionsStrip) {
    // Three cells of 8 x 6 in a row of two; frames are cells 1 and 2.
    Pixmap one = tftest::Filled(16, 12, 0xFF808080);
    const Pixmap two = Noise(32, 24, 11);
    ASSERT_TRUE(one.SavePNG(dir_ / "digits.png"));
    ASSERT_TRUE(two.SavePNG(dir_ / "digits@2x.png"));
    auto image = LoadAnimImage(dir_ / "digits.png", 8, 6, 1, 2);
    ASSERT_TRUE(image);
    Resize(1600, 1200);
    for (int frame = 0; frame < 2; ++frame) {
        const int cell = 1 + frame, ox = (cell % 2) * 16, oy = (cell / 2) * 12;
        Pixmap expected(16, 12);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 16; ++x) expected.WritePixel(x, y, two.ReadPixel(ox + x, oy + y));
        EXPECT_EQ(Mismatches(image, frame, 100 + frame * 20, 50, 2, expected), 0) << "frame " << frame;
    }
    EXPECT_TRUE(problems_.empty());
}

TEST_F(DoubleSizeTest, ACompanionOfTheWrongSizeIsLeftUnusedWithAWordWhy) {
    const Pixmap one = tftest::Filled(20, 10, 0xFF808080);
    ASSERT_TRUE(one.SavePNG(dir_ / "play.png"));
    ASSERT_TRUE(Noise(41, 20, 3).SavePNG(dir_ / "play@2x.png"));
    auto image = LoadImage(dir_ / "play.png");
    ASSERT_TRUE(image);
    ASSERT_EQ(problems_.size(), 1u);
    EXPECT_NE(problems_[0].find("play@2x.png"), std::string::npos) << problems_[0];
    EXPECT_NE(problems_[0].find("41 x 20"), std::string::npos) << problems_[0];
    Resize(1600, 1200);
    EXPECT_EQ(Mismatches(image, 0, 30, 20, 2, tftest::Filled(40, 20, 0xFF808080)), 0);

    // Bytes that are no picture at all, attached by hand.
    EXPECT_FALSE(AttachDoubleSize(image, tftest::ToBytes("not a picture"), "junk"));
    EXPECT_EQ(problems_.size(), 2u);
    // A strip made in memory has no layout to cut a companion by.
    auto strip = CreateImage(4, 4, 3);
    EXPECT_FALSE(AttachDoubleSize(strip, std::vector<uint8_t>(), "strip"));
}

TEST(DoubleSizeNames, OnlyPngPicturesHaveACompanion) {
    EXPECT_EQ(DoubleSizeName("menus/play.png"), "menus/play@2x.png");
    EXPECT_EQ(DoubleSizeName("A.PNG"), "A@2x.PNG");
    EXPECT_EQ(DoubleSizeName("dir.png/file"), "");
    EXPECT_EQ(DoubleSizeName("shot.jpg"), "");
    EXPECT_EQ(DoubleSizeName("menus/play@2x.png"), "");
    EXPECT_EQ(DoubleSizeName("noext"), "");
}

}  // namespace
