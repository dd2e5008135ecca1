// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The play setup screen: board size, difficulty, and the way to a new, an own
// or a saved puzzle.
#include <memory>
#include <string>

#include "framework/screens/screen.h"

class TDialogOK;
class TDialogTextInput;
class TGenerateScreen;
class TMenu;
class TOpenPuzzleChooser;
class TSaveGameManager;
class TSprite;

class TPlayScreen : public TScreen {
public:
    float x = 0, y = 0;
    std::shared_ptr<TMenu> SizeMenu;
    std::shared_ptr<TMenu> DifficultyMenu;
    std::shared_ptr<TMenu> MainMenu;
    std::string ChosenDifficulty;
    std::string ChosenSize;
    std::shared_ptr<TSaveGameManager> SaveGameManager;
    // A saved game that could not be loaded is explained here; the player stays.
    std::shared_ptr<TDialogOK> MessageDialog;
    std::shared_ptr<TSprite> SizeLabel;
    std::shared_ptr<TSprite> DifficultyLabel;
    // The overlay that makes the puzzle chosen here.
    std::shared_ptr<TGenerateScreen> GenerateScreen;

    // Puzzles from elsewhere: a code typed in or pasted, or a file (play_screen_share.cpp).
    std::shared_ptr<TMenu> ShareMenu;
    std::shared_ptr<TDialogTextInput> CodeInput;
    std::shared_ptr<TOpenPuzzleChooser> FileChooser;

    int Load() override;
    int Start() override;
    int Logic() override;
    int Draw() override;
    int SetEscDestination() override;
    virtual int ShowSaveGameManager();

    void LoadShareMenu();
    // True while the code dialog or the file chooser holds the screen.
    bool ManageShareDialogs();
    // "Enter Code", "Open File" and Ctrl+V; true when one of them acted.
    bool ManageShareButtons();
    void DrawSharing();
    // A code, or a puzzle file's text, typed or pasted: a mistyped one is refused at
    // once; a good one is opened behind the generating overlay.
    void OpenTypedCode(const std::string& text);
};

class TSaveGameManager;
// The look the setup screen's file choosers share.
void StyleChooser(TSaveGameManager& chooser);

std::string SizeName(int width);
std::string DifficultyButtonName(int difficulty);
