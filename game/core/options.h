// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The player's aids and the first-run flag, kept in the game's own settings
// file (Resources.GameIni, "config.ini" in the shared data folder).

struct TGameOptions {
    int PreventDoubleNumbers = 1;
    int ShowTimer = 1;
    int ShowSumCombinations = 1;
    int ShowRemainingSum = 0;
    int ShowHighlighter = 0;
    int FirstRun = 1;
    // Clues turn green when their run is full and adds up, red when it repeats
    // a digit or is full and does not.
    int CheckRuns = 0;
};

extern TGameOptions Options;

// Resources.GameIni's lines become one per option, with the current values.
void WriteGameOptions();
// The options take the values of Resources.GameIni's lines with their names.
void ReadGameOptions();
// WriteGameOptions, then Resources.GameIni is written. 1 written; 0 when it could not be
// (the player has been told, and the options stay in force for this session).
int SaveGameOptions();
// Start-up: Resources.GameIni (created when missing) named SubPath + "config", the defaults
// in it, the file loaded over them and the values read back.
void LoadGameOptions();
void ResetGameOptions();
