// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The play setup screen: board size, difficulty, and the way to a new, an own
// or a saved puzzle.
#include <memory>
#include <string>

#include "framework/screens/screen.h"

class TDialogOK;
class TGenerateScreen;
class TMenu;
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

    int Load() override;
    int Start() override;
    int Logic() override;
    int Draw() override;
    int SetEscDestination() override;
    virtual int ShowSaveGameManager();
};

std::string SizeName(int width);
std::string DifficultyButtonName(int difficulty);
