// SPDX-License-Identifier: GPL-3.0-or-later
// The window and the display: creation with its fallbacks, the toggles that
// make it again, the window's size and the priorities.
#include "framework/display/display.h"

#include <string>

#include "framework/core/game_state.h"
#include "framework/core/input.h"
#include "framework/core/timing.h"
#include "framework/paths/errors.h"
#include "framework/settings/settings.h"
#include "framework/widgets/pointer.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

int TDisplay::GraphicsCreate() {
    auto& display = platform::Display();
    if (display.CountModes() <= 0) throw RuntimeError("No 3D Hardware Found (could not count graphics modes.)");
    if (!display.DriverAvailable(platform::GfxDriver::OpenGL) ||
        !display.SelectDriver(platform::GfxDriver::OpenGL, platform::GRAPHICS_BACKBUFFER))
        throw RuntimeError("No DirectX or OpenGL 3D Drivers Found!");
    // OpenGL is the only driver there is; a settings file that names the
    // other one is brought round to it once.
    if (Driver != 1) {
        Driver = 1;
        Settings.IniUpdate(1);
    }
    if (FirstTime) {
        FirstTime = 0;
        DesktopRefreshRate = 60;
        display.DesktopSize(DesktopWidth, DesktopHeight);
    }
    display.SetWindowedSize(WindowWidth, WindowHeight);
    display.SetTextScale(TextScale);
    if (State.FullScreen) CreateFullScreenMode();
    if (!State.FullScreen) {
        if (!display.CreateGraphics(ScreenWidth, ScreenHeight, 0, DesktopRefreshRate, platform::GRAPHICS_BACKBUFFER)) {
            throw RuntimeError("Cannot create Windowed Mode at " + std::to_string(ScreenWidth) + "x" +
                               std::to_string(ScreenHeight) + " " + std::to_string(DesktopRefreshRate) + "Hz");
        }
        Depth = 0;
        WindowHandle = GetActiveWindowSafe();
        display.CentreWindow();
        State.SetWindowCoords();
        State.SetClientCoords();
    } else {
        WindowHandle = GetActiveWindowSafe();
    }
    Keys.UsePlatformInput = 0;
    platform::SetPolledInput(false);
    SetPriority();
    display.SetWindowIcon(State.ImagePath + "icon.png");
    return 0;
}

void TDisplay::CreateFullScreenMode() {
    auto& display = platform::Display();
    for (const int depth : {32, 24, 16}) {
        if (display.ModeExists(ScreenWidth, ScreenHeight, depth, 0) &&
            display.CreateGraphics(ScreenWidth, ScreenHeight, depth, Hertz, platform::GRAPHICS_BACKBUFFER)) {
            Depth = depth;
            return;
        }
    }
    // No full-screen mode at all: the window it is, and the toggle stays off.
    ForceWindowedMode = 1;
    State.FullScreen = 0;
}

int TDisplay::GetActiveWindowSafe() { return platform::Display().WindowHandle(); }

int TDisplay::SetPriority() {
    int process = State.FullScreen ? FullScreenProcess : WindowedProcess;
    int thread = State.FullScreen ? FullScreenThread : WindowedThread;
    platform::SetProcessPriority(process);
    platform::SetThreadPriority(thread);
    return 0;
}

int TDisplay::ToggleFullScreen() {
    if (State.FullScreen) {
        State.FullScreen = 0;
    } else {
        if (ForceWindowedMode) return 0;
        State.FullScreen = 1;
        platform::HideMouse();
    }
    if (State.Mouse) State.Mouse->ClearButtons();
    GraphicsCreate();
    RestoreMouse();
    Settings.IniUpdate(1);
    State.FixedRateLogic->Init();
    State.FixedRateLogic->HistoryClear();
    return 0;
}

int TDisplay::ToggleVSync() {
    State.VSync = State.VSync ? 0 : 1;
    Settings.IniUpdate(1);
    State.FlipSync = State.VSync ? 1 : 0;
    State.FixedRateLogic->Init();
    State.FixedRateLogic->HistoryClear();
    return 0;
}

int TDisplay::SetDriver(int driver) {
    int wanted = driver == 0 ? 0 : 1;
    if (wanted == Driver) return 0;
    Driver = wanted;
    platform::Display().CloseGraphics();
    GraphicsCreate();
    if (State.Mouse) platform::MoveMouse(State.Mouse->x, State.Mouse->y);
    Settings.IniUpdate(1);
    State.FixedRateLogic->Init();
    State.FixedRateLogic->HistoryClear();
    FlushInput();
    return 1;
}

void TDisplay::SetTextScale(int percent) {
    TextScale = platform::CheckedTextScale(percent);
    auto& display = platform::Display();
    display.SetTextScale(TextScale);
    if (display.IsFullScreen()) {
        // The window, when it comes back, opens at the new size.
        WindowWidth = WindowHeight = 0;
        display.SetWindowedSize(0, 0);
    } else {
        display.ApplyTextScale();
        // The window's new size is the player's choice until they drag it.
        TrackWindowSize();
    }
    Settings.IniUpdate(1);
}

int TDisplay::TrackWindowSize() {
    if (State.FullScreen) return 0;
    int w = 0, h = 0;
    platform::Display().ClientSize(w, h);
    if (w <= 0 || h <= 0) return 0;
    const unsigned now = static_cast<unsigned>(platform::MilliSecs());
    if (w != WindowWidth || h != WindowHeight) {
        WindowWidth = w;
        WindowHeight = h;
        WindowSizeUnsaved = true;
        WindowSizeChangedAt = static_cast<int>(now);
        return 0;
    }
    // Dragging a window's edge resizes it many times a second; the file is
    // written once the size has stayed put for a moment.
    constexpr unsigned SettleMs = 500;
    // Saved without the changed-settings marker: a size the player dragged the
    // window to cannot stop the game, and a crash soon after it (of anything)
    // would otherwise throw away every setting for the shipped defaults.
    if (WindowSizeUnsaved && now - static_cast<unsigned>(WindowSizeChangedAt) >= SettleMs) {
        Settings.IniUpdate(0);
        State.FixedRateLogic->Init();
    }
    return 0;
}
