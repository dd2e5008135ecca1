// SPDX-License-Identifier: GPL-3.0-or-later
// Draws one scene with the widgets as a player would see them, checks a few
// pixels and writes it to test-artifacts/visuals.png for a person to look at.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "framework/archive/pak_manager.h"
#include "framework/screens/fade.h"
#include "framework/screens/screen.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/particles.h"
#include "framework/widgets/pointer.h"
#include "framework/widgets/sprite.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/font.h"
#include "tallyfold/platform/system.h"
#include "widget_support.h"

namespace {
const std::string kDataDir = TALLYFOLD_TEST_DATA_DIR;
const std::string kCarlito = "/usr/share/fonts/truetype/crosextra/Carlito-Regular.ttf";

// A picture from the game's data, or a plain stand-in when the data were not built.
std::shared_ptr<platform::Image> Picture(const TPakFileManager* pak, const std::string& name, int w, int h,
                                         uint32_t argb) {
    std::shared_ptr<platform::Image> image;
    if (pak) image = pak->GetImage(name, -1);
    if (!image) image = platform::LoadImage(kDataDir + "/graphics/" + name, -1);
    if (!image) image = SolidImage(w, h, argb, 0)->image;
    return image;
}

std::shared_ptr<platform::ImageFont> SceneFont(const TPakFileManager* pak, int size) {
    std::shared_ptr<platform::ImageFont> font;
    if (pak) font = pak->GetImageFont("calibri.ttf", size, platform::FONT_SMOOTH);
    if (!font) font = platform::LoadImageFont(kCarlito, size);
    return font ? font : platform::DefaultFont();
}

std::shared_ptr<TLabel> Label(const std::string& text, float x, float y, int alignment,
                              std::shared_ptr<platform::ImageFont> font, int wordWrap = 0) {
    auto label = TLabel::CreateSpecial(text, x, y, alignment, wordWrap, 0);
    label->Init(std::move(font), label->Color, TShadow::Create(1, 1, 0.5f), 0, nullptr, nullptr, text);
    if (wordWrap) label->PreCalcWordWrap();
    return label;
}
}  // namespace

using VisualScene = GraphicsFixture;

TEST_F(VisualScene, WidgetsTogether) {
    platform::SeedRnd(7);
    std::shared_ptr<TPakFileManager> pak;
    if (platform::FileType(kDataDir + "/resources/data.pak") == platform::FILETYPE_FILE)
        pak = TPakFileManager::Create(kDataDir + "/resources/", ".pak");
    const TPakFileManager* archive = pak.get();

    // Background: a cross-fade between two screen pictures, half-way through.
    auto cross = TCrossFade::Create(Picture(archive, "titlescreen.jpg", 800, 600, 0xFF304060),
                                    Picture(archive, "gamescreen1.jpg", 800, 600, 0xFF603040), 1000);
    for (int i = 0; i < 100; ++i) cross->Manage();
    cross->Draw();

    // A glowing header with its shadow, at the peak of its pulse.
    auto header = TSprite::Create(
        TGameImage::CreateFromImage(Picture(nullptr, "helpheader.png", 300, 60, 0xFFC0A040), "HELPHEADER", 1), 400, 60);
    header->SetShadow(1, 3, 3, 0.5f);
    header->SetGlow(3, 0, 0.25f, 0, 0.5f);
    for (int i = 0; i < 360; ++i) header->ManageGlow();
    header->Draw();

    // Wrapped, shadowed text on a dark panel.
    platform::SetColor(0, 0, 0);
    platform::SetAlpha(0.5f);
    platform::DrawRect(30, 130, 360, 250);
    TColor::Restore();
    auto body = Label(
        "Every row and column of white cells adds up to the clue at its start, and no digit repeats within a "
        "run.\n\nClick a cell, then choose a digit.",
        210, 145, 1, SceneFont(archive, 20), 330);
    body->Draw(0, 0, 1);

    // Alignment against a guide line at x = 600.
    platform::SetColor(255, 220, 0);
    platform::DrawLine(600, 130, 600, 330);
    TColor::Restore();
    auto font18 = SceneFont(archive, 18);
    Label("Left from the line", 600, 140, 0, font18)->Draw(0, 0, 1);
    Label("Centred on the line", 600, 180, 1, font18)->Draw(0, 0, 1);
    Label("Right up to the line", 600, 220, 2, font18)->Draw(0, 0, 1);
    auto scaled = Label("Scaled x1.5", 600, 270, 1, font18);
    scaled->Scale = 1.5f;
    scaled->Color = TColor::Create(120, 255, 160, 1);
    scaled->Draw(0, 0, 1);

    // A firework burst and a pointer with its sparkle trail.
    auto spark = TGameImage::CreateFromImage(Picture(archive, "particle2.png", 16, 16, 0xFFFFFFFF), "PARTICLE2", 1);
    TParticleList burst;
    for (int i = 0; i < 60; ++i) {
        auto p = burst.AddNew(560, 460, spark, static_cast<float>(platform::Rnd(-1.5, 1.5)),
                              static_cast<float>(platform::Rnd(-2.0, 0.0)), 0.01f, 1000, 1,
                              platform::Rand(0, 1) ? 1 : -1, static_cast<float>(platform::Rnd(0.5, 3.0)),
                              static_cast<float>(platform::Rnd(0.3, 1.0)), 0, 0, 0);
        p->Color = TColor::Create(platform::Rand(100, 255), platform::Rand(100, 255), platform::Rand(100, 255), 1);
    }
    for (int i = 0; i < 60; ++i) burst.Manage();
    burst.Draw();

    auto& mouse = *Game->Mouse;
    mouse.Image = Picture(nullptr, "pointer.png", 24, 32, 0xFFFFFFFF);
    mouse.CalcSize();
    auto sparkle = TGameImage::CreateFromImage(Picture(archive, "particle1.png", 8, 8, 0xFFFFFFFF), "PARTICLE1", 1);
    for (int step = 0; step < 120; ++step) {
        mouse.x = 640 + step;
        mouse.y = 520 - step / 3;
        if (step % 15 == 0) {
            auto p = mouse.ParticleList->AddNew(
                mouse.x + platform::Rand(1, std::max(1, mouse.w - 20)) - 5,
                mouse.y + platform::Rand(1, std::max(1, mouse.h - 25)) - 5, sparkle,
                static_cast<float>(platform::Rnd(-0.05, 0.05)), 0, 0.0016f, 1000, 1, platform::Rand(0, 1) ? 1 : -1,
                static_cast<float>(platform::Rnd(0.2, 0.5)), static_cast<float>(platform::Rnd(0.2, 0.5)), 0, 0, 0);
            p->Color = TColor::Create(platform::Rand(100, 255), platform::Rand(100, 255), platform::Rand(100, 255), 1);
            p->SetFade(200, 300, 1000);
        }
        mouse.Manage();
    }
    mouse.Draw();
    ExpectRestingDrawState();

    // The screen fade at half, over the lower left corner only.
    auto fadeNote = Label("Screen fade at half", 200, 520, 1, SceneFont(archive, 25));
    fadeNote->Draw(0, 0, 1);
    const uint32_t before = Pixel(20, 590);
    Game->GameFade->Init(FadeTime, 1, nullptr, 0, 50, nullptr);
    platform::SetViewport(0, 480, 400, 120);
    Game->GameFade->Draw();
    platform::SetViewport(0, 0, 800, 600);
    const uint32_t after = Pixel(20, 590);
    EXPECT_NEAR(Red(after), Red(before) / 2.0, 2);
    EXPECT_NEAR(Green(after), Green(before) / 2.0, 2);
    ExpectRestingDrawState();

    auto shot = platform::GrabPixmap(0, 0, 800, 600);
    ASSERT_NE(shot, nullptr);
    const std::string folder = TALLYFOLD_ARTIFACTS_DIR;
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(shot->SavePNG(folder + "/visuals.png"));
}
