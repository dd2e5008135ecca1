// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <vector>

#include "framework/core/input.h"
#include "framework/paths/errors.h"
#include "framework/widgets/input_repeat.h"
#include "framework/widgets/particles.h"
#include "framework/widgets/pointer.h"
#include "framework/widgets/vt_mouse.h"
#include "scratch_dir.h"
#include "tallyfold/platform/input.h"
#include "widget_support.h"

namespace vk = platform::vk;

class PointerTest : public FrameworkTest {
protected:
    // One logic step's worth of input, as the loop reads it.
    void Pump() {
        Game->Mouse->ClearMouseHit();
        Game->DoPeekEvent();
    }
    void Post(platform::EventKind kind, int data, int x = 0, int y = 0) { platform::PostEvent({kind, data, x, y}); }
};

TEST_F(PointerTest, PressesAreConsumedByTheFirstWidgetThatAsks) {
    auto& mouse = *Game->Mouse;
    Post(platform::EventKind::MouseDown, 1, 20, 30);
    Post(platform::EventKind::MouseUp, 1, 20, 30);
    Pump();
    // Pressed and released within the step: still one press.
    EXPECT_EQ(mouse.mb, 0);
    EXPECT_EQ(mouse.mh, 1);
    EXPECT_EQ(mouse.GetMh(1), 1);  // the widget on top
    EXPECT_EQ(mouse.GetMh(1), 0);  // the widget below
    Post(platform::EventKind::MouseDown, 2);
    Pump();
    EXPECT_EQ(mouse.GetMb(), 1);
    EXPECT_EQ(mouse.GetMh(0), 1);
    Pump();
    EXPECT_EQ(mouse.GetMh(0), 0);  // a press lives for one step
    EXPECT_EQ(mouse.GetMb(), 1);
    mouse.ClearButtons();
    EXPECT_EQ(mouse.GetMb(), 0);
}

TEST_F(PointerTest, PolledUpdateReadsThePlatformState) {
    platform::SetPolledInput(true);
    platform::PolledFlushMouse();
    Post(platform::EventKind::MouseMove, 0, 7, 9);
    Post(platform::EventKind::MouseDown, 3, 7, 9);
    Game->Mouse->Update();
    EXPECT_EQ(Game->Mouse->x, 7);
    EXPECT_EQ(Game->Mouse->y, 9);
    EXPECT_EQ(Game->Mouse->b3, 1);
    EXPECT_EQ(Game->Mouse->mh, 1);
    platform::PolledFlushMouse();
    platform::SetPolledInput(false);
}

TEST_F(PointerTest, TrailFollowsThePointerLifeAndPictureLoads) {
    auto& mouse = *Game->Mouse;
    auto spark = SolidImage(4, 4, 0xFFFFFFFF, 1);
    int calls = 0;
    mouse.ParticleFunc = [&] {
        ++calls;
        mouse.ParticleList->AddNew(mouse.x, mouse.y, spark, 0, 1, 0, 1000, 1, 0, 0, 1, 0, 0, 0);
        return 0;
    };
    mouse.x = mouse.y = 100;
    EXPECT_EQ(mouse.Manage(), 1);
    EXPECT_EQ(mouse.Manage(), 1);
    EXPECT_EQ(calls, 2);
    ASSERT_EQ(mouse.ParticleList->Count(), 2);
    // Each moves from the step it was made in.
    EXPECT_FLOAT_EQ(mouse.ParticleList->Items().front()->y, 102.0f);
    mouse.Draw();
    ExpectRestingDrawState();
    mouse.Off();
    EXPECT_EQ(mouse.ParticleList->Count(), 0);
    EXPECT_EQ(mouse.Manage(), 0);
    EXPECT_EQ(calls, 2);

    ScratchDir dir;
    Game->ImagePath = dir.Folder();
    EXPECT_THROW(mouse.Load("pointer"), RuntimeError);
    WritePng(dir / "pointer.png", 24, 32);
    mouse.offsetx = 2;
    mouse.offsety = 3;
    mouse.Load("pointer");
    EXPECT_EQ(mouse.w, 24);
    EXPECT_EQ(mouse.h, 32);
    EXPECT_FLOAT_EQ(mouse.Image->HandleX(), 2.0f);
    EXPECT_FLOAT_EQ(mouse.Image->HandleY(), 3.0f);
    mouse.On();
    mouse.Image2 = mouse.Image;
    mouse.Image2Scale = 2;
    mouse.Rotation = 15;
    int drawnAt = -1;
    mouse.UserDraw = [&](int x, int) { return drawnAt = x; };
    mouse.Draw();
    EXPECT_EQ(drawnAt, 100);
    ExpectRestingDrawState();
}

class ClickTrackerTest : public FrameworkTest {
protected:
    // One logic step 5 ms after the last.
    void Step(int left, int right = 0, int x = 0, int y = 0) {
        Advance(5);
        Game->Mouse->b1 = left;
        Game->Mouse->b2 = right;
        Game->Mouse->x = x;
        Game->Mouse->y = y;
        tracker.UpdateMouseClicks();
    }
    VTMouse tracker;
};

TEST_F(ClickTrackerTest, CtrlLeftCountsAsRight) {
    Keys.KeyStates[vk::LCONTROL] = 1;
    Step(1);
    EXPECT_EQ(tracker.RightClick(), 1);
    EXPECT_EQ(tracker.LeftClick(), 0);
    Keys.KeyStates[vk::LCONTROL] = 0;
    Step(1);
    EXPECT_EQ(tracker.RightClick(), 0);
    EXPECT_EQ(tracker.LeftClick(), 1);
    Step(1);
    EXPECT_EQ(tracker.LeftClick(), 2);
}

TEST_F(ClickTrackerTest, DoubleClickNeedsTimeAndDistance) {
    auto second = [&](int gapMs, int dx) {
        VTMouse fresh;
        tracker = fresh;
        Step(1, 0, 100, 100);
        for (int ms = 5; ms < gapMs; ms += 5) Step(0, 0, 100, 100);
        Step(1, 0, 100 + dx, 100);
        return tracker.DoubleClick();
    };
    EXPECT_EQ(second(400, 10), 1);
    EXPECT_EQ(second(400, 31), 0);
    EXPECT_EQ(second(600, 10), 0);
    // The flag lasts one step, and a third quick press near the second is again double.
    second(400, 10);
    Step(1, 0, 110, 100);
    EXPECT_EQ(tracker.DoubleClick(), 0);
    for (int ms = 5; ms < 100; ms += 5) Step(0, 0, 110, 100);
    Step(1, 0, 112, 100);
    EXPECT_EQ(tracker.DoubleClick(), 1);
}

TEST_F(ClickTrackerTest, DragStartsAfterMovingFarEnoughAndLastsUntilRelease) {
    Step(1, 0, 50, 50);
    EXPECT_EQ(tracker.Drag(), 0);  // the start is recorded
    Step(1, 0, 52, 52);
    EXPECT_EQ(tracker.Drag(), 0);  // 4 pixels is not enough
    Step(1, 0, 53, 52);
    EXPECT_EQ(tracker.Drag(), 1);
    Step(1, 0, 50, 50);
    EXPECT_EQ(tracker.Drag(), 1);
    Step(0, 0, 50, 50);
    EXPECT_EQ(tracker.Drag(), 0);
    EXPECT_EQ(tracker.DragStartX, -1);
}

TEST_F(PointerTest, RepeatsFollowTheInitialDelayAndInterval) {
    auto keys = TKeyRepeat::Create(400, 100);
    Keys.KeyStates['A'] = 1;
    std::vector<int> fired;
    for (int step = 0; step < 125; ++step)
        if (keys->GetKey('A')) fired.push_back(step);
    EXPECT_EQ(fired, (std::vector<int>{0, 80, 100, 120}));
    Keys.KeyStates['A'] = 0;
    EXPECT_EQ(keys->GetKey('A'), 0);
    Keys.KeyStates['A'] = 1;
    EXPECT_EQ(keys->GetKey('A'), 1);  // a new press

    // Without an initial delay the repeats start at once instead of never.
    auto quick = TKeyRepeat::Create(0, 50);
    fired.clear();
    for (int step = 0; step < 25; ++step)
        if (quick->GetKey('A')) fired.push_back(step);
    EXPECT_EQ(fired, (std::vector<int>{0, 1, 11, 21}));

    auto buttons = TMouseRepeat::Create(400, 100);
    Game->Mouse->b1 = 1;  // already held at the first question
    Game->Mouse->CalcButtonTotals();
    std::vector<int> results;
    for (int step = 0; step < 101; ++step)
        if (int r = buttons->GetButton()) results.push_back(r);
    EXPECT_EQ(results, (std::vector<int>{1, 2, 2}));
    Game->Mouse->ClearButtons();
    EXPECT_EQ(buttons->GetButton(), 0);
    EXPECT_EQ(buttons->LastState, 0);
}
