// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the game adds around the framework: the game object's logic step and
// shut-down, and the one place that makes every screen, loads what they share
// and tells each screen how to reach the others.
#include "framework/core/game.h"
#include "game/screens/screen_common.h"
#include "game/screens/splash.h"

class TVellacorGame : public TGame {
public:
    int LogicWrapper() override;
    // Paused or suspended, once the start-up grace is over.
    int LogicHeld() override;
    // Nothing to do on this platform.
    virtual int CheckCommandQForMac() { return 0; }
    // The first exit shows the welcome page; the game's settings are saved last.
    void ShutDownHook() override;
};

// Logic keeps running while paused or suspended for this long after start-up,
// so a window that starts inactive still gets its first screen going.
inline constexpr int StartUpGraceMs = 5000;

// Start-up, before anything is read from disk: the banks, the screens and the
// core's hooks.
void CreateGameObjects();
// The sounds and pictures every screen shares, from the data folders and the
// archive; a missing one ends the program with its name.
void LoadSharedResources();
// Both of the above, for callers that set up the game by hand.
void CreateGameScreens();
// Start-up, after the display exists: the shared resources, the pointer, the
// high-score tables, and the title screen started as the current screen.
void LoadGameResources();

// The title's Continue: the autosaved puzzle onto the board and a fade over to
// it. 0 when there was none to load (a damaged one is removed and logged).
int ContinuePuzzle();
