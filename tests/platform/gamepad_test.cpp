// SPDX-License-Identifier: GPL-3.0-or-later
// A controller plugged in while the game runs (SDL's virtual joystick) plays
// through the keys a keyboard player would press, and pulling it out lets go
// of whatever it held.
#include <SDL.h>

#include <vector>

#include "tallyfold/platform/input.h"
#include "test_support.h"

using namespace platform;

namespace {

class GamepadTest : public tftest::GraphicsTest {
protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        // SDL drops a pad's events while no window of the program has the
        // keyboard, as the offscreen test window never does.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        SetPolledInput(false);
        Drain();
    }
    void TearDown() override {
        Unplug();
        Drain();
        SetPolledInput(true);
    }

    static std::vector<std::pair<EventKind, int>> Drain() {
        // The virtual pad's state turns into events on the next update.
        SDL_JoystickUpdate();
        PumpMessages();
        std::vector<std::pair<EventKind, int>> out;
        Event e;
        while (TakeEvent(e)) out.emplace_back(e.kind, e.data);
        return out;
    }

    void Plug() {
        SDL_VirtualJoystickDesc desc;
        SDL_zero(desc);
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "Tallyfold test pad";
        index = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(index, 0) << SDL_GetError();
        joystick = SDL_JoystickOpen(index);
        ASSERT_NE(joystick, nullptr) << SDL_GetError();
        Drain();
    }
    void Unplug() {
        if (!joystick) return;
        SDL_JoystickClose(joystick);
        SDL_JoystickDetachVirtual(index);
        joystick = nullptr;
    }
    void Button(SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(joystick, button, down ? 1 : 0);
    }
    void Axis(SDL_GameControllerAxis axis, int value) {
        SDL_JoystickSetVirtualAxis(joystick, axis, static_cast<Sint16>(value));
    }

    int index = -1;
    SDL_Joystick* joystick = nullptr;
};

using Seq = std::vector<std::pair<EventKind, int>>;

TEST_F(GamepadTest, ButtonsAndTheStickArriveAsKeysAndUnpluggingLetsGo) {
    ASSERT_TRUE(SDL_WasInit(SDL_INIT_GAMECONTROLLER)) << "controller support starts with the display";
    Plug();
    const std::pair<SDL_GameControllerButton, int> buttons[] = {{SDL_CONTROLLER_BUTTON_DPAD_UP, vk::UP},
                                                                {SDL_CONTROLLER_BUTTON_DPAD_DOWN, vk::DOWN},
                                                                {SDL_CONTROLLER_BUTTON_DPAD_LEFT, vk::LEFT},
                                                                {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, vk::RIGHT},
                                                                {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, vk::PRIOR},
                                                                {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, vk::NEXT},
                                                                {SDL_CONTROLLER_BUTTON_START, 'P'},
                                                                {SDL_CONTROLLER_BUTTON_Y, vk::TAB}};
    for (auto [button, key] : buttons) {
        Button(button, true);
        EXPECT_EQ(Drain(), (Seq{{EventKind::KeyDown, key}})) << button;
        Button(button, false);
        EXPECT_EQ(Drain(), (Seq{{EventKind::KeyUp, key}})) << button;
    }
    // A and B also type Enter and Escape for dialogs and text fields.
    Button(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(Drain(), (Seq{{EventKind::KeyDown, vk::RETURN}, {EventKind::KeyChar, 13}}));
    Button(SDL_CONTROLLER_BUTTON_A, false);
    EXPECT_EQ(Drain(), (Seq{{EventKind::KeyUp, vk::RETURN}}));

    // The stick presses past half its travel, holds through a wobble, and
    // lets go near the middle; swinging across lets one arrow go for the other.
    Axis(SDL_CONTROLLER_AXIS_LEFTX, 20000);
    EXPECT_EQ(Drain(), (Seq{{EventKind::KeyDown, vk::RIGHT}}));
    Axis(SDL_CONTROLLER_AXIS_LEFTX, 12000);
    EXPECT_EQ(Drain(), Seq{});
    Axis(SDL_CONTROLLER_AXIS_LEFTX, -30000);
    EXPECT_EQ(Drain(), (Seq{{EventKind::KeyUp, vk::RIGHT}, {EventKind::KeyDown, vk::LEFT}}));
    Axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    EXPECT_EQ(Drain(), (Seq{{EventKind::KeyUp, vk::LEFT}}));

    // Pulled out with B held: B lets go, so Escape is not stuck down.
    Button(SDL_CONTROLLER_BUTTON_B, true);
    EXPECT_EQ(Drain(), (Seq{{EventKind::KeyDown, vk::ESCAPE}, {EventKind::KeyChar, 27}}));
    Unplug();
    EXPECT_EQ(Drain(), (Seq{{EventKind::KeyUp, vk::ESCAPE}}));

    // And plugged in again, it plays again.
    Plug();
    Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    EXPECT_EQ(Drain(), (Seq{{EventKind::KeyDown, vk::DOWN}}));
}

}  // namespace
