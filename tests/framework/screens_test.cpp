// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "framework/audio/channels.h"
#include "framework/core/input.h"
#include "framework/paths/errors.h"
#include "framework/screens/fade.h"
#include "framework/screens/screen.h"
#include "framework/widgets/animation.h"
#include "framework/widgets/pointer.h"
#include "framework/widgets/sprite.h"
#include "scratch_dir.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"
#include "widget_support.h"

namespace {
class RecordingScreen : public TScreen {
public:
    int loads = 0, starts = 0, fadeIns = 0, fadeOuts = 0, kills = 0;
    int Load() override { return ++loads; }
    int Start() override {
        ++starts;
        TScreen::Start();
        return Game->GameFade->Init(FadeTime, 0, nullptr, 0, 0, nullptr);
    }
    int PostFadeIn() override { return ++fadeIns; }
    int PostFadeOut() override { return ++fadeOuts; }
    int Kill() override {
        ++kills;
        return TScreen::Kill();
    }
};
}  // namespace

class ScreenTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        from = std::make_shared<RecordingScreen>();
        to = std::make_shared<RecordingScreen>();
        from->CoreStart();
        Game->DestinationTScreen = to;
    }
    int Step() { return Game->LogicWrapper(); }
    std::shared_ptr<RecordingScreen> from, to;
};

TEST_F(ScreenTest, LifeCycleAndStops) {
    Game->Mouse->Off();
    Game->IgnoreEscapeKey = 1;
    to->PreStart();
    EXPECT_EQ(Game->CurrentTScreen, to);
    EXPECT_EQ(to->loads, 1);
    EXPECT_EQ(Game->Mouse->Active, 1);
    EXPECT_EQ(Game->IgnoreEscapeKey, 0);
    EXPECT_EQ(Game->GameFade->Active, 1);  // its own fade-in

    // A screen kept alive over a visit is only made current again.
    from->StopInit = 1;
    from->PreStart();
    EXPECT_EQ(Game->CurrentTScreen, from);
    EXPECT_EQ(from->loads, 0);
    from->ResetStops();
    EXPECT_EQ(from->StopInit, 0);

    ScratchDir dir;
    Game->ImagePath = dir.Folder();
    try {
        from->ImageLoad("back.png", -1, 0);
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(std::string(e.what()), "Error loading bitmap " + dir / "back.png");
    }
    WritePng(dir / "back.png", 80, 60);
    WritePng(dir / "title.png", 40, 20);
    from->ImageLoad("back.png", -1, 1);
    EXPECT_FLOAT_EQ(from->Image->HandleX(), 0.0f);
    from->HeaderLoad("title", 400, 50, 0);
    ASSERT_NE(from->Header, nullptr);
    EXPECT_FLOAT_EQ(from->Header->x, 400.0f);
    EXPECT_EQ(from->Header->image->midhandled, 1);
    from->Header->SetGlow(1, 0.5f, 0, 0, 1);
    from->Draw();
    ExpectRestingDrawState();
    from->Kill();
    EXPECT_EQ(from->Image, nullptr);
    EXPECT_EQ(from->Header, nullptr);
    EXPECT_EQ(from->SetEscDestination(), 0);
    EXPECT_EQ(Game->DestinationTScreen, Game->ExitScreen);
}

TEST_F(ScreenTest, FullFadeOutSwitchesAndTheDestinationFadesIn) {
    ASSERT_EQ(Game->GameFade->Init(FadeTime, 1, nullptr, 0, 0, nullptr), 1);
    EXPECT_EQ(Game->GameFade->Init(FadeTime, 0, nullptr, 0, 0, nullptr), 0);  // one fade at a time
    EXPECT_EQ(Game->GameFade->Length, 100);
    for (int i = 0; i < 50; ++i) Step();
    EXPECT_NEAR(Game->GameFade->Ratio, 0.5f, 1e-4);
    EXPECT_EQ(Game->CurrentTScreen, from);
    for (int i = 0; i < 50; ++i) Step();
    // The switch follows in the step the fade-out ends.
    EXPECT_EQ(from->fadeOuts, 1);
    EXPECT_EQ(from->kills, 1);
    EXPECT_EQ(Game->CurrentTScreen, to);
    EXPECT_EQ(Game->LastTScreen, from);
    EXPECT_EQ(Game->GameFade->Out, 0);
    for (int i = 0; i < 100; ++i) Step();
    EXPECT_EQ(to->fadeIns, 1);
    EXPECT_FLOAT_EQ(Game->GameFade->Ratio, 1.0f);

    TGameFade fade;
    fade.Init(FadeTime, 0, nullptr, 0, 0, nullptr);
    fade.Finish();
    EXPECT_EQ(fade.GetDone(), 1);
    EXPECT_EQ(fade.GetDone(), 0);
}

TEST_F(ScreenTest, WithFadesOffTheSwitchTakesOneStepAndNoBlackFrame) {
    Game->Fade = 0;
    Game->GameFade->Init(FadeTime, 1, nullptr, 1, 0, nullptr);
    EXPECT_EQ(Game->GameFade->Active, 0);
    Step();
    EXPECT_EQ(Game->CurrentTScreen, to);
    EXPECT_EQ(from->fadeOuts, 0);
}

TEST_F(ScreenTest, ClickEndsAFadeOutAndLeavesItsChannelsSilent) {
    auto music = platform::AllocChannel();
    auto sound = TGameChannel::Create();
    music->SetVolume(1);
    Game->GameFade->Init(FadeTime, 1, music, 1, 0, sound);
    Game->GameFade->Channel2IsGameChannelArray = 0;
    Step();
    EXPECT_GT(music->Volume(), 0.9f);
    platform::PostEvent({platform::EventKind::MouseDown, 1, 5, 5});
    Step();
    EXPECT_EQ(Game->CurrentTScreen, to);  // switched in the same step
    EXPECT_FLOAT_EQ(music->Volume(), 0.0f);
    EXPECT_EQ(Game->GameFade->Channel2, nullptr);
}

TEST_F(ScreenTest, KeyCutsAFadeInShortAndIsRemembered) {
    Game->CurrentTScreen = to;
    Game->GameFade->Init(FadeTime, 0, nullptr, 0, 0, nullptr);
    for (int i = 0; i < 10; ++i) Step();
    Press('K');
    Step();
    auto& fade = *Game->GameFade;
    EXPECT_EQ(fade.Active, 0);
    EXPECT_EQ(fade.FadeInAborted, 1);
    EXPECT_EQ(fade.AbortKey, 'K');
    EXPECT_FLOAT_EQ(fade.Ratio, 1.0f);
    EXPECT_FLOAT_EQ(fade.FadeCounterBeforeAbort, 10.0f);
    EXPECT_EQ(to->fadeIns, 1);

    // A fade can start part-way.
    fade.Init(FadeTime, 1, nullptr, 0, 50, nullptr);
    EXPECT_FLOAT_EQ(fade.Ratio, 0.5f);
    fade.Draw();
    ExpectRestingDrawState();
}

class PictureFadeTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        // Every look at the clock is 10 ms later, so the blocking loops end.
        platform::SetMilliSecsSource([this] { return now += 10; });
        fade.Init(100, SolidImage(40, 20, 0xFFFFFFFF, 0)->image, nullptr);
    }
    void ExpectSolidWhite() {
        int r, g, b;
        platform::GetColor(r, g, b);
        EXPECT_EQ(r + g + b, 3 * 255);
        EXPECT_FLOAT_EQ(platform::GetAlpha(), 1.0f);
        EXPECT_EQ(platform::GetBlend(), platform::SOLIDBLEND);
    }
    TFade fade;
};

TEST_F(PictureFadeTest, RunsToTheEndOrStopsOnAClick) {
    fade.CentreImage();
    EXPECT_EQ(fade.X, 380);
    EXPECT_EQ(fade.Y, 290);
    // A picture with its handle at its centre lands centred all the same.
    fade.Image->MidHandle();
    fade.CentreImage();
    EXPECT_EQ(fade.X, 400);
    EXPECT_EQ(fade.Y, 300);
    fade.Image->SetHandle(0, 0);
    EXPECT_EQ(fade.FadeDo(0), 1);
    EXPECT_FLOAT_EQ(fade.Ratio, 1.0f);
    ExpectSolidWhite();
    fade.Reset();
    EXPECT_EQ(fade.FadeDo(1), 1);
    EXPECT_FLOAT_EQ(fade.Ratio, 0.0f);

    fade.Reset();
    platform::SetColor(1, 2, 3);
    platform::PostEvent({platform::EventKind::MouseDown, 1, 0, 0});
    EXPECT_EQ(fade.FadeDo(0), -1);
    ExpectSolidWhite();

    // The same on the platform's polled input.
    Keys.UsePlatformInput = 1;
    platform::SetPolledInput(true);
    platform::PostEvent({platform::EventKind::KeyDown, 'Q', 0, 0});
    EXPECT_EQ(fade.WaitForTime(1000), -1);
    EXPECT_EQ(fade.WaitForTime(50), 0);
    platform::SetPolledInput(false);
    Keys.UsePlatformInput = 0;
}

TEST_F(PictureFadeTest, BackgroundMovesAndFadesAtItsEnds) {
    fade.BackgroundFadeTime = 200;
    fade.Length = 1000;
    fade.BackgroundXSpeed = 10;
    fade.BackgroundZoomSpeed = 1;
    fade.LastTime = 0;
    fade.Out = 0;
    fade.MoveBackground(500, 100);
    EXPECT_FLOAT_EQ(fade.BackgroundX, 5.0f);
    EXPECT_FLOAT_EQ(fade.BackgroundZoom, 1.5f);
    EXPECT_FLOAT_EQ(fade.BackgroundAlpha, 0.5f);
    fade.Out = 1;
    fade.MoveBackground(500, 900);
    EXPECT_FLOAT_EQ(fade.BackgroundAlpha, 0.5f);
    fade.MoveBackground(500, 100);
    EXPECT_FLOAT_EQ(fade.BackgroundAlpha, 1.0f);
    fade.Out = -1;
    fade.MoveBackground(500, 0);
    EXPECT_FLOAT_EQ(fade.BackgroundAlpha, 1.0f);
    fade.BackgroundFadeTime = 0;
    fade.Out = 0;
    fade.MoveBackground(500, 0);
    EXPECT_FLOAT_EQ(fade.BackgroundAlpha, 1.0f);
}

using CrossFadePixels = GraphicsFixture;

TEST_F(CrossFadePixels, SecondPictureFadesInOverTheFirst) {
    auto red = SolidImage(800, 600, 0xFFFF0000, 0);
    auto blue = SolidImage(100, 100, 0xFF0000FF, 1);
    auto cross = TCrossFade::Create(red->image, blue->image, 100);  // 20 steps
    cross->SetImage2Coords(400, 300);
    cross->Draw();
    EXPECT_EQ(Pixel(400, 300), 0xFF0000u);
    for (int i = 0; i < 10; ++i) cross->Manage();
    cross->Draw();
    EXPECT_NEAR(Red(Pixel(400, 300)), 128, 3);
    EXPECT_NEAR(Blue(Pixel(400, 300)), 128, 3);
    for (int i = 0; i < 10; ++i) cross->Manage();
    EXPECT_EQ(cross->Anim->Active, 0);
    cross->Draw();
    EXPECT_EQ(Pixel(400, 300), 0x0000FFu);
    EXPECT_EQ(Pixel(10, 10), 0xFF0000u);
    ExpectRestingDrawState();
}
