// SPDX-License-Identifier: GPL-3.0-or-later
// Game controllers arrive as the keys a keyboard player would press, so every
// screen that walks by keyboard walks by gamepad too: the D-pad and the left
// stick are the arrows, A is Enter, B is Escape, the shoulders are Page Up and
// Page Down (the digit before and after), Start is P (pause). Controllers may
// come and go while the game runs.
#include <SDL.h>

#include <cstdlib>
#include <map>

#include "internal.h"
#include "tallyfold/platform/input.h"

namespace platform::detail {
namespace {

struct Pad {
    SDL_GameController* controller = nullptr;
    // The arrow key each stick axis holds down, 0 for none.
    int stickKey[2] = {};
    // Keys this pad holds down, so that pulling its cable lets go of them.
    std::map<int, int> held;
};

std::map<SDL_JoystickID, Pad> g_pads;
bool g_tried = false;

// Past this much of its travel the stick counts as pressed, and it lets go
// only under the lower mark, so a stick resting near the line does not chatter.
constexpr int kStickPress = 16000, kStickRelease = 8000;

int KeyOfButton(int button) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return vk::UP;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return vk::DOWN;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return vk::LEFT;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return vk::RIGHT;
        case SDL_CONTROLLER_BUTTON_A:
            return vk::RETURN;
        case SDL_CONTROLLER_BUTTON_B:
            return vk::ESCAPE;
        case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
            return vk::PRIOR;
        case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
            return vk::NEXT;
        case SDL_CONTROLLER_BUTTON_START:
            return 'P';
        // Tab: where the D-pad has another use (the board's cursor, the daily
        // calendar) Y still walks the buttons.
        case SDL_CONTROLLER_BUTTON_Y:
            return vk::TAB;
        default:
            return 0;
    }
}

void Press(Pad& pad, int key, bool down) {
    if (!key) return;
    int& count = pad.held[key];
    if (down) {
        if (count++ > 0) return;
        EmitKey(EventKind::KeyDown, key);
        // Enter and Escape type a character too, as from the keyboard, so text
        // fields and dialogs answer them.
        if (key == vk::RETURN) EmitKey(EventKind::KeyChar, 13);
        if (key == vk::ESCAPE) EmitKey(EventKind::KeyChar, 27);
    } else {
        if (count == 0 || --count > 0) return;
        EmitKey(EventKind::KeyUp, key);
    }
}

void OnAxis(Pad& pad, int axis, int value) {
    if (axis != SDL_CONTROLLER_AXIS_LEFTX && axis != SDL_CONTROLLER_AXIS_LEFTY) return;
    const int slot = axis == SDL_CONTROLLER_AXIS_LEFTX ? 0 : 1;
    const int minus = slot == 0 ? vk::LEFT : vk::UP, plus = slot == 0 ? vk::RIGHT : vk::DOWN;
    int want = pad.stickKey[slot];
    if (value <= -kStickPress)
        want = minus;
    else if (value >= kStickPress)
        want = plus;
    else if (std::abs(value) < kStickRelease)
        want = 0;
    if (want == pad.stickKey[slot]) return;
    Press(pad, pad.stickKey[slot], false);
    pad.stickKey[slot] = want;
    Press(pad, want, true);
}

void Close(SDL_JoystickID id) {
    auto found = g_pads.find(id);
    if (found == g_pads.end()) return;
    for (auto& [key, count] : found->second.held)
        if (count > 0) EmitKey(EventKind::KeyUp, key);
    SDL_GameControllerClose(found->second.controller);
    g_pads.erase(found);
}

}  // namespace

void StartGamepads() {
    if (g_tried) return;
    g_tried = true;
    // No controller support is no loss: the keyboard and mouse still play.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return;
    SDL_GameControllerEventState(SDL_ENABLE);
}

void StopGamepads() {
    while (!g_pads.empty()) Close(g_pads.begin()->first);
    if (g_tried && SDL_WasInit(SDL_INIT_GAMECONTROLLER)) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    g_tried = false;
}

int GamepadsOpen() { return static_cast<int>(g_pads.size()); }

bool HandleGamepadEvent(const SDL_Event& e) {
    switch (e.type) {
        case SDL_CONTROLLERDEVICEADDED: {
            // Every controller present at start-up is announced this way as well.
            SDL_GameController* controller = SDL_GameControllerOpen(e.cdevice.which);
            if (!controller) return true;
            const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
            if (g_pads.count(id))
                SDL_GameControllerClose(controller);
            else
                g_pads[id].controller = controller;
            return true;
        }
        case SDL_CONTROLLERDEVICEREMOVED:
            Close(e.cdevice.which);
            return true;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
            auto found = g_pads.find(e.cbutton.which);
            if (found != g_pads.end())
                Press(found->second, KeyOfButton(e.cbutton.button), e.type == SDL_CONTROLLERBUTTONDOWN);
            return true;
        }
        case SDL_CONTROLLERAXISMOTION: {
            auto found = g_pads.find(e.caxis.which);
            if (found != g_pads.end()) OnAxis(found->second, e.caxis.axis, e.caxis.value);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace platform::detail
