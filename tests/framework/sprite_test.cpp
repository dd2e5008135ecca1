// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "framework/paths/errors.h"
#include "framework/widgets/animation.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/sprite.h"
#include "scratch_dir.h"
#include "widget_support.h"

using SpriteTest = FrameworkTest;

TEST(CalcAnimFrameTest, FramesAcrossTheCounterInBothDirections) {
    EXPECT_EQ(CalcAnimFrame(0, 1000, 10, 1), 0);
    EXPECT_EQ(CalcAnimFrame(1000, 1000, 10, 1), 9);
    EXPECT_EQ(CalcAnimFrame(1000, 1000, 10, 0), 0);
    EXPECT_EQ(CalcAnimFrame(0, 1000, 10, 0), 9);
    EXPECT_EQ(CalcAnimFrame(500, 1000, 10, 0), 5);
    // Out of range counters stay on the end frames; degenerate sizes do not divide by zero.
    EXPECT_EQ(CalcAnimFrame(-5, 1000, 10, 1), 0);
    EXPECT_EQ(CalcAnimFrame(2000, 1000, 10, 1), 9);
    EXPECT_EQ(CalcAnimFrame(3, 0, 10, 1), 9);
    EXPECT_EQ(CalcAnimFrame(3, 100, 0, 1), 0);
}

TEST_F(SpriteTest, SetupAnimStartsAtTheNormalEndOfItsDirection) {
    TSprite s;
    s.SetupAnim(10, 1000, 0, 0, 0, 0, 1);
    EXPECT_EQ(s.AnimLength, 200);
    EXPECT_FLOAT_EQ(s.AnimCounter, 200.0f);
    EXPECT_EQ(s.GetAnimFrame(), 0);
    EXPECT_FLOAT_EQ(s.FrameLength, 20.0f);
    s.SetupAnim(10, 1000, 0, 1, 0, 0, 1);
    EXPECT_FLOAT_EQ(s.AnimCounter, 0.01f);
    s.SetupAnim(10, 1000, 1, 0, 0, 0, 1);
    EXPECT_FLOAT_EQ(s.AnimCounter, 0.0f);
    s.SetupAnim(10, 1000, 1, 1, 0, 0, 1);
    EXPECT_FLOAT_EQ(s.AnimCounter, 200.0f);
    s.SetupAnim(10, 1000, 0, 0, 1, 0, 1);
    EXPECT_GE(s.AnimCounter, 0.01f);
    EXPECT_LE(s.AnimCounter, 200.0f);
}

TEST_F(SpriteTest, LimitedLoopsCallBackAtEachWrapThenEveryStepAfterTheEnd) {
    TSprite s;
    int calls = 0;
    s.AnimStoppedFunction = [&](TSprite&) { return ++calls; };
    s.SetupAnim(4, 20, 1, 0, 0, 0, 1);  // 4 steps, counting up
    s.LoopCount = 3;
    std::vector<int> bounds;
    for (int step = 1; step <= 14; ++step)
        if (s.ManageAnim()) bounds.push_back(step);
    EXPECT_EQ(bounds, (std::vector<int>{4, 8, 12, 13, 14}));
    // Two wraps with a callback, the third bound ends the loop silently, then
    // the stopped animation calls back on every step.
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(s.Loop, 0);
    EXPECT_EQ(s.frame, 3);

    TSprite endless;
    int wraps = 0;
    endless.AnimStoppedFunction = [&](TSprite&) { return ++wraps; };
    endless.SetupAnim(4, 20, 0, 0, 0, 0, 1);
    for (int step = 0; step < 40; ++step) endless.ManageAnim();
    EXPECT_EQ(wraps, 10);
    EXPECT_EQ(endless.Loop, 1);

    // StopAnim makes the sprite idle: no more bounds, ImageFrame is drawn.
    s.StopAnim();
    EXPECT_EQ(s.ManageAnim(), 0);
    EXPECT_EQ(calls, 4);
}

TEST_F(SpriteTest, PingPongTurnsAtBothEndsWithoutCallbacks) {
    for (int dir : {0, 1}) {
        SCOPED_TRACE(dir);
        TSprite s;
        int calls = 0;
        s.AnimStoppedFunction = [&](TSprite&) { return ++calls; };
        s.SetupAnim(4, 40, dir, 0, 0, 1, 1);  // 8 steps, 2 per frame
        std::vector<int> frames;
        for (int step = 0; step < 24; ++step) {
            s.ManageAnim();
            frames.push_back(dir ? s.frame : 3 - s.frame);
        }
        EXPECT_EQ(calls, 0);
        // Up to the last frame, back down to the first, and up again.
        auto top = std::find(frames.begin(), frames.end(), 3);
        auto bottom = std::find(top, frames.end(), 0);
        auto again = std::find(bottom, frames.end(), 3);
        EXPECT_NE(again, frames.end()) << ::testing::PrintToString(frames);
        for (int f : frames) {
            EXPECT_GE(f, 0);
            EXPECT_LE(f, 3);
        }
    }
}

TEST_F(SpriteTest, TransformsAndMovement) {
    TSprite s;
    s.SetScaleXY(2, 0);
    EXPECT_FLOAT_EQ(s.ScaleX, 2.0f);
    EXPECT_FLOAT_EQ(s.ScaleY, 2.0f);

    s.RotationLoop = 1;
    s.Rotation = 359;
    s.RotationSpeed = 2;
    s.ManageRotation();
    EXPECT_FLOAT_EQ(s.Rotation, 1.0f);
    s.RotationSpeed = -3;
    s.ManageRotation();
    EXPECT_FLOAT_EQ(s.Rotation, 358.0f);

    TSprite limited;
    limited.SetupRotation(1.5f, 10, 0, 0);  // two steps
    for (int i = 0; i < 5; ++i) limited.ManageRotation();
    EXPECT_FLOAT_EQ(limited.Rotation, 3.0f);
    limited.SetupScale(0.25f, -0.25f, 10);
    for (int i = 0; i < 5; ++i) limited.ManageScale();
    EXPECT_FLOAT_EQ(limited.ScaleX, 1.5f);
    EXPECT_FLOAT_EQ(limited.ScaleY, 0.5f);

    // Position first, velocity after.
    TSprite m;
    m.dx = 1;
    m.xgravity = 0.5f;
    m.Move();
    EXPECT_FLOAT_EQ(m.x, 1.0f);
    EXPECT_FLOAT_EQ(m.dx, 1.5f);
    m.Rotation = 90;
    m.speed = 2;
    m.xgravity = 0;
    m.MoveForward();
    EXPECT_NEAR(m.x, 3.0f, 1e-4);
    EXPECT_NEAR(m.y, 0.0f, 1e-4);
    m.Rotation = 0;
    m.MoveForward();
    EXPECT_NEAR(m.y, -2.0f, 1e-4);
}

TEST_F(SpriteTest, BoundsOfCentredAndCornerHandledSprites) {
    auto centred = TSprite::Create(SolidImage(31, 20, 0xFFFFFFFF, 1), -14, 300);
    EXPECT_FLOAT_EQ(centred->w2, 15.0f);
    EXPECT_FLOAT_EQ(centred->h2, 10.0f);
    EXPECT_EQ(centred->OutOfBounds(), 0);
    centred->x = -16;
    EXPECT_EQ(centred->OutOfBounds(), 1);
    centred->y = 700;
    centred->BoundsCheck();
    EXPECT_FLOAT_EQ(centred->x, 15.0f);
    EXPECT_FLOAT_EQ(centred->y, 590.0f);

    auto corner = TSprite::Create(SolidImage(20, 20, 0xFFFFFFFF, 0), -19, 0);
    EXPECT_EQ(corner->OutOfBounds(), 0);
    corner->x = -21;
    EXPECT_EQ(corner->OutOfBounds(), 1);
    corner->x = 801;
    EXPECT_EQ(corner->OutOfBounds(), 1);
}

TEST_F(SpriteTest, GlowPulsesBetweenItsLimitsAndFadesOut) {
    TSprite s;
    s.SetGlow(3, 0, 0.25f, 0, 0.5f);
    for (int i = 0; i < 360; ++i) s.ManageGlow();  // a quarter turn
    EXPECT_NEAR(s.Glow, 0.5f, 1e-3);
    for (int i = 0; i < 360; ++i) s.ManageGlow();
    EXPECT_NEAR(s.Glow, 0.0f, 1e-3);

    s.SetGlow(2, 1.0f, 0.3f, 0, 1.0f);
    for (int i = 0; i < 10; ++i) s.ManageGlow();
    EXPECT_FLOAT_EQ(s.Glow, 0.0f);
}

TEST_F(SpriteTest, DrawingLeavesTheRestingStateAndKeepsTheAlternativePicture) {
    auto s = TSprite::Create(SolidImage(10, 10, 0xFFFFFFFF, 1), 50, 50);
    s->Color = TColor::Create(255, 0, 0, 1);
    s->SetShadow(1, 3, 3, 0.5f);
    s->SetScaleXY(1.5f, 0);
    s->Rotation = 30;
    s->Alpha = 0.4f;
    s->RoundCoords = 1;
    s->SetGlow(1, 0.5f, 0, 0, 1);
    auto alternative = SolidImage(10, 10, 0xFF00FF00, 1);
    s->AlternativeImage = alternative;
    s->Draw();
    ExpectRestingDrawState();
    EXPECT_EQ(s->AlternativeImage, alternative);

    s->UseAlpha = 0;
    s->Draw();
    s->DrawWithOffset();
    ExpectRestingDrawState();
}

TEST_F(SpriteTest, KillReleasesTheAttachedSprite) {
    struct Counting : TSprite {
        int kills = 0;
        int Kill() override { return ++kills; }
    };
    auto attached = std::make_shared<Counting>();
    TSprite s;
    s.AttachedSprite = attached;
    s.dx = 2;
    s.MoveAttachedSprite();
    EXPECT_FLOAT_EQ(attached->x, 2.0f);
    s.Kill();
    EXPECT_EQ(attached->kills, 1);
    EXPECT_EQ(s.AttachedSprite, nullptr);

    s.AttachedSprite = attached;
    s.KillAttachedSprite = 0;
    s.Kill();
    EXPECT_EQ(attached->kills, 1);
    EXPECT_EQ(s.AttachedSprite, nullptr);
}

TEST_F(SpriteTest, ImageBankLoadsFindsInAnyCaseAndStopsOnMissingNames) {
    ScratchDir dir;
    WritePng(dir / "logo.png", 31, 12);
    WritePng(dir / "bg.jpg", 8, 8);  // the decoder goes by content
    WritePng(dir / "strip.png", 16, 8);
    TImageBank bank;
    bank.SetPath(dir.Folder().substr(0, dir.Folder().size() - 1));
    EXPECT_EQ(bank.Path, dir.Folder());

    auto logo = bank.Load("logo", "", -1, 1);
    EXPECT_EQ(logo->name, "LOGO");
    EXPECT_EQ(logo->w2, 15.0f);
    EXPECT_EQ(logo->midhandled, 1);
    EXPECT_EQ(bank.Find("LoGo"), logo);
    bank.Load("bg.jpg", "", -1, 1);
    EXPECT_NE(bank.Find("bg"), nullptr);
    EXPECT_NE(bank.FindTImage("BG"), nullptr);
    bank.LoadNoMid("logo", "Title", -1);
    EXPECT_EQ(bank.Find("title")->midhandled, 0);
    auto strip = bank.LoadAnim("strip", 8, 8, 0, 2, -1, 1);
    EXPECT_EQ(strip->w, 8);
    EXPECT_EQ(strip->image->Frames(), 2);
    EXPECT_EQ(bank.Find("STRIP"), strip);
    EXPECT_EQ(logo->CalcRAM(), 31 * 4 * 12);
    EXPECT_EQ(logo->CalcVRAM(), 32 * 4 * 16);

    EXPECT_EQ(bank.FindTImage("nothing"), nullptr);
    try {
        bank.Find("nothing");
        FAIL() << "a missing name must stop the program";
    } catch (const RuntimeError& e) {
        EXPECT_STREQ(e.what(), "Image 'NOTHING' was Not found in the ImageBank");
    }
    try {
        bank.Load("absent", "", -1, 1);
        FAIL() << "a missing picture must stop the program";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(std::string(e.what()), "Error loading bitmap " + dir.Folder() + "absent.png");
    }
    EXPECT_THROW(bank.LoadAnim("absent", 8, 8, 0, 2, -1, 1), RuntimeError);
}

TEST_F(SpriteTest, PhaseTimerRunsItsPhasesAndFinishes) {
    for (int leave : {0, 1}) {
        SCOPED_TRACE(leave);
        auto a = TAnimation::Create(10, leave, 0, 0, 0);  // 2 steps
        a->AddPhase(15);                                  // 3 steps
        a->Start();
        std::vector<int> ends;
        for (int step = 1; step <= 5; ++step)
            if (a->Manage()) ends.push_back(step);
        EXPECT_EQ(ends, (std::vector<int>{2, 5}));
        EXPECT_EQ(a->Finished, 1);
        EXPECT_EQ(a->Active, leave);
        EXPECT_EQ(a->CurrentPhase, leave ? 1 : 0);
    }

    auto ratio = TAnimation::Create(1000, 0, 0, 0, 0);
    ratio->Start();
    for (int i = 0; i < 50; ++i) ratio->Manage();
    EXPECT_FLOAT_EQ(ratio->GetRatio(), 0.75f);
    EXPECT_FLOAT_EQ(ratio->GetRatioInv(), 0.25f);
    EXPECT_NEAR(ratio->GetRatioSine180(), 0.5 + std::sin(3.14159265 / 4) / 2, 1e-4);

    // Too many phases are refused rather than written past the table.
    TAnimation many;
    for (int i = 0; i < 60; ++i) many.AddPhase(10);
    EXPECT_EQ(many.TotalPhases, TAnimation::MAX_PHASES);

    auto empty = TAnimation::Create(0, 0, 0, 0, 0);
    empty->Start();
    EXPECT_FLOAT_EQ(empty->GetRatio(), 0.0f);
}

TEST_F(SpriteTest, PingPongCycleRunsThePhasesForwardsThenBackwards) {
    auto a = TAnimation::Create(10, 0, 0, 1, 1);
    a->AddPhase(10);
    a->AddPhase(10);
    a->Start();
    std::vector<int> phases{a->CurrentPhase};
    std::vector<int> reverse{a->Reverse};
    for (int step = 0; step < 40; ++step) {
        a->Manage();
        if (a->CurrentPhase != phases.back()) {
            phases.push_back(a->CurrentPhase);
            reverse.push_back(a->Reverse);
        }
    }
    ASSERT_GE(phases.size(), 7u);
    EXPECT_EQ(std::vector<int>(phases.begin(), phases.begin() + 7), (std::vector<int>{0, 1, 2, 1, 0, 1, 2}));
    // Backwards the counter counts up.
    EXPECT_EQ(reverse[3], 1);
    EXPECT_EQ(reverse[5], 0);
    EXPECT_EQ(a->Finished, 0);
}

TEST_F(SpriteTest, PausedSpriteIsCentredOnTheScreen) {
    ScratchDir dir;
    WritePng(dir / "paused.png", 40, 20);
    Game->ImagePath = dir.Folder();
    Game->SpritePausedCreate("paused");
    ASSERT_NE(Game->SpritePaused, nullptr);
    EXPECT_FLOAT_EQ(Game->SpritePaused->x, 400.0f);
    EXPECT_FLOAT_EQ(Game->SpritePaused->y, 300.0f);
    EXPECT_EQ(Game->SpritePaused->image->midhandled, 1);
    Game->Paused = 1;
    Game->ShowPaused();
    ExpectRestingDrawState();
}
