// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard walk: every arrow from every control of a grid lands where a
// brute-force search over the pictures' centres says it should, Tab runs in
// order, and Enter reaches the framed button only, never an OK button beside it.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "controls_support.h"
#include "framework/widgets/button.h"
#include "framework/widgets/focus_ring.h"
#include "framework/widgets/list_box.h"

namespace vk = platform::vk;

class FocusRingTest : public ControlsTest {
protected:
    // A ragged grid of buttons: rows of 4, 3 and 4, each row shifted, so that
    // "straight ahead" and "nearest" differ.
    void SetUp() override {
        ControlsTest::SetUp();
        menu = TMenu::Create("buttonMO", "buttonclick", 0, 0, 0);
        const int rows[][2] = {{4, 40}, {3, 90}, {4, 10}};
        int n = 0;
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < rows[row][0]; ++col) {
                auto b = menu->AddQuick("OK", "b" + std::to_string(n++));
                b->x = static_cast<float>(rows[row][1] + col * 150);
                b->y = static_cast<float>(100 + row * 120);
            }
        ring = TFocusRing::Create();
        ring->AddMenu(menu);
    }
    // One step: the walk, then the menu, as a screen polls them.
    void Poll() {
        Step();
        ring->Manage();
        menu->Manage(0, 0);
    }
    void Hit(int key) {
        Key(key);
        Poll();
    }
    // Where a player expects an arrow to go: the control in that half-plane
    // with the least distance ahead plus three times the distance aside; with
    // none, the next (Down, Right) or previous (Up, Left) control in order.
    int Expected(int from, int dx, int dy) const {
        auto centre = [&](int i) {
            const auto& b = menu->Items[static_cast<size_t>(i)];
            return std::pair{b->x + b->w / 2.0f, b->y + b->h / 2.0f};
        };
        const auto [fx, fy] = centre(from);
        int best = -1;
        float bestScore = std::numeric_limits<float>::max();
        for (int i = 0; i < static_cast<int>(menu->Items.size()); ++i) {
            if (i == from || menu->Items[static_cast<size_t>(i)]->Disabled) continue;
            const auto [x, y] = centre(i);
            const float ahead = dx != 0 ? (x - fx) * dx : (y - fy) * dy;
            const float aside = dx != 0 ? std::fabs(y - fy) : std::fabs(x - fx);
            if (ahead <= 0.5f) continue;
            if (ahead + 3 * aside < bestScore) bestScore = ahead + 3 * aside, best = i;
        }
        if (best >= 0) return best;
        const int count = static_cast<int>(menu->Items.size()), step = dx + dy > 0 ? 1 : -1;
        for (int k = 1; k <= count; ++k) {
            const int i = ((from + step * k) % count + count) % count;
            if (!menu->Items[static_cast<size_t>(i)]->Disabled) return i;
        }
        return -1;
    }

    std::shared_ptr<TMenu> menu;
    std::shared_ptr<TFocusRing> ring;
};

TEST_F(FocusRingTest, EveryArrowFromEveryControlLandsWhereTheReferenceSays) {
    menu->Items[5]->Disabled = 1;
    const int arrows[][3] = {{vk::UP, 0, -1}, {vk::DOWN, 0, 1}, {vk::LEFT, -1, 0}, {vk::RIGHT, 1, 0}};
    for (int from = 0; from < static_cast<int>(menu->Items.size()); ++from) {
        if (from == 5) continue;
        for (const auto& [key, dx, dy] : arrows) {
            ring->SetFocus(from);
            Hit(key);
            EXPECT_EQ(ring->Focus(), Expected(from, dx, dy)) << "from " << from << " key " << key;
            EXPECT_NE(ring->Focus(), 5) << "a disabled control is passed over";
        }
    }
}

TEST_F(FocusRingTest, FirstKeyOnlyShowsTheFrameAndTabRunsInOrderBothWays) {
    EXPECT_EQ(ring->Focus(), -1);
    Hit(vk::DOWN);
    EXPECT_EQ(ring->Focus(), 0) << "the first walking key frames the first control and goes no further";
    std::vector<int> seen;
    for (int k = 0; k < 12; ++k) {
        Hit(vk::TAB);
        seen.push_back(ring->Focus());
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0, 1}));
    platform::PostEvent({platform::EventKind::KeyDown, vk::SHIFT, 0, 0});
    Hit(vk::TAB);
    EXPECT_EQ(ring->Focus(), 0) << "Shift+Tab goes back";
    Hit(vk::TAB);
    EXPECT_EQ(ring->Focus(), 10) << "and wraps";
    platform::PostEvent({platform::EventKind::KeyUp, vk::SHIFT, 0, 0});
}

TEST_F(FocusRingTest, EnterPressesTheFramedButtonOnlyAndIsLeftAloneWhileNothingIsFramed) {
    menu->Items[0]->OKButton = 1;
    // Nothing framed yet: Enter is the OK button's.
    Hit(vk::RETURN);
    EXPECT_TRUE(menu->Clicked("b0"));
    Hit(vk::RIGHT);
    Hit(vk::RIGHT);
    ASSERT_EQ(ring->Focus(), 1);
    for (int key : {vk::RETURN, vk::SPACE}) {
        Hit(key);
        EXPECT_TRUE(menu->Clicked("b1")) << key;
        EXPECT_FALSE(menu->Clicked("b0")) << "the OK button beside the frame stays up";
    }
}

TEST_F(FocusRingTest, SliderStepsWithLeftAndRightWithinItsRangeAndTellsTheScreen) {
    WritePng(dir / "graphics/slider.png", 200, 20);
    WritePng(dir / "graphics/marker.png", 11, 20);
    auto slider = TSlider::CreateSpecial("slider", "marker", 300, 500, 20, "musicslider", 0);
    slider->SetValue(10);
    std::vector<int> told;
    ring->Clear();
    ring->AddSlider(slider, 5, [&](int value) { told.push_back(value); });
    ring->AddMenu(menu);
    ring->SetFocus(0);
    for (int k = 0; k < 3; ++k) Hit(vk::LEFT);
    EXPECT_EQ(told, (std::vector<int>{5, 0, 0}));
    EXPECT_EQ(ring->Focus(), 0) << "Left and Right change the slider instead of leaving it";
    Hit(vk::RIGHT);
    EXPECT_EQ(slider->Value, 5);
    Hit(vk::TAB);
    EXPECT_EQ(ring->Focus(), 1);
}
