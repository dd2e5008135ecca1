// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The set of the game's screens, made once by the shell and reused. A screen
// never includes another screen's header: it names where the player goes next
// by its id, and the shell, which made them all, answers with the screen.
#include <functional>
#include <memory>

#include "game/screens/board_state.h"

class TCellList;
class TGameScreen;
class THelpScreen;
class THighScoreScreen;
class TOptionsScreen;
class TPlayScreen;
class TScreen;

enum class TScreenId { Title, Play, Game, Options, Help, HighScores, Daily, Statistics, Exit };

struct TScreens {
    std::shared_ptr<TScreen> TitleScreen;
    std::shared_ptr<TPlayScreen> PlayScreen;
    std::shared_ptr<TGameScreen> GameScreen;
    std::shared_ptr<TOptionsScreen> OptionsScreen;
    std::shared_ptr<THelpScreen> HelpScreen;
    std::shared_ptr<THighScoreScreen> HighScoreScreen;
    std::shared_ptr<TScreen> DailyScreen;
    std::shared_ptr<TScreen> StatisticsScreen;
    // The board on the play screen and what the screen shares with its cells.
    std::shared_ptr<TCellList> CellList;
    TBoardState Board;

    // Set by the shell: the screen behind an id, nullptr for one not made.
    std::function<std::shared_ptr<TScreen>(TScreenId)> Find;
    // The title's Continue, set by the shell: the kept puzzle onto the board
    // and a fade over to it; 0 when there was none to load.
    std::function<int()> ContinuePuzzle;
};

extern TScreens Screens;

// The screen behind id, or the exit screen when there is none.
std::shared_ptr<TScreen> ScreenOrExit(TScreenId id);
// Fade-out towards the screen behind id.
void GoToScreen(TScreenId id);
