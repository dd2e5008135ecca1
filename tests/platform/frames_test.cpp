// SPDX-License-Identifier: GPL-3.0-or-later
// A flip draws again only what changed since the last frame and shows only
// that. Checked against references made separately: every frame of a long
// random sequence must equal the same frame drawn from nothing, and the scaled
// window must equal a whole-canvas scale of it, pixel for pixel.
#include <SDL.h>

#include <cstdlib>
#include <numeric>
#include <random>
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

TEST(Frames, EveryFrameEqualsTheSameFrameDrawnFromNothingAndTheWindowShowsItScaled) {
    SetDisplayDevice(nullptr);
    // Full screen: the 800 x 600 picture is scaled to the headless desktop.
    ASSERT_TRUE(Display().CreateGraphics(800, 600, 32, 60, GRAPHICS_BACKBUFFER));
    SDL_Window* window = SDL_GetWindowFromID(static_cast<Uint32>(Display().WindowHandle()));
    ASSERT_NE(window, nullptr);
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

            // The window against a whole scale of the canvas, by SDL's own scaler.
            SDL_Surface* canvas =
                SDL_CreateRGBSurfaceWithFormatFrom(stepped->Pixels(), 800, 600, 32, 800 * 4, shown->format->format);
            SDL_Surface* scaled = SDL_CreateRGBSurfaceWithFormat(0, shown->w, shown->h, 32, shown->format->format);
            ASSERT_TRUE(canvas && scaled);
            ASSERT_EQ(shown->w * 600, shown->h * 800) << "the test expects a 4:3 desktop";
            ASSERT_EQ(SDL_SoftStretchLinear(canvas, nullptr, scaled, nullptr), 0) << SDL_GetError();
            int windowMismatches = 0;
            for (int y = 0; y < shown->h; ++y)
                for (int x = 0; x < shown->w; ++x)
                    if ((x || y) && WindowPixel(shown, x, y) != WindowPixel(scaled, x, y)) ++windowMismatches;
            SDL_FreeSurface(scaled);
            SDL_FreeSurface(canvas);
            EXPECT_EQ(windowMismatches, 0) << "frame " << i << (sentWhole ? " (sent whole)" : " (sent in parts)");

            // The same frame drawn from nothing: a frame that shares nothing with
            // it comes first, so every command is drawn again.
            SetClsColor(255, 0, 0);
            Cls();
            Flip(0);
            SetClsColor(0, 0, 0);
            DrawScene(i, items, background, sprite, framed);
            Flip(0);
            auto fresh = GrabPixmap(0, 0, 800, 600);
            ASSERT_TRUE(fresh);
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

}  // namespace
