// SPDX-License-Identifier: GPL-3.0-or-later
// Playing from the keyboard, undo and redo, the autosave with the title's
// Continue, and the run check, all through the real screens and their logic
// step with scripted keys and clicks and a test clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <tuple>

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/paths/errors.h"
#include "framework/text/game_text.h"
#include "framework/widgets/button.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/list_box.h"
#include "framework/widgets/pointer.h"
#include "game/core/autosave.h"
#include "game/core/core.h"
#include "game/core/edits.h"
#include "game/core/high_scores.h"
#include "game/core/options.h"
#include "game/core/save_game.h"
#include "game/screens/cells.h"
#include "game/screens/end_level_menu.h"
#include "game/screens/game_screen.h"
#include "game/screens/generate_screen.h"
#include "game/screens/help_line.h"
#include "game/screens/help_screen.h"
#include "game/screens/hint_panel.h"
#include "game/screens/options_screen.h"
#include "game/screens/play_screen.h"
#include "game/screens/save_manager.h"
#include "game/screens/screens.h"
#include "game/screens/session.h"
#include "game/screens/shell.h"
#include "game/screens/title_screen.h"
#include "game_screens_fixture.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"

namespace fs = std::filesystem;
namespace vk = platform::vk;

namespace {

struct Tables {
    TGrid player;
    TMarkupGrid marks;
    int autoMarkup;
    bool operator==(const Tables&) const = default;
};

Tables Snapshot() {
    return {PlayModel().Puzzle.PlayerGrid, PlayModel().Puzzle.MarkupGrid, PlayModel().Puzzle.AutoMarkup};
}

std::array<int, 3> Rgb(std::uint32_t argb) {
    return {static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF), static_cast<int>(argb & 0xFF)};
}

bool Light(int x, int y) {
    return x >= 0 && y >= 0 && x < PlayModel().Puzzle.BoardWidth && y < PlayModel().Puzzle.BoardHeight &&
           PlayModel().Puzzle.PlayerGrid[x][y] != BlackCell;
}

// Where the cursor should go, worked out from the board's light cells.
struct CursorModel {
    int x = -1, y = -1;
    bool shown = false;

    void Key(int key) {
        std::vector<std::pair<int, int>> light;
        for (int yy = 0; yy < PlayModel().Puzzle.BoardHeight; ++yy)
            for (int xx = 0; xx < PlayModel().Puzzle.BoardWidth; ++xx)
                if (Light(xx, yy)) light.push_back({xx, yy});
        const bool jump = key == vk::HOME || key == vk::END;
        if (x < 0) {
            x = light.front().first, y = light.front().second;
            shown = true;
            if (!jump) return;
        } else if (!shown) {
            shown = true;
            if (!jump) return;
        }
        std::vector<std::pair<int, int>> line;  // the light cells in the direction of travel, nearest first
        for (auto [lx, ly] : light) {
            if (key == vk::RIGHT && ly == y && lx > x) line.push_back({lx, ly});
            if (key == vk::DOWN && lx == x && ly > y) line.push_back({lx, ly});
            if (key == vk::HOME && ly == y) line.push_back({lx, ly});
        }
        for (auto it = light.rbegin(); it != light.rend(); ++it) {
            auto [lx, ly] = *it;
            if (key == vk::LEFT && ly == y && lx < x) line.push_back({lx, ly});
            if (key == vk::UP && lx == x && ly < y) line.push_back({lx, ly});
            if (key == vk::END && ly == y) line.push_back({lx, ly});
        }
        if (!line.empty()) x = line.front().first, y = line.front().second;
    }
};

class BoardKeys : public GameScreensFixture {
protected:
    void SetUp() override {
        GameScreensFixture::SetUp();
        if (IsSkipped()) return;
        ArtifactPrefix = "keys-";
        SharedData.Folder = scratch.Folder();
        NewBoard(9);
    }
    void TearDown() override {
        SharedData.Folder.clear();
        GameScreensFixture::TearDown();
    }

    // A generated puzzle on the play screen, cells in place, the fade-in over.
    void NewBoard(int size) {
        ASSERT_TRUE(PlayCore().CreatePuzzle(size, size, 1));
        PlayCore().RestartPuzzle();
        PlayModel().Puzzle.CustomMode = 0;
        Game->DestinationTScreen = Screens.GameScreen;
        Screens.GameScreen->PreStart();
        PlayCore().CreateCells(0);
        Steps(120);
    }
    void CtrlShift(int key) {
        platform::PostEvent({platform::EventKind::KeyDown, vk::LCONTROL, 0, 0});
        With(vk::LSHIFT, key);
        platform::PostEvent({platform::EventKind::KeyUp, vk::LCONTROL, 0, 0});
        Steps(1);
    }
    // Cursor onto (x, y) from wherever it is, by the shortest run of cursor
    // keys (found on the model).
    void CursorTo(int x, int y) {
        if (!Screens.Board.CursorShown) Key(vk::LEFT);
        const int keys[] = {vk::LEFT, vk::RIGHT, vk::UP, vk::DOWN, vk::HOME, vk::END};
        std::map<std::pair<int, int>, std::vector<int>> paths{{{Screens.Board.CursorX, Screens.Board.CursorY}, {}}};
        std::vector<std::pair<int, int>> queue{{Screens.Board.CursorX, Screens.Board.CursorY}};
        for (size_t at = 0; at < queue.size() && !paths.count({x, y}); ++at)
            for (int key : keys) {
                CursorModel model{queue[at].first, queue[at].second, true};
                model.Key(key);
                if (paths.count({model.x, model.y})) continue;
                auto path = paths[queue[at]];
                path.push_back(key);
                paths[{model.x, model.y}] = path;
                queue.push_back({model.x, model.y});
            }
        ASSERT_TRUE(paths.count({x, y})) << x << "," << y;
        for (int key : paths[{x, y}]) Key(key);
        ASSERT_EQ(Screens.Board.CursorX, x);
        ASSERT_EQ(Screens.Board.CursorY, y);
    }
    std::shared_ptr<TCell> Cell(int i, int j) {
        for (auto& cell : Screens.CellList->Items)
            if (cell->ArrayLocationX == i && cell->ArrayLocationY == j) return cell;
        return nullptr;
    }
    void ClickCell(int i, int j, int button = 1) {
        auto cell = Cell(i, j);
        ClickAt(cell->x, cell->y, button);
    }
    // Two light cells side by side in one run.
    std::pair<int, int> Pair() {
        for (int y = 0; y < PlayModel().Puzzle.BoardHeight; ++y)
            for (int x = 0; x + 1 < PlayModel().Puzzle.BoardWidth; ++x)
                if (Light(x, y) && Light(x + 1, y)) return {x, y};
        return {-1, -1};
    }
};

}  // namespace

TEST_F(BoardKeys, ArrowsMoveTheCursorOverClueCellsAndStopAtTheEdges) {
    EXPECT_EQ(Screens.Board.CursorShown, 0) << "no cursor until a key asks for it";
    CursorModel model;
    std::mt19937 random(3);
    const int keys[] = {vk::LEFT, vk::RIGHT, vk::UP, vk::DOWN, vk::HOME, vk::END};
    int moved = 0, stayed = 0;
    for (int board = 0; board < 3; ++board) {
        if (board > 0) {
            NewBoard(board == 1 ? 12 : 6);
            model = CursorModel{};
        }
        for (int step = 0; step < 300; ++step) {
            if (random() % 25 == 0 && model.x >= 0) {
                // A click on the board hides the cursor where it is.
                ClickCell(static_cast<int>(random() % PlayModel().Puzzle.BoardWidth),
                          static_cast<int>(random() % PlayModel().Puzzle.BoardHeight));
                model.shown = false;
            } else {
                const int key = keys[random() % 6];
                const int wasX = model.x, wasY = model.y;
                model.Key(key);
                Key(key);
                (wasX == model.x && wasY == model.y ? stayed : moved)++;
            }
            ASSERT_EQ(Screens.Board.CursorShown, model.shown ? 1 : 0) << "step " << step;
            ASSERT_EQ(Screens.Board.CursorX, model.x) << "step " << step;
            ASSERT_EQ(Screens.Board.CursorY, model.y) << "step " << step;
            ASSERT_TRUE(Light(Screens.Board.CursorX, Screens.Board.CursorY));
        }
    }
    EXPECT_GT(moved, 300);
    EXPECT_GT(stayed, 100) << "edges and clue-only lines met often";

    // The frame is drawn in the accent colour round the cursor's cell, just outside it.
    CursorTo(Pair().first, Pair().second);
    Frame("cursor");
    auto picture = platform::GrabPixmap(0, 0, 800, 600);
    auto cell = Cell(Screens.Board.CursorX, Screens.Board.CursorY);
    const auto [r, g, b] =
        Rgb(picture->ReadPixel(static_cast<int>(cell->x), static_cast<int>(cell->y) - cell->Size / 2 - 1));
    EXPECT_GT(r, 200);
    EXPECT_GT(r, b + 100) << r << " " << g << " " << b;
}

TEST_F(BoardKeys, DigitsErasureAndMarksFromTheKeyboardWithEachAid) {
    const auto [x, y] = Pair();
    ASSERT_GE(x, 0);
    const int d = PlayModel().Puzzle.SolutionGrid[x][y], e = PlayModel().Puzzle.SolutionGrid[x + 1][y];
    PlayModel().Options.PreventDoubleNumbers = 1;

    // Without the cursor a digit only chooses the tool.
    Key('0' + d);
    EXPECT_EQ(Screens.Board.SelectedNumber, d);
    EXPECT_EQ(PlayModel().EditHistory.Changes, 0);

    CursorTo(x, y);
    Key('0' + d);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[x][y], d);
    // The same digit next to it: refused, the first one flagged.
    Key(vk::RIGHT);
    Key(vk::NUMPAD0 + d);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[x + 1][y], 0);
    EXPECT_EQ(Screens.Board.ConflictShown, 1);
    EXPECT_EQ(Screens.Board.ConflictCellX, x);
    EXPECT_EQ(Screens.Board.SelectedNumber, d) << "the tool follows the key";
    Frame("conflict");
    PlayModel().Options.PreventDoubleNumbers = 0;
    Key('0' + d);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[x + 1][y], d) << "without the aid the double goes in";
    PlayModel().Options.PreventDoubleNumbers = 1;

    // Shift with a digit toggles that mark and makes the digit go.
    With(vk::LSHIFT, '0' + e);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[x + 1][y], 0);
    EXPECT_EQ(PlayModel().Puzzle.MarkupGrid[x + 1][y][e - 1], 1);
    With(vk::RSHIFT, '0' + (e % 9 + 1));
    Frame("marks");
    With(vk::LSHIFT, '0' + e);
    EXPECT_EQ(PlayModel().Puzzle.MarkupGrid[x + 1][y][e - 1], 0);
    EXPECT_EQ(PlayModel().Puzzle.MarkupGrid[x + 1][y][e % 9], 1);

    // Every erase key empties the cell and its marks.
    for (int key : {int('0'), int(vk::NUMPAD0), int(vk::DELETE_), int(vk::BACK)}) {
        Key(vk::LEFT);
        Key('0' + d);
        ASSERT_EQ(PlayModel().Puzzle.PlayerGrid[x][y], d);
        Key(key);
        EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[x][y], 0) << key;
        EXPECT_EQ(Screens.Board.SelectedNumber, 0) << key;
        Key(vk::RIGHT);
        Key(key);
        EXPECT_EQ(PlayModel().Puzzle.MarkupGrid[x + 1][y], (std::array<std::uint8_t, 10>{})) << key;
    }
    // Ctrl with a digit writes nothing.
    With(vk::LCONTROL, '0' + e);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[x + 1][y], 0);

    // Enter works like a click with the chosen tool.
    ClickButton(Screens.GameScreen->NumberMenu, std::to_string(e), 5);
    Key(vk::RETURN);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[x + 1][y], e);

    // Automatic marks follow digits typed on the cursor, worked out afresh while they
    // are not kept up to date (keeping them has a test of its own).
    PlayModel().Options.KeepPencilMarks = 0;
    ClickButton(Screens.GameScreen->PuzzleMenu, "showhideautomarkup", 5);
    ASSERT_EQ(PlayModel().Puzzle.AutoMarkup, 1);
    Key(vk::LEFT);
    Key('0' + d);
    for (int cx = 0; cx < PlayModel().Puzzle.BoardWidth; ++cx)
        for (int cy = 0; cy < PlayModel().Puzzle.BoardHeight; ++cy)
            for (int k = 1; k <= 9; ++k)
                ASSERT_EQ(PlayModel().Puzzle.MarkupGrid[cx][cy][k - 1], PlayModel().MarkupValue(k, cx, cy));

    // A pending reveal takes the key on the cursor's cell, whatever the digit.
    Key(vk::DELETE_);
    ClickButton(Screens.GameScreen->PuzzleMenu, "showdesiredcell", 5);
    ASSERT_EQ(PlayModel().Puzzle.RevealCellMode, 1);
    Key('0' + (d % 9 + 1));
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[x][y], d);
    EXPECT_EQ(PlayModel().Puzzle.RevealCellMode, 0);

    // A click hides the cursor; keys then choose tools again, and the next arrow
    // shows the cursor where it was without moving it.
    ClickCell(x + 1, y, 2);
    EXPECT_EQ(Screens.Board.CursorShown, 0);
    const Tables before = Snapshot();
    Key('0' + e);
    EXPECT_EQ(Snapshot(), before);
    Key(vk::DOWN);
    EXPECT_EQ(Screens.Board.CursorShown, 1);
    EXPECT_EQ(Screens.Board.CursorX, x);
    EXPECT_EQ(Screens.Board.CursorY, y);
}

TEST_F(BoardKeys, UndoAndRedoTakeBackEveryKindOfChange) {
    const auto [x, y] = Pair();
    const int d = PlayModel().Puzzle.SolutionGrid[x][y], e = PlayModel().Puzzle.SolutionGrid[x + 1][y];
    std::vector<Tables> states{Snapshot()};
    auto kept = [&] { states.push_back(Snapshot()); };
    CursorTo(x, y);
    Key('0' + d), kept();  // a digit by key
    ClickButton(Screens.GameScreen->NumberMenu, std::to_string(e), 5);
    ClickCell(x + 1, y), kept();  // a digit by click
    ClickButton(Screens.GameScreen->NumberMenu, std::to_string(d % 9 + 1), 5);
    ClickCell(x + 1, y, 2), kept();     // a mark by right click
    Key(vk::LEFT);                      // the click hid the cursor; this brings it back on (x, y)
    With(vk::LSHIFT, '0' + e), kept();  // a mark by key
    Key(vk::DELETE_), kept();           // an erasure
    ClickButton(Screens.GameScreen->PuzzleMenu, "showhideautomarkup", 5), kept();  // automatic marks
    ClickButton(Screens.GameScreen->PuzzleMenu, "showrandomcell", 5), kept();      // a random cell revealed
    ClickButton(Screens.GameScreen->PuzzleMenu, "showdesiredcell", 5);
    for (int cy = 0, done = 0; cy < PlayModel().Puzzle.BoardHeight && !done; ++cy)
        for (int cx = 0; cx < PlayModel().Puzzle.BoardWidth && !done; ++cx)
            if (Light(cx, cy) && PlayModel().Puzzle.PlayerGrid[cx][cy] == 0)
                ClickCell(cx, cy), kept(), done = 1;                               // a chosen cell revealed
    ClickButton(Screens.GameScreen->PuzzleMenu, "showhideautomarkup", 5), kept();  // automatic marks off
    for (size_t k = 1; k < states.size(); ++k) ASSERT_FALSE(states[k] == states[k - 1]) << "change " << k;
    auto toggle = [&] { return Screens.GameScreen->PuzzleMenu->FindButton("showhideautomarkup")->image->name; };

    // Ctrl+Z all the way back, the aid's toggle following the marks.
    for (size_t k = states.size() - 1; k > 0; --k) {
        With(vk::LCONTROL, 'Z');
        ASSERT_EQ(Snapshot(), states[k - 1]) << "undo to " << k - 1;
        EXPECT_EQ(toggle(), std::string(PlayModel().Puzzle.AutoMarkup ? "SHOWHIDEAUTOMARKUPON" : "SHOWHIDEAUTOMARKUP"));
    }
    With(vk::RCONTROL, 'Z');
    EXPECT_EQ(Snapshot(), states.front()) << "nothing left to undo";
    // Forward again with Ctrl+Y and Ctrl+Shift+Z in turn.
    for (size_t k = 1; k < states.size(); ++k) {
        if (k % 2)
            With(vk::LCONTROL, 'Y');
        else
            CtrlShift('Z');
        ASSERT_EQ(Snapshot(), states[k]) << "redo to " << k;
    }
    Frame("redone");
    // Plain Z and Y do nothing.
    Key('Z');
    Key('Y');
    EXPECT_EQ(Snapshot(), states.back());

    // A confirmed restart forgets the history.
    ClickButton(Screens.GameScreen->MainMenu, "restartpuzzle", 100);
    ASSERT_TRUE(Screens.GameScreen->RestartInput);
    ClickButton(Screens.GameScreen->RestartInput->Menu, "Yes", 50);
    const Tables restarted = Snapshot();
    With(vk::LCONTROL, 'Z');
    EXPECT_EQ(Snapshot(), restarted);
}

TEST_F(BoardKeys, AutosaveOnTheTimerFocusAndCloseIsContinuedExactly) {
    const std::string file = Game->ProfilePath + "autosave.sav";
    // An untouched puzzle replaces nothing, however long it stays.
    Advance(40000);
    Steps(2);
    EXPECT_FALSE(fs::exists(file));

    const auto [x, y] = Pair();
    CursorTo(x, y);
    Key('0' + PlayModel().Puzzle.SolutionGrid[x][y]);
    Steps(1);
    EXPECT_FALSE(fs::exists(file)) << "written on the 30-second beat, not at every change";
    Advance(Screens.GameScreen->AutosaveIntervalMs);
    Steps(1);
    ASSERT_TRUE(fs::exists(file));
    // What the file holds: the puzzle as a save game holds it, after two lines of its own.
    auto kept = [&] {
        std::ifstream in(file, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string reason;
        int custom = 0;
        auto content = ParseAutosave(text, custom, reason);
        EXPECT_TRUE(content) << reason;
        return content.value_or(TSaveGameContent{});
    };
    auto keptBoard = [&] {
        const auto content = kept();
        return Tables{content.PlayerGrid, content.MarkupGrid, content.AutoMarkup};
    };
    EXPECT_EQ(keptBoard(), Snapshot());

    // The window losing the focus writes at once.
    Key(vk::RIGHT);
    With(vk::LSHIFT, '3');
    platform::PostEvent({platform::EventKind::AppSuspend, 0, 0, 0});
    Steps(2);
    EXPECT_EQ(keptBoard(), Snapshot());
    platform::PostEvent({platform::EventKind::AppResume, 0, 0, 0});
    Steps(2);

    // A close request fades out and leaves the board, which keeps it.
    Key(vk::LEFT);
    Key(vk::DELETE_);
    With(vk::LSHIFT, '8');
    ClickButton(Screens.GameScreen->PuzzleMenu, "showhideautomarkup", 5);
    Advance(61000);  // play time: the clock shows a minute more
    const Tables atClose = Snapshot();
    platform::PostEvent({platform::EventKind::AppTerminate, 0, 0, 0});
    Steps(150);
    ASSERT_EQ(Game->CurrentTScreen, Game->ExitScreen);
    EXPECT_EQ(keptBoard(), atClose);
    const int elapsedAtClose = kept().ElapsedMs;
    EXPECT_GE(elapsedAtClose, 61000);

    // The next session: the title offers Continue first, and the board comes
    // back as it was, its clock included.
    Game->InstantExit = 0;
    Game->CurrentTScreen = nullptr;
    ASSERT_TRUE(PlayCore().CreatePuzzle(6, 6, 0));
    PlayCore().RestartPuzzle();
    Advance(3600000);
    Game->DestinationTScreen = Screens.TitleScreen;
    Screens.TitleScreen->PreStart();
    Steps(120);
    ASSERT_EQ(Game->CurrentTScreen, Screens.TitleScreen);
    ASSERT_EQ(Screens.TitleScreen->Menu->Items.front(), Screens.TitleScreen->Menu->FindButton("continue"));
    Frame("title-continue");
    // The save game manager does not list it.
    ClickButton(Screens.TitleScreen->Menu, "play", 250);
    ASSERT_EQ(Game->CurrentTScreen, Screens.PlayScreen);
    ClickButton(Screens.PlayScreen->MainMenu, "loadgame", 50);
    ASSERT_TRUE(Screens.PlayScreen->SaveGameManager);
    EXPECT_TRUE(Screens.PlayScreen->SaveGameManager->ListBox->Strings.empty());
    Key(vk::ESCAPE);
    Steps(50);
    ClickButton(Screens.PlayScreen->MainMenu, "back", 250);
    ASSERT_EQ(Game->CurrentTScreen, Screens.TitleScreen);

    ClickButton(Screens.TitleScreen->Menu, "continue", 0);
    Steps(110);
    ASSERT_EQ(Game->CurrentTScreen, Screens.GameScreen);
    EXPECT_EQ(Snapshot(), atClose);
    EXPECT_EQ(PlayModel().Puzzle.BoardWidth, 9);
    EXPECT_EQ(PlayModel().PuzzleElapsed(), elapsedAtClose + (now - Screens.GameScreen->LastAutosaveTime));
    EXPECT_EQ(Screens.GameScreen->PuzzleMenu->FindButton("showhideautomarkup")->image->name,
              std::string("SHOWHIDEAUTOMARKUPON"));
    Steps(100);
    Frame("continued");

    // Finished from the keyboard: the kept puzzle goes, and so does Continue.
    PlayModel().Options.PreventDoubleNumbers = 0;
    Key(vk::HOME);
    for (int cy = 0; cy < PlayModel().Puzzle.BoardHeight; ++cy)
        for (int cx = 0; cx < PlayModel().Puzzle.BoardWidth; ++cx)
            if (Light(cx, cy) && PlayModel().Puzzle.PlayerGrid[cx][cy] != PlayModel().Puzzle.SolutionGrid[cx][cy]) {
                CursorTo(cx, cy);
                Key('0' + PlayModel().Puzzle.SolutionGrid[cx][cy]);
            }
    Steps(5);
    ASSERT_EQ(PlayModel().Puzzle.PuzzleCompleted, 1);
    EXPECT_FALSE(fs::exists(file));
    Game->DestinationTScreen = Screens.TitleScreen;
    Screens.TitleScreen->PreStart();
    EXPECT_EQ(Screens.TitleScreen->Menu->FindButton("continue"), nullptr);
    EXPECT_EQ(Screens.TitleScreen->Menu->Items.front(), Screens.TitleScreen->Menu->FindButton("play"));
}

TEST_F(BoardKeys, ADamagedAutosaveIsDroppedAndTheTitleCarriesOn) {
    const std::string file = Game->ProfilePath + "autosave.sav";
    for (const std::string& bytes :
         {std::string("Tallyfold Autosave\r\n0\r\nTallyfold Savegame\r\n99x99\r\n"), std::string(3000, '\xff')}) {
        std::ofstream(file, std::ios::binary) << bytes;
        Game->DestinationTScreen = Screens.TitleScreen;
        Screens.TitleScreen->PreStart();
        Steps(5);
        EXPECT_EQ(Screens.TitleScreen->Menu->FindButton("continue"), nullptr);
        EXPECT_FALSE(fs::exists(file));
    }
    std::ifstream in(scratch.Folder() + "ErrorLog.txt");
    std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(log.find("was damaged (the puzzle after line 2: line 3"), std::string::npos) << log;
    EXPECT_NE(log.find("line 1: not a Tallyfold autosave"), std::string::npos) << log;

    // Broken after the title showed it: Continue then stays on the title without it.
    const auto [x, y] = Pair();
    TEditRequest digit;
    digit.X = x;
    digit.Y = y;
    digit.Digit = PlayModel().Puzzle.SolutionGrid[x][y];
    ASSERT_EQ(PlayModel().ApplyEdit(digit), TEditResult::Applied);
    ASSERT_EQ(PlayModel().WriteAutosave(), 1);
    Game->DestinationTScreen = Screens.TitleScreen;
    Screens.TitleScreen->PreStart();
    Steps(120);
    ASSERT_TRUE(Screens.TitleScreen->Menu->FindButton("continue"));
    std::ofstream(file, std::ios::binary) << "Tallyfold Autosave\r\n";
    ClickButton(Screens.TitleScreen->Menu, "continue", 10);
    EXPECT_EQ(Game->CurrentTScreen, Screens.TitleScreen);
    EXPECT_EQ(Screens.TitleScreen->Menu->FindButton("continue"), nullptr);
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(BoardKeys, RunsCheckedAsYouGoColourTheirClues) {
    // A clue cell with an across run of two or more, and the run's cells.
    int cx = -1, cy = -1, length = 0;
    for (int y = 0; y < PlayModel().Puzzle.BoardHeight && cx < 0; ++y)
        for (int x = 0; x < PlayModel().Puzzle.BoardWidth; ++x)
            if (PlayModel().Puzzle.HorizontalSumGrid[x][y] && PlayModel().RunLength(Horizontal, x, y) >= 2) {
                cx = x, cy = y, length = PlayModel().RunLength(Horizontal, x, y);
                break;
            }
    ASSERT_GE(cx, 0);
    PlayModel().Options.PreventDoubleNumbers = 0;
    PlayModel().Options.ShowSumCombinations = 0;
    auto fill = [&](std::vector<int> digits) {
        for (int k = 0; k < length; ++k) {
            CursorTo(cx + 1 + k, cy);
            Key(digits[k] ? '0' + digits[k] : int(vk::DELETE_));
        }
        MoveTo(790, 10);
    };
    // The colour of the across clue's digits: the pixels that stand out most
    // from the cell's own dark ink.
    auto clueColour = [&](const std::string& shot) {
        Frame(shot);
        auto picture = platform::GrabPixmap(0, 0, 800, 600);
        auto cell = Cell(cx, cy);
        int best = -1;
        std::array<int, 3> colour{};
        // Inside the tile: its outermost pixels let the cream sheet through.
        const int edge = cell->Size / 2 - 2;
        for (int py = static_cast<int>(cell->y) - edge; py < static_cast<int>(cell->y) - 1; ++py)
            for (int px = static_cast<int>(cell->x) - 1; px < static_cast<int>(cell->x) + edge; ++px) {
                const auto [r, g, b] = Rgb(picture->ReadPixel(px, py));
                if (r + g + b > best) best = r + g + b, colour = {r, g, b};
            }
        return colour;
    };
    std::vector<int> right, wrong, twice(static_cast<size_t>(length), 0);
    for (int k = 0; k < length; ++k) right.push_back(PlayModel().Puzzle.SolutionGrid[cx + 1 + k][cy]);
    wrong = right;
    // Full and not adding up: one digit raised to another not in the run.
    for (int v = 1; v <= 9; ++v)
        if (std::find(right.begin(), right.end(), v) == right.end() && v != right[0]) {
            wrong[0] = v;
            break;
        }
    twice[0] = twice[1] = right[0];

    PlayModel().Options.CheckRuns = 0;
    fill(right);
    auto off = clueColour("runs-unchecked");
    EXPECT_GT(off[1], 200);
    EXPECT_GT(off[0], 200) << "white while the aid is off";

    PlayModel().Options.CheckRuns = 1;
    auto green = clueColour("run-right");
    EXPECT_GT(green[1], green[0] + 60);
    EXPECT_GT(green[1], green[2] + 40);
    fill(wrong);
    auto red = clueColour("run-wrong");
    EXPECT_GT(red[0], 200);
    EXPECT_GT(red[0], red[1] + 80);
    fill(twice);
    auto repeated = clueColour("run-repeats");
    EXPECT_GT(repeated[0], 200) << "a digit twice is wrong before the run is full";
    EXPECT_GT(repeated[0], repeated[1] + 80);
    twice[1] = 0;
    fill(twice);
    auto open = clueColour("run-open");
    EXPECT_GT(open[0], 200);
    EXPECT_GT(open[1], 200) << "an open run stays white";
}

// "Explain a Step" on a real board, a ladder of three presses: H (or the aid) points
// at the place and names the technique, H again lights the cells it changes and says
// why, H again (or a click on such a cell) carries it out. Pressed on and on, it
// solves the puzzle with the solution's digits; a wrong digit is told first, then
// named; Escape and other actions put a hint away at any rung.
TEST_F(BoardKeys, ExplainAStepTeachesItsWayThroughThePuzzle) {
    // As in the game: the framework's letter keys (H switches the sound driver) are off.
    Game->IgnoreFrameworkKeys = 1;
    PlayModel().Options.PreventDoubleNumbers = 0;
    ClickButton(Screens.GameScreen->PuzzleMenu, "showhideautomarkup", 5);
    ASSERT_EQ(PlayModel().Puzzle.AutoMarkup, 1);
    const THintLadder& ladder = Screens.Board.Hints;
    auto stage = [&] { return ladder.Stage(PlayModel()); };

    // A wrong digit comes first: told, then named, then taken out.
    const auto [x, y] = Pair();
    ASSERT_GE(x, 0);
    const int wrong = PlayModel().Puzzle.SolutionGrid[x][y] % 9 + 1;
    Screens.Board.SelectedNumber = wrong;
    ClickCell(x, y);
    ASSERT_EQ(PlayModel().Puzzle.PlayerGrid[x][y], wrong);
    Key('H');
    ASSERT_EQ(stage(), THintStage::Pointed);
    ASSERT_EQ(ladder.Hint().Kind, THintKind::Wrong);
    EXPECT_EQ(ExplainedCell(x, y), 0) << "which digit is told only at the second press";
    Frame("hint-wrong-told");
    Key('H');
    EXPECT_EQ(ExplainedCell(x, y), 2);
    EXPECT_EQ(ladder.Hint().Sentence.rfind("This " + std::to_string(wrong) + " cannot be right: ", 0), 0u)
        << ladder.Hint().Sentence;
    Frame("explain-wrong");
    Key('H');
    EXPECT_EQ(stage(), THintStage::None);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[x][y], 0);

    // Escape puts the hint away at either rung and leaves the puzzle open; so does an arrow key.
    for (int rung = 1; rung <= 2; ++rung) {
        for (int k = 0; k < rung; ++k) Key('H');
        ASSERT_NE(stage(), THintStage::None);
        Key(vk::ESCAPE);
        Steps(20);
        EXPECT_EQ(stage(), THintStage::None);
        EXPECT_EQ(Screens.GameScreen->QuitInput, nullptr);
    }
    ClickButton(Screens.GameScreen->PuzzleMenu, "explainstep", 5);
    ASSERT_EQ(stage(), THintStage::Pointed);
    ClickButton(Screens.GameScreen->PuzzleMenu, "explainstep", 5);
    ASSERT_EQ(stage(), THintStage::Shown) << "the mouse climbs as the key does";
    Key(vk::RIGHT);
    EXPECT_EQ(stage(), THintStage::None);

    // The changes themselves are checked against the solution in the core's tests.
    int placed = 0, clicked = 0;
    for (int hints = 0; !PlayModel().Puzzle.PuzzleCompleted && hints < 1000; ++hints) {
        Key('H');
        ASSERT_EQ(stage(), THintStage::Pointed);
        const THint hint = ladder.Hint();
        ASSERT_EQ(hint.Kind, THintKind::Deduction) << hint.Sentence;
        ASSERT_FALSE(hint.Changes.empty());
        // The lit cells: the run or area it reasons about, its changed cells among them.
        for (const THintChange& c : hint.Changes) EXPECT_EQ(ExplainedCell(c.X, c.Y), 1);
        if (hints == 0) Frame("hint-pointed");
        Key('H');
        ASSERT_EQ(stage(), THintStage::Shown);
        const THintChange first = hint.Changes.front();
        EXPECT_EQ(ExplainedCell(first.X, first.Y), 2);
        if (placed == 0) Frame(first.Digit ? "explain-place" : "explain-remove");
        // Every other hint by a click on the cell it changes.
        if (hints % 2 == 1) {
            ClickCell(first.X, first.Y);
            ++clicked;
        } else {
            Key('H');
        }
        EXPECT_EQ(stage(), THintStage::None);
        for (const THintChange& c : hint.Changes) {
            placed += c.Digit ? 1 : 0;
            ASSERT_EQ(PlayModel().Puzzle.PlayerGrid[c.X][c.Y], c.Digit) << hint.Sentence;
        }
    }
    EXPECT_EQ(PlayModel().Puzzle.PuzzleCompleted, 1);
    EXPECT_GT(placed, 0);
    EXPECT_GT(clicked, 0);
}

// Only a puzzle solved without a revealed digit, and not typed in, takes a place;
// explained steps are counted, and the flag outlives undo, restart, saves and the autosave.
TEST_F(BoardKeys, BestTimesAreOnlyForPuzzlesSolvedWithoutRevealsAndNotTypedIn) {
    Game->IgnoreFrameworkKeys = 1;
    PlayModel().Options.PreventDoubleNumbers = 0;
    auto table = [] { return EncodeHighScores(PlayModel().HighScoreTables.HighScores6x6->Entries); };
    auto firstOpen = [] {
        for (int x = 0; x < PlayModel().Puzzle.BoardWidth; ++x)
            for (int y = 0; y < PlayModel().Puzzle.BoardHeight; ++y)
                if (PlayModel().Puzzle.PlayerGrid[x][y] == 0) return std::pair{x, y};
        return std::pair{-1, -1};
    };
    auto typeItIn = [&] {
        // The generated puzzle typed in again through the clue tool's edits and checked.
        const TPuzzleState generated = PlayModel().Puzzle;
        PlayModel().Puzzle.CustomMode = 1;
        PlayCore().CustomPuzzle();
        for (int x = 0; x < 6; ++x)
            for (int y = 0; y < 6; ++y)
                if (generated.SolutionGrid[x][y] == BlackCell)
                    PlayModel().ApplyEdit({TEditKind::ClueCell, x, y, 0, generated.HorizontalSumGrid[x][y],
                                           generated.VerticalSumGrid[x][y]});
        ASSERT_EQ(PlayCore().CheckCustomPuzzle(), 1);
        Steps(300);
        ASSERT_EQ(Game->CurrentTScreen, Screens.GameScreen);
        ASSERT_EQ(PlayModel().Puzzle.IsCustomPuzzle, 1);
        if (Screens.GameScreen->OKInput) Key(vk::RETURN);
    };
    struct Case {
        const char* name;
        std::function<void()> help;
        const char* reason;  // "" when the time is taken
        int explained;
    };
    const Case cases[] = {
        {"no help", [] {}, "", 0},
        {"reveal a cell, undone, then kept by the autosave",
         [&] {
             ClickButton(Screens.GameScreen->PuzzleMenu, "showrandomcell", 5);
             With(vk::LCONTROL, 'Z');
             ASSERT_EQ(PlayModel().WriteAutosave(), 1);
             PlayModel().ForgetHelpTaken();
             ASSERT_EQ(PlayModel().LoadAutosave(), 1);
             PlayCore().CreateCells(0);
         },
         "Revealed No Best Time", 0},
        {"reveal chosen cell, kept by a saved game",
         [&] {
             ClickButton(Screens.GameScreen->PuzzleMenu, "showdesiredcell", 5);
             const auto [x, y] = firstOpen();
             ClickCell(x, y);
             ASSERT_EQ(PlayModel().Puzzle.PlayerGrid[x][y], PlayModel().Puzzle.SolutionGrid[x][y]);
             ASSERT_EQ(PlayModel().SaveGameNamed("seen"), 1);
             PlayModel().ForgetHelpTaken();
             ASSERT_EQ(PlayModel().LoadGameNamed("seen"), 1);
             PlayCore().CreateCells(0);
         },
         "Revealed No Best Time", 0},
        {"solution shown and hidden, then restarted",
         [&] {
             ClickButton(Screens.GameScreen->PuzzleMenu, "showhidesolution", 5);
             ClickButton(Screens.GameScreen->PuzzleMenu, "showhidesolution", 5);
             PlayCore().RestartPuzzle();
         },
         "Revealed No Best Time", 0},
        {"two hints, one carried out",
         [&] {
             Key('H');
             Key('H');
             Key('H');
             Key('H');
             Key(vk::ESCAPE);
             Steps(20);
         },
         "", 2},
        {"typed in", [&] { typeItIn(); }, "Own Puzzle No Best Time", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewBoard(6);
        c.help();
        if (HasFatalFailure()) return;
        EXPECT_EQ(PlayModel().Puzzle.ExplainsUsed, c.explained);
        const std::string before = table();
        for (auto [x, y] = firstOpen(); x >= 0; std::tie(x, y) = firstOpen())
            PlayModel().ApplyEdit({TEditKind::Digit, x, y, PlayModel().Puzzle.SolutionGrid[x][y]});
        Steps(5);
        ASSERT_EQ(PlayModel().Puzzle.PuzzleCompleted, 1);
        const std::string message = FinishedMessage();
        if (*c.reason == 0) {
            ASSERT_TRUE(Screens.GameScreen->NameInput) << "a fair time takes its place";
            for (char ch : std::string("Ada")) platform::PostEvent({platform::EventKind::KeyChar, ch, 0, 0});
            Steps(2);
            Key(vk::RETURN);
            Steps(5);
            EXPECT_EQ(PlayModel().HighScoreTables.HighScores6x6->Entries.front()->name, "Ada");
            EXPECT_EQ(message.find("best time"), std::string::npos) << message;
        } else {
            EXPECT_FALSE(Screens.GameScreen->NameInput);
            EXPECT_EQ(Screens.GameScreen->endLevelMenu->Show, 1);
            EXPECT_EQ(table(), before);
            EXPECT_NE(message.find(Resources.GameText->FindString(c.reason)), std::string::npos) << message;
            if (c.name[0] == 's') Frame("solved-without-best-time");
        }
        const std::string summary = HintSummary();
        EXPECT_EQ(summary.find("Hints: 2 pointed, 1 shown, 1 carried out.") != std::string::npos, c.explained == 2)
            << summary;
        EXPECT_NE(summary.find("This puzzle needed: "), std::string::npos) << summary;
    }
    PlayModel().HighScoreTables.HighScores6x6->Load();
    const auto& entries = PlayModel().HighScoreTables.HighScores6x6->Entries;
    EXPECT_EQ(std::count_if(entries.begin(), entries.end(), [](const auto& e) { return e->name == "Ada"; }), 2)
        << "the two fair places, kept on disk";
}
