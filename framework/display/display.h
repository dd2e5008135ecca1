// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window and the display: creating the graphics with their fallbacks, the
// full-screen, vsync and driver toggles, the window's size kept across runs,
// and the priorities that go with each mode. The game object owns one; the
// full-screen and vsync switches stay in the shared state, where the settings
// file, the widgets and the loop find them.
#include <functional>
#include <utility>

class TGameState;
class TSettings;

class TDisplay {
public:
    // restoreMouse puts the pointer back where it was after the display was made again.
    TDisplay(TGameState& state, TSettings& settings, std::function<void()> restoreMouse)
        : State(state), Settings(settings), RestoreMouse(std::move(restoreMouse)) {}

    int ForceWindowedMode = 0;
    int Hertz = 60;
    int Depth = 0;
    int DesktopRefreshRate = 0;
    int WindowHandle = 0;
    int ClientX = 0, ClientY = 0;
    int Driver = 0;
    int DesktopWidth = 0, DesktopHeight = 0;
    int FullScreenProcess = 0, FullScreenThread = 0;
    int WindowedProcess = 0, WindowedThread = 0;
    int FirstTime = 1;
    // The window's client size in windowed mode, kept in the settings file so
    // that the next start opens the window as the player left it; 0 means the
    // logical screen's size.
    int WindowWidth = 800, WindowHeight = 600;
    // The size of text and board in percent (100-200, steps of 25): how much
    // bigger than the logical screen the window is made, times the
    // desktop's own scale. Full screen fills the screen whatever it is.
    int TextScale = 100;

    int GraphicsCreate();
    // Tries the full-screen depths in turn; without any, falls back to the window for good.
    void CreateFullScreenMode();
    int GetActiveWindowSafe();
    int SetPriority();
    int ToggleFullScreen();
    int ToggleVSync();
    int SetDriver(int driver);
    // Follows the player's resizing of the window and saves the size once it
    // has settled.
    int TrackWindowSize();
    // Takes a new size of text and board: the window is made that size now
    // and the setting saved.
    void SetTextScale(int percent);
    // The settings file was written: a size still waiting is saved with it.
    void SettingsSaved() { WindowSizeUnsaved = false; }

private:
    TGameState& State;
    TSettings& Settings;
    std::function<void()> RestoreMouse;
    // When the window last changed size without the new size being saved yet.
    int WindowSizeChangedAt = 0;
    bool WindowSizeUnsaved = false;
};
