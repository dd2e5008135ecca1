// SPDX-License-Identifier: GPL-3.0-or-later
// A flip draws again only what changed since the last frame and shows only
// that. Checked against references made separately: every frame of a long
// random sequence, in the window at several sizes, must equal the same frame
// drawn from nothing, pixel for pixel.
#include <SDL.h>

#include <cstdlib>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "tallyfold/platform/font.h"
#include "test_support.h"

using namespace platform;

namespace {

constexpr int kFrames = 90;
constexpr uint32_t kPoison = 0xFF00FF;

// Noise, the hardest picture for a scaler to hide an error in.
std::shared_ptr<Image> NoiseImage(int w, int h, unsigned seed, bool alpha) {
    std::mt19937 rng(seed);
    Pixmap p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t a = alpha ? (rng() & 0xFF) : 0xFF;
            p.WritePixel(x, y, (a << 24) | (rng() & 0xFFFFFF));
        }
    return ImageFromPixmap(p, -1);
}

// Noise in a small patch off the centre of a wide transparent picture, as a
// heading with empty margins: a copy only reaches as far as its visible part,
// so a mistake in that reach leaves stale pixels behind.
std::shared_ptr<Image> FramedImage(unsigned seed) {
    std::mt19937 rng(seed);
    Pixmap p(90, 70);
    for (int y = 21; y < 40; ++y)
        for (int x = 50; x < 73; ++x)
            p.WritePixel(x, y, (std::max<uint32_t>(1, rng() & 0xFF) << 24) | (rng() & 0xFFFFFF));
    auto image = ImageFromPixmap(p, -1);
    image->MidHandle();
    return image;
}

// Frame i of the sequence. Item k changes every (2 + k % 5)th frame, so a few
// change each time and the rest stay; nothing comes near the top-left corner.
void DrawScene(int i, const std::vector<int>& items, const std::shared_ptr<Image>& background,
               const std::shared_ptr<Image>& sprite, const std::shared_ptr<Image>& framed) {
    tftest::ResetDrawState();
    SetBlend(SOLIDBLEND);
    DrawImage(background, 0, 0);
    for (int k : items) {
        const int epoch = (i + k) / (2 + k % 5);
        std::mt19937 rng(static_cast<unsigned>(k * 7919 + epoch * 104729));
        auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
        const float x = uniform(100, 660), y = uniform(100, 480);
        SetColor(static_cast<int>(rng() % 256), static_cast<int>(rng() % 256), static_cast<int>(rng() % 256));
        SetAlpha(uniform(0.2f, 1.0f));
        SetBlend(ALPHABLEND);
        // Every other pass through the kinds of copy uses the framed picture.
        const auto& picture = (k / 10) % 2 ? framed : sprite;
        switch (k % 10) {
            case 0:
                DrawRect(x, y, uniform(4, 90), uniform(4, 60));
                break;
            case 1: {
                const float scale = (rng() % 2) ? 1.0f : uniform(0.5f, 2.0f);
                SetScale(scale, scale);
                DrawImage(picture, x, y);
                break;
            }
            case 2:
                SetBlend(LIGHTBLEND);
                DrawImage(picture, x, y);
                break;
            case 3:
                DrawText("Tally " + std::to_string(epoch), x, y);
                break;
            case 4:
                DrawOval(x, y, uniform(4, 70), uniform(4, 70));
                break;
            case 5:
                DrawLine(x, y, x + uniform(-80, 80), y + uniform(-80, 80));
                break;
            case 6:
                SetRotation(uniform(0, 360));
                DrawImage(picture, x, y);
                break;
            case 7:
                SetViewport(static_cast<int>(x), static_cast<int>(y), 50, 30);
                DrawRect(x - 20, y - 20, 120, 90);
                break;
            case 8:
                // Mirrored, through the blends that keep transparent pixels out.
                SetBlend(rng() % 2 ? SHADEBLEND : MASKBLEND);
                SetScale(-uniform(0.5f, 2.5f), rng() % 2 ? 1.0f : -1.5f);
                DrawImage(picture, x, y);
                break;
            case 9:
                // A part of the picture, stretched.
                SetBlend(rng() % 2 ? LIGHTBLEND : ALPHABLEND);
                DrawSubImageRect(picture, x, y, uniform(10, 120), uniform(10, 90), uniform(-10, 60), uniform(-10, 40),
                                 uniform(5, 40), uniform(5, 40));
                break;
        }
    }
    tftest::ResetDrawState();
}

uint32_t WindowPixel(SDL_Surface* s, int x, int y) {
    return static_cast<const uint32_t*>(s->pixels)[static_cast<size_t>(y) * (s->pitch / 4) + x] & 0xFFFFFF;
}

std::vector<uint32_t> WindowPixels(SDL_Surface* s) {
    std::vector<uint32_t> out;
    out.reserve(static_cast<size_t>(s->w) * s->h);
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) out.push_back(WindowPixel(s, x, y));
    return out;
}

// Puts the window back at the logical size for the tests that follow, however
// the test ends.
struct WindowSizeRestorer {
    SDL_Window* window;
    ~WindowSizeRestorer() {
        SDL_SetWindowSize(window, 800, 600);
        SDL_PumpEvents();
    }
};

// The window at each of its sizes: the canvas is the window's fitted area in
// real pixels, and a scale that is not a whole number must not leave seams
// between the parts drawn again, nor let them overlap.
struct WindowCase {
    const char* name;
    bool fullScreen;
    int w, h;  // 0: as made
};

class FramesAtSize : public ::testing::TestWithParam<WindowCase> {};

TEST_P(FramesAtSize, EveryFrameEqualsTheSameFrameDrawnFromNothing) {
    const WindowCase& size = GetParam();
    SetDisplayDevice(nullptr);
    // Full screen: the headless desktop (1024 x 768).
    ASSERT_TRUE(Display().CreateGraphics(800, 600, size.fullScreen ? 32 : 0, 60, GRAPHICS_BACKBUFFER));
    SDL_Window* window = SDL_GetWindowFromID(static_cast<Uint32>(Display().WindowHandle()));
    ASSERT_NE(window, nullptr);
    const WindowSizeRestorer restorer{window};
    if (size.w > 0) {
        SDL_SetWindowSize(window, size.w, size.h);
        SDL_PumpEvents();
    }
    auto background = NoiseImage(800, 600, 1, false);
    auto sprite = NoiseImage(37, 29, 2, true);
    sprite->MidHandle();
    auto framed = FramedImage(3);

    // A crowded scene, where changes meet and areas merge, and a sparse one of
    // framed pictures only, where a copy reaching too short leaves its old
    // pixels in a place nothing else redraws.
    std::vector<int> crowded(60), sparse;
    std::iota(crowded.begin(), crowded.end(), 0);
    for (int k : crowded)
        if ((k / 10) % 2 && (k % 10 == 1 || k % 10 == 2 || k % 10 == 6 || k % 10 == 8 || k % 10 == 9))
            sparse.push_back(k);
    for (const auto& items : {crowded, sparse}) {
        SCOPED_TRACE(items.size() == crowded.size() ? "crowded" : "sparse");
        int partial = 0;
        for (int i = 0; i < kFrames; ++i) {
            // The frame as the sequence reaches it, from the one before.
            SDL_Surface* shown = SDL_GetWindowSurface(window);
            ASSERT_NE(shown, nullptr);
            static_cast<uint32_t*>(shown->pixels)[0] = kPoison;
            DrawScene(i, items, background, sprite, framed);
            Flip(0);
            auto stepped = GrabPixmap(0, 0, 800, 600);
            ASSERT_TRUE(stepped);
            shown = SDL_GetWindowSurface(window);
            const bool sentWhole = WindowPixel(shown, 0, 0) != kPoison;
            partial += sentWhole ? 0 : 1;
            std::vector<uint32_t> steppedWindow = WindowPixels(shown);
            steppedWindow[0] = 0;

            // The same frame drawn from nothing: a frame that shares nothing with
            // it comes first, so every command is drawn again and the whole
            // canvas goes to the window.
            SetClsColor(255, 0, 0);
            Cls();
            Flip(0);
            SetClsColor(0, 0, 0);
            DrawScene(i, items, background, sprite, framed);
            Flip(0);
            auto fresh = GrabPixmap(0, 0, 800, 600);
            ASSERT_TRUE(fresh);
            std::vector<uint32_t> freshWindow = WindowPixels(SDL_GetWindowSurface(window));
            freshWindow[0] = 0;
            ASSERT_EQ(steppedWindow.size(), freshWindow.size());
            int windowMismatches = 0;
            for (size_t k = 0; k < freshWindow.size(); ++k) windowMismatches += steppedWindow[k] != freshWindow[k];
            EXPECT_EQ(windowMismatches, 0) << "frame " << i << (sentWhole ? " (sent whole)" : " (sent in parts)");
            int canvasMismatches = 0;
            for (int y = 0; y < 600; ++y)
                for (int x = 0; x < 800; ++x)
                    if (stepped->ReadPixel(x, y) != fresh->ReadPixel(x, y)) ++canvasMismatches;
            EXPECT_EQ(canvasMismatches, 0) << "frame " << i;
        }
        // Most frames change a few items: those go to the window in parts.
        EXPECT_GE(partial, kFrames * 2 / 3);

        // A frame like the last one presents nothing; the picture stays.
        DrawScene(kFrames - 1, items, background, sprite, framed);
        EXPECT_FALSE(Flip(0));
    }

    ASSERT_TRUE(Display().CreateGraphics(800, 600, 0, 0, GRAPHICS_BACKBUFFER));
}

INSTANTIATE_TEST_SUITE_P(Sizes, FramesAtSize,
                         ::testing::Values(WindowCase{"Window800x600", false, 0, 0},
                                           WindowCase{"FullScreen1024x768", true, 0, 0},
                                           WindowCase{"Window1111x777", false, 1111, 777}),
                         [](const auto& info) { return std::string(info.param.name); });

// The canvas follows the window's real size: text drawn on a canvas twice the
// logical size is rasterised at that size (its edges as sharp as at 1x, and
// it covers twice the pixels of the logical text), while its logical width
// and height stay what layout measured.
TEST(Frames, TextOnABigCanvasIsDrawnAtItsSizeWithLogicalMetrics) {
    SetDisplayDevice(nullptr);
    ASSERT_TRUE(Display().CreateGraphics(800, 600, 0, 60, GRAPHICS_BACKBUFFER));
    SDL_Window* window = SDL_GetWindowFromID(static_cast<Uint32>(Display().WindowHandle()));
    ASSERT_NE(window, nullptr);
    const WindowSizeRestorer restorer{window};
    auto font = DefaultFont();
    ASSERT_TRUE(font);
    SetImageFont(font);
    const int width = TextWidth("Tallyfold 1234"), height = TextHeight("Tallyfold 1234");
    // Inked pixels and pixels between ink and ground across the window.
    auto measure = [&](int& ink, int& soft) {
        tftest::ResetDrawState();
        SetClsColor(0, 0, 0);
        Cls();
        SetColor(255, 255, 255);
        DrawText("Tallyfold 1234", 100, 100);
        Flip(0);
        SDL_Surface* shown = SDL_GetWindowSurface(window);
        ink = soft = 0;
        for (int y = 0; y < shown->h; ++y)
            for (int x = 0; x < shown->w; ++x) {
                const uint32_t v = WindowPixel(shown, x, y) & 0xFF;
                ink += v >= 128;
                soft += v > 25 && v < 230;
            }
    };
    int ink1 = 0, soft1 = 0;
    measure(ink1, soft1);
    SDL_SetWindowSize(window, 1600, 1200);
    SDL_PumpEvents();
    int ink2 = 0, soft2 = 0;
    measure(ink2, soft2);
    EXPECT_EQ(TextWidth("Tallyfold 1234"), width);
    EXPECT_EQ(TextHeight("Tallyfold 1234"), height);
    // Four times the ink; a stretched picture would also have about four
    // times the soft edge pixels, a crisp one about twice.
    EXPECT_GT(ink2, ink1 * 3);
    EXPECT_LT(ink2, ink1 * 5);
    EXPECT_LT(soft2, soft1 * 3) << "ink " << ink1 << " -> " << ink2;
    SetImageFont(nullptr);
    ASSERT_TRUE(Display().CreateGraphics(800, 600, 0, 0, GRAPHICS_BACKBUFFER));
}

}  // namespace
