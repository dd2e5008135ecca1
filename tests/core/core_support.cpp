// SPDX-License-Identifier: GPL-3.0-or-later
#include "core_support.h"

#include "framework/core/game.h"
#include "framework/text/game_text.h"

void CoreTest::SetUp() {
    FrameworkTest::SetUp();
    Game->Paths->SubPath = scratch.Folder();
    Game->ProfilePath = scratch.Folder() + "profiles/";
    std::filesystem::create_directories(Game->ProfilePath);
    Game->TextPath = TALLYFOLD_TEXT_DIR;
    Resources.GameText = TGameText::Create("gametext.txt");
    Model.Hooks.Notice = [this](const std::string& message) { coreNotices.push_back(message); };
    Core->Start();
}

void CoreTest::TearDown() {
    Resources.GameText.reset();
    Resources.GameIni.reset();
    FrameworkTest::TearDown();
}

void CoreTest::BuildBlockPuzzle(int n) {
    Puzzle.BoardWidth = Puzzle.BoardHeight = n;
    for (int x = 0; x < n; ++x) {
        for (int y = 0; y < n; ++y) {
            const bool black = x % 3 == 0 || y % 3 == 0;
            Puzzle.SolutionGrid[x][y] = black ? BlackCell : static_cast<std::uint8_t>(x % 3 + 2 * (y % 3 - 1));
            Puzzle.PlayerGrid[x][y] = black ? BlackCell : 0;
        }
    }
    for (int x = 0; x < n; ++x) {
        for (int y = 0; y < n; ++y) {
            const bool black = Puzzle.SolutionGrid[x][y] == BlackCell;
            Puzzle.HorizontalSumGrid[x][y] = black ? static_cast<std::uint8_t>(Model.SolutionRunSum(Horizontal, x, y)) : 0;
            Puzzle.VerticalSumGrid[x][y] = black ? static_cast<std::uint8_t>(Model.SolutionRunSum(Vertical, x, y)) : 0;
        }
    }
}
