// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The puzzle file chooser: the saved-game chooser's look, listing the files of the
// data folder's puzzles/ folder and the puzzle files of the home folder. Nothing
// is deleted from here.
#include <memory>
#include <string>
#include <vector>

#include "game/screens/save_manager.h"

class TOpenPuzzleChooser : public TSaveGameManager {
public:
    // Every listed file's full path, in the list's order.
    std::vector<std::string> Paths;
    std::string PuzzleFolder;
    std::string HomeFolder;

    static std::shared_ptr<TOpenPuzzleChooser> Create(const std::string& caption,
                                                      std::shared_ptr<platform::Image> background,
                                                      const std::string& puzzleFolder, const std::string& homeFolder);
    int MenuCreate(int gap) override;
    int FillList() override;
    // The chosen file's path; "" when nothing is chosen.
    std::string ChosenPath() const;
};

// Names the chooser offers from the home folder: files a puzzle is kept in, not
// everything there.
bool LooksLikePuzzleFileName(const std::string& name);
// At most this many files are listed from each folder.
inline constexpr std::size_t MaxListedPuzzleFiles = 500;
