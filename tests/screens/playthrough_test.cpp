// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the real screens headless through the loop's logic step with scripted
// pointer and keys and a test clock, and leaves a picture of every state in the
// test artifacts folder.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "framework/archive/pak_manager.h"
#include "framework/audio/sound_bank.h"
#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/display/display.h"
#include "framework/screens/screen.h"
#include "framework/text/game_text.h"
#include "framework/widgets/button.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/list_box.h"
#include "framework/widgets/pointer.h"
#include "game/core/core.h"
#include "game/core/high_scores.h"
#include "game/core/options.h"
#include "game/core/save_game.h"
#include "game/screens/cells.h"
#include "game/screens/end_level_menu.h"
#include "game/screens/game_screen.h"
#include "game/screens/generate_screen.h"
#include "game/screens/help_line.h"
#include "game/screens/help_screen.h"
#include "game/screens/options_screen.h"
#include "game/screens/play_screen.h"
#include "game/screens/save_manager.h"
#include "game/screens/screens.h"
#include "game/screens/session.h"
#include "game/screens/shell.h"
#include "game/screens/title_screen.h"
#include "game_screens_fixture.h"
#include "scratch_dir.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/font.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"
#include "widget_support.h"

namespace fs = std::filesystem;
namespace vk = platform::vk;

class Playthrough : public GameScreensFixture {
protected:
    void SetUp() override {
        GameScreensFixture::SetUp();
        if (IsSkipped()) return;
        Game->DestinationTScreen = Screens.PlayScreen;
        Screens.PlayScreen->PreStart();
    }
    void Type(const std::string& text) {
        for (char c : text) platform::PostEvent({platform::EventKind::KeyChar, c, 0, 0});
        Ticks(2);
        Press(vk::RETURN);
        Ticks(200);
    }
    std::shared_ptr<TCell> Cell(int i, int j) {
        for (auto& cell : Screens.CellList->Items)
            if (cell->ArrayLocationX == i && cell->ArrayLocationY == j) return cell;
        return nullptr;
    }
};

TEST_F(Playthrough, GeneratedSixBySixSolvedToTheHighScoreTable) {
    Ticks(150);
    ASSERT_EQ(Game->CurrentTScreen, Screens.PlayScreen);
    ClickButton(Screens.PlayScreen->SizeMenu, "6x6");
    ClickButton(Screens.PlayScreen->DifficultyMenu, "easy");
    Frame("setup");
    EXPECT_EQ(PlayModel().Puzzle.BoardWidth, 6);
    EXPECT_EQ(PlayModel().Puzzle.PuzzleDifficulty, 0);

    auto play = Screens.PlayScreen->MainMenu->FindButton("play");
    ClickAt(play->x + play->w / 2.0f, play->y + play->h / 2.0f);
    Ticks(60);
    Frame("generating");
    Ticks(900);
    ASSERT_EQ(Game->CurrentTScreen, Screens.GameScreen);
    ASSERT_EQ(Screens.CellList->Count(), 36);
    Frame("board-6x6");

    // The combinations of a clue's run show while the pointer is on its half.
    std::shared_ptr<TCell> clue;
    for (auto& cell : Screens.CellList->Items)
        if (cell->HorizontalSum) clue = cell;
    ASSERT_TRUE(clue);
    MoveTo(clue->x + 9, clue->y - 9);
    Frame("hover-clue");
    EXPECT_NE(
        Screens.Board.Message.find(PlayModel().CombinationText(Horizontal, clue->ArrayLocationX, clue->ArrayLocationY)),
        std::string::npos);

    std::vector<std::shared_ptr<TCell>> whites;
    for (auto& cell : Screens.CellList->Items)
        if (cell->CellType == 0) whites.push_back(cell);
    ASSERT_GE(whites.size(), 2u);

    // A held digit key selects that digit every step and the choice stays after release.
    platform::PostEvent({platform::EventKind::KeyDown, '5', 0, 0});
    Ticks(3);
    EXPECT_EQ(Screens.Board.SelectedNumber, 5);
    Screens.Board.SelectedNumber = 2;
    Ticks(1);
    EXPECT_EQ(Screens.Board.SelectedNumber, 5);
    platform::PostEvent({platform::EventKind::KeyUp, '5', 0, 0});
    Ticks(3);
    EXPECT_EQ(Screens.Board.SelectedNumber, 5);
    // The wheel cycles through the eraser and the nine digits.
    for (int k = 0; k < 5; ++k) {
        platform::PostEvent({platform::EventKind::MouseWheel, -1, 0, 0});
        Ticks(1);
    }
    EXPECT_EQ(Screens.Board.SelectedNumber, 0);
    platform::PostEvent({platform::EventKind::MouseWheel, 1, 0, 0});
    Ticks(1);
    EXPECT_EQ(Screens.Board.SelectedNumber, 9);
    // A fast turn reports several notches at once: one step each.
    platform::PostEvent({platform::EventKind::MouseWheel, -3, 0, 0});
    Ticks(1);
    EXPECT_EQ(Screens.Board.SelectedNumber, 2);
    platform::PostEvent({platform::EventKind::MouseWheel, 12, 0, 0});
    Ticks(1);
    EXPECT_EQ(Screens.Board.SelectedNumber, 0);
    // The clue tool's key means nothing while playing.
    Press('X');
    Ticks(3);
    EXPECT_EQ(Screens.Board.SelectedNumber, 0);

    // A pencil mark by right click.
    auto first = whites.front();
    const int fx = first->ArrayLocationX, fy = first->ArrayLocationY;
    ClickButton(Screens.GameScreen->NumberMenu, "3");
    ClickAt(first->x, first->y, 2);
    EXPECT_EQ(PlayModel().Puzzle.MarkupGrid[fx][fy][2], 1);
    ClickButton(Screens.GameScreen->NumberMenu, "7");
    ClickAt(first->x, first->y, 2);
    Frame("pencil-marks");

    // Fill every white cell but one with the digit of the solution.
    for (size_t k = 0; k + 1 < whites.size(); ++k) {
        auto& cell = whites[k];
        int d = PlayModel().Puzzle.SolutionGrid[cell->ArrayLocationX][cell->ArrayLocationY];
        ClickButton(Screens.GameScreen->NumberMenu, std::to_string(d));
        ClickAt(cell->x, cell->y);
        ASSERT_EQ(PlayModel().Puzzle.PlayerGrid[cell->ArrayLocationX][cell->ArrayLocationY], d);
    }
    // The last cell: a digit already in its run is refused and the clash shown.
    auto last = whites.back();
    const int lx = last->ArrayLocationX, ly = last->ArrayLocationY;
    int clash = 0;
    for (int d = 1; d <= 9 && !clash; ++d)
        if (d != PlayModel().Puzzle.SolutionGrid[lx][ly] && PlayModel().DigitClashes(d, lx, ly)) clash = d;
    ASSERT_NE(clash, 0);
    ClickButton(Screens.GameScreen->NumberMenu, std::to_string(clash));
    ClickAt(last->x, last->y);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[lx][ly], 0);
    EXPECT_EQ(Screens.Board.ConflictShown, 1);
    Frame("conflict");

    // Paused: the board is hidden and the clock stands still.
    const std::string before = PuzzleTimerText();
    Press('P');
    Ticks(5);
    ASSERT_EQ(Game->Paused, 1);
    Frame("paused");
    Advance(60000);
    Frame("");
    Press('P');
    Ticks(5);
    Frame("");
    EXPECT_EQ(Game->Paused, 0);
    EXPECT_EQ(PuzzleTimerText().substr(0, 2), before.substr(0, 2));

    // Wrong digits show red with the mistakes aid.
    PlayModel().Options.PreventDoubleNumbers = 0;
    ClickButton(Screens.GameScreen->NumberMenu, std::to_string(clash));
    ClickAt(last->x, last->y);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[lx][ly], clash);
    PlayModel().Options.PreventDoubleNumbers = 1;
    ClickButton(Screens.GameScreen->PuzzleMenu, "showhidemistakes");
    EXPECT_EQ(PlayModel().Puzzle.ShowMistakes, 1);
    Frame("mistakes-shown");
    ClickButton(Screens.GameScreen->PuzzleMenu, "showhidemistakes");

    Ticks(250);
    ClickButton(Screens.GameScreen->NumberMenu, std::to_string(PlayModel().Puzzle.SolutionGrid[lx][ly]));
    ClickAt(last->x, last->y);
    Ticks(50);
    ASSERT_EQ(PlayModel().Puzzle.PuzzleCompleted, 1);
    ASSERT_TRUE(Screens.GameScreen->NameInput);
    Frame("name-dialog");
    Type("Ada");
    EXPECT_FALSE(Screens.GameScreen->NameInput);
    EXPECT_TRUE(fs::exists(scratch.Folder() + "hs6x6.dat"));
    EXPECT_EQ(Screens.GameScreen->endLevelMenu->Show, 1);
    Ticks(400);
    Frame("completed");
    // Nothing is left to save: the button shows it and a click opens nothing.
    auto save = Screens.GameScreen->MainMenu->FindButton("savegame");
    ASSERT_TRUE(save);
    EXPECT_EQ(save->Disabled, 1);
    ClickButton(Screens.GameScreen->MainMenu, "savegame");
    EXPECT_FALSE(Screens.GameScreen->SaveGameNameInput);
}

TEST_F(Playthrough, CombinationsOfTheLongestListsStayBelowThePaper) {
    const auto font = Resources.Font25;
    ASSERT_TRUE(font);
    const std::string header = Resources.GameText->FindString("Possible Combinations Field");
    // Every run length and clue whose combinations fill more lines than fit.
    int longLists = 0;
    for (int length = 1; length <= 9; ++length)
        for (int sum = 1; sum <= 45; ++sum) {
            std::vector<std::string> entries;
            for (const auto& entry : PossibleNumbers()[length - 1][sum - 1])
                if (!entry.empty()) entries.push_back(entry);
            if (entries.size() <= 10) continue;
            ++longLists;
            std::string text = header;
            for (size_t k = 0; k < entries.size(); ++k) {
                if (k % 5 == 0) text += "\r\n";
                for (size_t c = 0; c < entries[k].size(); ++c) text += (c ? "+" : "") + entries[k].substr(c, 1);
                if (k + 1 < entries.size()) text += ", ";
            }
            const auto shown = KeepBelowPaper(text, font);
            const auto lines = SplitLines(shown);
            ASSERT_LE(lines.size(), 3u) << shown;
            for (const auto& line : lines) EXPECT_LE(font->TextWidth(line), HelpLineWidth) << line;
            // Nothing lost, nothing added: the same entries in the same order.
            std::string before = text, after = shown;
            for (auto* t : {&before, &after})
                std::erase_if(*t, [](char c) { return c == ' ' || c == '\r' || c == '\n'; });
            EXPECT_EQ(after, before);
        }
    EXPECT_GT(longLists, 0);
    // What fits is left as it is.
    EXPECT_EQ(KeepBelowPaper(header + "\r\n1+4, 2+3", font), header + "\r\n1+4, 2+3");
}

TEST_F(Playthrough, CustomPuzzleTypedInAndChecked) {
    Ticks(150);
    ClickButton(Screens.PlayScreen->SizeMenu, "6x6");
    auto custom = Screens.PlayScreen->MainMenu->FindButton("custom");
    ClickAt(custom->x + custom->w / 2.0f, custom->y + custom->h / 2.0f);
    Ticks(900);
    ASSERT_EQ(Game->CurrentTScreen, Screens.GameScreen);
    ASSERT_EQ(PlayModel().Puzzle.CustomMode, 1);
    // An impossible board: every cell white, no clue at all.
    ClickButton(Screens.GameScreen->CustomPuzzleMenu, "checkplay");
    Ticks(200);
    Frame("custom-solving");
    Ticks(300);
    ASSERT_TRUE(Screens.GameScreen->OKInput);
    Frame("not-solvable");
    EXPECT_EQ(PlayModel().Puzzle.CustomMode, 1);
    ClickButton(Screens.GameScreen->OKInput->Menu, "OK");
    Ticks(200);
    EXPECT_FALSE(Screens.GameScreen->OKInput);

    // A 2 x 2 block walled in by black cells; its four clues are typed in.
    for (int x = 0; x < 6; ++x)
        for (int y = 0; y < 6; ++y)
            if (x < 1 || x > 2 || y < 1 || y > 2) PlayModel().StoreClueCell(x, y, 0, 0);
    PlayCore().CreateCells(0);
    ClickButton(Screens.GameScreen->CustomNumberMenu, "10");
    ASSERT_EQ(Screens.Board.SelectedNumber, 10);
    auto clue = [&](int x, int y, const std::string& across, const std::string& down) {
        auto cell = Cell(x, y);
        ClickAt(cell->x, cell->y);
        ASSERT_TRUE(Screens.GameScreen->HorizontalSumInput);
        Ticks(100);
        Type(across);
        ASSERT_TRUE(Screens.GameScreen->VerticalSumInput);
        Ticks(100);
        Screens.GameScreen->VerticalSumInput->TextInput->Text.clear();  // it shows the clue there was
        Type(down);
        EXPECT_FALSE(Screens.GameScreen->VerticalSumInput);
    };
    // An empty entry means no clue, as the dialog's caption says.
    clue(0, 1, "3", "");
    clue(0, 2, "7", "0");
    clue(1, 0, "", "4");
    // A clue no run can have is refused with the reason and asked for again, never
    // stored as something else; one too small for the run's two cells passes here
    // (another clue cell could still shorten the run) and is named by the check.
    auto refused = [&](const std::string& typed, const std::string& reason) {
        Type(typed);
        ASSERT_TRUE(Screens.GameScreen->OKInput) << typed;
        EXPECT_NE(Screens.GameScreen->OKInput->Caption->Text.find(reason), std::string::npos)
            << Screens.GameScreen->OKInput->Caption->Text;
        if (typed == "53") Frame("clue-refused");
        ClickButton(Screens.GameScreen->OKInput->Menu, "OK");
        EXPECT_EQ(PlayModel().Puzzle.VerticalSumGrid[2][0], 0);
        ASSERT_TRUE(Screens.GameScreen->VerticalSumInput);
        EXPECT_EQ(Screens.GameScreen->VerticalSumInput->TextInput->Text, typed);
        Ticks(100);
        Screens.GameScreen->VerticalSumInput->TextInput->Text.clear();
    };
    {
        auto cell = Cell(2, 0);
        ClickAt(cell->x, cell->y);
        Ticks(100);
        Type("");
        Ticks(100);
        refused("53", "53 cannot be a clue");
        refused("18", "A run of 2 cells takes a clue from 3 to 17, not 18.");
        Type("2");
        EXPECT_FALSE(Screens.GameScreen->VerticalSumInput);
        EXPECT_EQ(PlayModel().Puzzle.VerticalSumGrid[2][0], 2);
        ClickButton(Screens.GameScreen->CustomPuzzleMenu, "checkplay");
        Ticks(500);
        ASSERT_TRUE(Screens.GameScreen->OKInput);
        EXPECT_NE(Screens.GameScreen->OKInput->Caption->Text.find(
                      "In column 3, row 1, down: A run of 2 cells takes a clue from 3 to 17, not 2."),
                  std::string::npos)
            << Screens.GameScreen->OKInput->Caption->Text;
        Frame("clue-misfit");
        ClickButton(Screens.GameScreen->OKInput->Menu, "OK");
        Ticks(200);
        EXPECT_EQ(PlayModel().Puzzle.CustomMode, 1);
    }
    clue(2, 0, "0", "6");
    EXPECT_EQ(PlayModel().Puzzle.HorizontalSumGrid[0][2], 7);
    EXPECT_EQ(PlayModel().Puzzle.VerticalSumGrid[2][0], 6);
    // Ctrl+Z takes the last clue back, Ctrl+Y puts it again; the cells follow.
    platform::PostEvent({platform::EventKind::KeyDown, vk::LCONTROL, 0, 0});
    Press('Z');
    Ticks(2);
    EXPECT_EQ(PlayModel().Puzzle.VerticalSumGrid[2][0], 2);
    EXPECT_EQ(Cell(2, 0)->VerticalSum, 2);
    Press('Y');
    Ticks(2);
    platform::PostEvent({platform::EventKind::KeyUp, vk::LCONTROL, 0, 0});
    Ticks(2);
    EXPECT_EQ(PlayModel().Puzzle.VerticalSumGrid[2][0], 6);
    EXPECT_EQ(Cell(2, 0)->VerticalSum, 6);
    Frame("custom-entry");
    ClickButton(Screens.GameScreen->CustomPuzzleMenu, "checkplay");
    Ticks(1200);
    EXPECT_EQ(PlayModel().Puzzle.CustomMode, 0);
    EXPECT_EQ(PlayModel().Puzzle.SolutionGrid[1][1], 1);
    EXPECT_EQ(PlayModel().Puzzle.SolutionGrid[2][2], 4);
    EXPECT_EQ(Game->CurrentTScreen, Screens.GameScreen);
    EXPECT_FALSE(Screens.GameScreen->OKInput) << "one solution: nothing to say";
    Frame("custom-play");

    // Clues that two fillings meet: the puzzle is accepted, and the player is told so
    // once the board is back.
    FadeToScreen(Screens.PlayScreen);
    Ticks(300);
    ASSERT_EQ(Game->CurrentTScreen, Screens.PlayScreen);
    auto again = Screens.PlayScreen->MainMenu->FindButton("custom");
    ClickAt(again->x + again->w / 2.0f, again->y + again->h / 2.0f);
    Ticks(900);
    ASSERT_EQ(PlayModel().Puzzle.CustomMode, 1);
    for (int x = 0; x < 6; ++x)
        for (int y = 0; y < 6; ++y)
            if (x < 1 || x > 2 || y < 1 || y > 2) PlayModel().StoreClueCell(x, y, 0, 0);
    for (auto [x, y, across, down] : {std::tuple{0, 1, 3, 0}, {0, 2, 3, 0}, {1, 0, 0, 3}, {2, 0, 0, 3}})
        PlayModel().StoreClueCell(x, y, across, down);
    PlayCore().CreateCells(0);
    ClickButton(Screens.GameScreen->CustomPuzzleMenu, "checkplay");
    Ticks(1200);
    EXPECT_EQ(PlayModel().Puzzle.CustomMode, 0);
    ASSERT_TRUE(Screens.GameScreen->OKInput);
    EXPECT_EQ(Screens.GameScreen->OKInput->Caption->Text, Resources.GameText->FindString("Several Solutions"));
    Frame("several-solutions");
}

TEST_F(Playthrough, SavedLoadedDamagedAndDeleted) {
    Ticks(150);
    ClickButton(Screens.PlayScreen->SizeMenu, "7x7");
    auto play = Screens.PlayScreen->MainMenu->FindButton("play");
    ClickAt(play->x + play->w / 2.0f, play->y + play->h / 2.0f);
    Ticks(1200);
    ASSERT_EQ(Game->CurrentTScreen, Screens.GameScreen);
    Frame("board-7x7");
    const auto solution = PlayModel().Puzzle.SolutionGrid;

    ClickButton(Screens.GameScreen->MainMenu, "savegame");
    ASSERT_TRUE(Screens.GameScreen->SaveGameNameInput);
    Ticks(100);
    Frame("save-name");
    Type("first");  // kept as typed, without a capital
    EXPECT_FALSE(Screens.GameScreen->SaveGameNameInput);
    EXPECT_TRUE(fs::exists(Game->ProfilePath + "first.dat"));
    std::ofstream(Game->ProfilePath + "broken.dat") << "not a saved game";
    fs::copy_file(Game->ProfilePath + "first.dat", Game->ProfilePath + "gone.dat");
    const std::string LongName = "Zoe's very long Sunday evening puzzle that would never fit into the box";
    fs::copy_file(Game->ProfilePath + "first.dat", Game->ProfilePath + LongName + ".dat");
    // Saved in the same second, they stand by name after the newest-first order.
    const auto savedAt = fs::last_write_time(Game->ProfilePath + "first.dat");
    for (const std::string name : {"broken", "gone", LongName.c_str()})
        fs::last_write_time(Game->ProfilePath + name + ".dat", savedAt);
    // What a hostile or careless hand leaves in the folder: a name that leads
    // out of it where "\\" separates folders, a link out of it, a pipe, a
    // hidden file, a name the game keeps for itself. None is offered.
    const std::string victim = scratch.Folder() + "victim.dat";
    std::ofstream(victim) << "precious";
    std::ofstream(Game->ProfilePath + "..\\victim.dat") << "bait";
    fs::create_symlink(victim, Game->ProfilePath + "linked.dat");
    ASSERT_EQ(mkfifo((Game->ProfilePath + "pipe.dat").c_str(), 0600), 0);
    std::ofstream(Game->ProfilePath + ".hidden.dat") << "x";
    std::ofstream(Game->ProfilePath + "AutoSave.dat") << "x";
    PlayModel().ReservedSaveNames = {"autosave"};

    ClickButton(Screens.GameScreen->MainMenu, "backtomenu");
    ASSERT_TRUE(Screens.GameScreen->QuitInput);
    Ticks(100);
    ClickButton(Screens.GameScreen->QuitInput->Menu, "Yes");
    Ticks(300);
    ASSERT_EQ(Game->CurrentTScreen, Screens.PlayScreen);

    auto openManager = [&] {
        ClickButton(Screens.PlayScreen->MainMenu, "loadgame");
        Ticks(100);
        ASSERT_TRUE(Screens.PlayScreen->SaveGameManager);
    };
    auto choose = [&](const std::string& name) {
        auto& names = Screens.PlayScreen->SaveGameManager->ListBox->Strings;
        auto found = std::find(names.begin(), names.end(), name);
        ASSERT_NE(found, names.end()) << name;
        Screens.PlayScreen->SaveGameManager->ListBox->SetIndex(static_cast<int>(found - names.begin()));
    };

    // A damaged save is explained and nothing changes.
    PlayModel().Puzzle.SolutionGrid = {};
    openManager();
    Frame("save-manager");
    // By name, letter case aside, whatever order the folder keeps; the long
    // name ends in "..." inside its box (see the picture).
    EXPECT_EQ(Screens.PlayScreen->SaveGameManager->ListBox->Strings,
              (std::vector<std::string>{"broken", "first", "gone", LongName}));
    choose("broken");
    ClickButton(Screens.PlayScreen->SaveGameManager->Menu, "Load");
    Ticks(100);
    EXPECT_FALSE(Screens.PlayScreen->SaveGameManager);
    ASSERT_TRUE(Screens.PlayScreen->MessageDialog);
    Frame("damaged-save");
    ClickButton(Screens.PlayScreen->MessageDialog->Menu, "OK");
    Ticks(200);
    EXPECT_FALSE(Screens.PlayScreen->MessageDialog);
    EXPECT_EQ(Game->CurrentTScreen, Screens.PlayScreen);

    // A save that vanished after the list was shown: refused, and nothing is
    // written under its name.
    openManager();
    choose("gone");
    fs::remove(Game->ProfilePath + "gone.dat");
    ClickButton(Screens.PlayScreen->SaveGameManager->Menu, "Load");
    Ticks(100);
    ASSERT_TRUE(Screens.PlayScreen->MessageDialog);
    EXPECT_EQ(Game->CurrentTScreen, Screens.PlayScreen);
    EXPECT_FALSE(fs::exists(Game->ProfilePath + "gone.dat"));
    EXPECT_EQ(PlayModel().Puzzle.SolutionGrid, TGrid{});
    ClickButton(Screens.PlayScreen->MessageDialog->Menu, "OK");
    Ticks(200);

    // The good one comes back.
    openManager();
    choose("first");
    ClickButton(Screens.PlayScreen->SaveGameManager->Menu, "Load");
    Ticks(800);
    ASSERT_EQ(Game->CurrentTScreen, Screens.GameScreen);
    EXPECT_EQ(PlayModel().Puzzle.BoardWidth, 7);
    EXPECT_EQ(PlayModel().Puzzle.SolutionGrid, solution);
    Frame("loaded");

    // Escape asks before leaving; answered "no" with Escape, the question stays
    // away although the key is still down.
    platform::PostEvent({platform::EventKind::KeyDown, vk::ESCAPE, 0, 0});
    Ticks(100);
    ASSERT_TRUE(Screens.GameScreen->QuitInput);
    platform::PostEvent({platform::EventKind::KeyDown, vk::ESCAPE, 0, 0});
    Ticks(300);
    EXPECT_FALSE(Screens.GameScreen->QuitInput);
    platform::PostEvent({platform::EventKind::KeyUp, vk::ESCAPE, 0, 0});
    Ticks(2);
    // Then it leaves, and the save is deleted after a confirmation.
    Press(vk::ESCAPE);
    Ticks(100);
    ASSERT_TRUE(Screens.GameScreen->QuitInput);
    ClickButton(Screens.GameScreen->QuitInput->Menu, "Yes");
    Ticks(300);
    ASSERT_EQ(Game->CurrentTScreen, Screens.PlayScreen);
    openManager();
    choose("first");
    ClickButton(Screens.PlayScreen->SaveGameManager->Menu, "Delete");
    ASSERT_TRUE(Screens.PlayScreen->SaveGameManager->DialogYesNo);
    Ticks(100);
    Frame("delete-question");
    ClickButton(Screens.PlayScreen->SaveGameManager->DialogYesNo->Menu, "Yes");
    Ticks(50);
    EXPECT_FALSE(fs::exists(Game->ProfilePath + "first.dat"));
    EXPECT_EQ(Screens.PlayScreen->SaveGameManager->ListBox->Strings, (std::vector<std::string>{"broken", LongName}));
    Press(vk::ESCAPE);
    Ticks(100);
    EXPECT_FALSE(Screens.PlayScreen->SaveGameManager);
    EXPECT_EQ(Game->CurrentTScreen, Screens.PlayScreen);
    // Nothing outside the folder, and nothing the manager did not offer, was touched.
    EXPECT_EQ(ReadBytes(victim), "precious");
    EXPECT_EQ(ReadBytes(Game->ProfilePath + "..\\victim.dat"), "bait");
    EXPECT_TRUE(fs::is_symlink(Game->ProfilePath + "linked.dat"));
    for (const char* name : {"pipe.dat", ".hidden.dat", "AutoSave.dat"})
        EXPECT_TRUE(fs::exists(fs::symlink_status(Game->ProfilePath + name))) << name;
    PlayModel().ReservedSaveNames.clear();
}

TEST_F(Playthrough, EveryBoardSizeFitsBetweenTheMenus) {
    Ticks(150);
    auto custom = Screens.PlayScreen->MainMenu->FindButton("custom");
    ClickAt(custom->x + custom->w / 2.0f, custom->y + custom->h / 2.0f);
    Ticks(300);
    ASSERT_EQ(Game->CurrentTScreen, Screens.GameScreen);
    for (int n : {6, 7, 9, 12, 14}) {
        PlayModel().Puzzle.BoardWidth = PlayModel().Puzzle.BoardHeight = n;
        PlayCore().ClearBoardCompletely();
        for (int k = 0; k < n; ++k) PlayModel().StoreClueCell(k, 0, 0, k % 2 ? 45 : 0);
        for (int k = 1; k < n; ++k) PlayModel().StoreClueCell(0, k, 17, 0);
        PlayCore().CreateCells(0);
        Frame("board-" + std::to_string(n) + "x" + std::to_string(n));
        float left = 800, right = 0, top = 600, bottom = 0;
        for (auto& cell : Screens.CellList->Items) {
            const float half = static_cast<float>(cell->Size) / 2;
            left = std::min(left, cell->x - half);
            right = std::max(right, cell->x + half);
            top = std::min(top, cell->y - half);
            bottom = std::max(bottom, cell->y + half);
        }
        float menuRight = 0;
        for (auto& button : Screens.GameScreen->MainMenu->Items) menuRight = std::max(menuRight, button->x + button->w);
        for (auto& button : Screens.GameScreen->PuzzleMenu->Items)
            menuRight = std::max(menuRight, button->x + button->w);
        EXPECT_GT(left, menuRight) << n;
        EXPECT_LT(right, Screens.GameScreen->NumberMenu->Items.front()->x) << n;
        EXPECT_GT(top, 0) << n;
        // The two-line message sits below the board.
        EXPECT_LT(bottom, 540 - 5) << n;
    }

    // Every two and a half minutes the background cross-fades to the next picture.
    const int before = Screens.GameScreen->LastImage;
    Advance(150000);
    Ticks(1);
    ASSERT_TRUE(Screens.GameScreen->CrossFade);
    EXPECT_EQ(Screens.GameScreen->LastImage, before % 4 + 1);
    Ticks(200);
    Frame("background-cross-fade");
    Ticks(300);
    EXPECT_FALSE(Screens.GameScreen->CrossFade);
}

namespace {
// Counts the volume clicks instead of playing them.
class CountingOptionsScreen : public TOptionsScreen {
public:
    int Clicks = 0;
    int ClickSound() override {
        ++Clicks;
        return 0;
    }
};
}  // namespace

// The title's heading glows and sparkles rise from the still pointer; some
// seconds without input and the picture settles, so that nothing is presented,
// until the next input brings it all back, the glow rising from where it rested.
// Without the focus nothing moves at all, and the board's logo settles too.
TEST_F(Playthrough, DecorationSettlesWithoutInputAndWakesWithIt) {
    Game->CurrentTScreen = nullptr;
    Game->DestinationTScreen = Screens.TitleScreen;
    Screens.TitleScreen->PreStart();
    const auto presentsOver = [&](int steps) {
        const uint64_t before = platform::PresentedFrames();
        Ticks(steps);
        return platform::PresentedFrames() - before;
    };
    MoveTo(600, 300);
    // A frame every four steps of 5 ms: 50 a second while anything moves.
    EXPECT_GE(presentsOver(200), 45u);
    Ticks(TGame::SettleAfterMs / 5 + 400);
    Frame("title-settled");
    EXPECT_EQ(presentsOver(2000), 0u) << "ten seconds of a title nobody touches";
    EXPECT_FLOAT_EQ(Screens.TitleScreen->Header->Glow, Screens.TitleScreen->Header->GlowMin);

    MoveTo(610, 300);
    EXPECT_LT(Screens.TitleScreen->Header->Glow, Screens.TitleScreen->Header->GlowMin + 0.02f)
        << "the glow takes up without a jump";
    EXPECT_GE(presentsOver(200), 45u);
    EXPECT_GT(Screens.TitleScreen->Header->Glow, Screens.TitleScreen->Header->GlowMin + 0.1f);

    // Without the focus: the pause picture once, then nothing.
    platform::PostEvent({platform::EventKind::AppSuspend, 0, 0, 0});
    Ticks(20);
    EXPECT_EQ(presentsOver(1000), 0u);
    platform::PostEvent({platform::EventKind::AppResume, 0, 0, 0});
    Ticks(20);
    EXPECT_GE(presentsOver(200), 45u);

    // A board: its logo settles, the clock's second goes on showing.
    Game->DestinationTScreen = Screens.GameScreen;
    ASSERT_TRUE(PlayCore().CreatePuzzle(9, 9, 0));
    PlayCore().CreateCells(1);
    PlayCore().RestartPuzzle();
    Screens.GameScreen->PreStart();
    MoveTo(790, 10);
    Ticks(TGame::SettleAfterMs / 5 + 800);
    EXPECT_LE(presentsOver(2000), 11u) << "ten seconds of a board nobody touches";
}

TEST_F(Playthrough, TitleHubLeadsToOptionsAndHelpAndBack) {
    // The very first screen starts the music; coming back to the title never restarts it.
    Game->CurrentTScreen = nullptr;
    Game->Audio->MusicFileName.clear();
    Game->DestinationTScreen = Screens.TitleScreen;
    Screens.TitleScreen->PreStart();
    EXPECT_EQ(Game->Audio->MusicFileName, "music.ogg");
    Game->Audio->MusicFileName.clear();
    Ticks(150);
    ASSERT_EQ(Game->CurrentTScreen, Screens.TitleScreen);
    Frame("title");

    PlayModel().Options.ShowTimer = 0;
    PlayModel().Options.ShowHighlighter = 1;
    auto counting = std::make_shared<CountingOptionsScreen>();
    Screens.OptionsScreen = counting;
    ClickButton(Screens.TitleScreen->Menu, "options");
    Ticks(150);
    ASSERT_EQ(Game->CurrentTScreen, Screens.OptionsScreen);
    Frame("options");
    // The toggles open showing the settings in force.
    auto picture = [&](const std::string& name) {
        return Screens.OptionsScreen->OptionsMenu->FindButton(name)->image->name;
    };
    EXPECT_EQ(picture("showtimer"), std::string("SHOWTIMER"));
    EXPECT_EQ(picture("highlighter"), std::string("HIGHLIGHTERON"));
    // Dragging the music slider is silent; dragging the sound slider clicks at most every 250 ms.
    auto drag = [&](const std::shared_ptr<TSlider>& slider) {
        const int y = static_cast<int>(slider->y + slider->h / 2.0f);
        int x = static_cast<int>(slider->x) + 30;
        MoveTo(x, y);
        platform::PostEvent({platform::EventKind::MouseDown, 1, x, y});
        for (int k = 0; k < 200; ++k) {  // a second at 5 ms a step
            platform::PostEvent({platform::EventKind::MouseMove, 0, ++x, y});
            Ticks(1);
        }
        platform::PostEvent({platform::EventKind::MouseUp, 1, x, y});
        Ticks(2);
    };
    drag(Screens.OptionsScreen->MusicSlider);
    EXPECT_EQ(counting->Clicks, 0);
    EXPECT_EQ(Game->MusicVolume, Screens.OptionsScreen->MusicSlider->Value);
    drag(Screens.OptionsScreen->SoundSlider);
    EXPECT_GE(counting->Clicks, 3);
    EXPECT_LE(counting->Clicks, 5);
    EXPECT_EQ(Game->SoundVolume, Screens.OptionsScreen->SoundSlider->Value);
    Frame("options-changed");
    // A click on an aid's toggle switches the aid and lights the toggle.
    ClickButton(Screens.OptionsScreen->OptionsMenu, "showtimer");
    EXPECT_EQ(PlayModel().Options.ShowTimer, 1);
    EXPECT_EQ(picture("showtimer"), std::string("SHOWTIMERON"));
    // The size of text and board: each click steps it up by 25 % and the
    // window takes 800 x 600 times it at once; past 200 % it comes round to 100 %.
    const int scaleBefore = Game->Display->TextScale;
    ASSERT_EQ(scaleBefore, 100);
    for (int percent : {125, 150, 175, 200, 100}) {
        ClickAt(TTextScaleChoice::X + 20, TTextScaleChoice::Y + TTextScaleChoice::H / 2, 1, 2);
        EXPECT_EQ(Game->Display->TextScale, percent);
        // Within the desktop (the headless one is 1024 x 768), its shape kept.
        int w = 0, h = 0, dw = 0, dh = 0;
        platform::Display().ClientSize(w, h);
        platform::Display().DesktopSize(dw, dh);
        const double fit = std::min({1.0, dw / (8.0 * percent), dh / (6.0 * percent)});
        EXPECT_EQ(w, static_cast<int>(8 * percent * fit)) << percent;
        EXPECT_EQ(h, static_cast<int>(6 * percent * fit)) << percent;
        if (percent == 150) Frame("options-text-scale-150");
    }

    // Escape goes back to the title without a word to the music: the options
    // screen fades out and the title fades in, 100 steps each.
    Press(vk::ESCAPE);
    Ticks(250);
    ASSERT_EQ(Game->CurrentTScreen, Screens.TitleScreen);
    EXPECT_TRUE(Game->Audio->MusicFileName.empty());

    // A second visit, by click again, shows the settings as they are now.
    PlayModel().Options.ShowTimer = 0;
    ClickButton(Screens.TitleScreen->Menu, "options");
    Ticks(250);
    ASSERT_EQ(Game->CurrentTScreen, Screens.OptionsScreen);
    EXPECT_EQ(picture("showtimer"), std::string("SHOWTIMER"));

    Game->DestinationTScreen = Screens.HelpScreen;
    Screens.HelpScreen->PreStart();
    Ticks(150);
    Frame("help");
    // The second and third pages teach the keys, the fourth the hints; the
    // arrows and the page buttons turn the pages round, and every visit opens
    // on the first.
    ClickButton(Screens.HelpScreen->PageMenu, "pagenext");
    EXPECT_EQ(Screens.HelpScreen->Page, 1);
    Frame("help-keys");
    Press(vk::RIGHT);
    Ticks(2);
    EXPECT_EQ(Screens.HelpScreen->Page, 2);
    Frame("help-more-keys");
    Press(vk::RIGHT);
    Ticks(2);
    EXPECT_EQ(Screens.HelpScreen->Page, 3);
    Frame("help-explain");
    Press(vk::RIGHT);
    Ticks(2);
    EXPECT_EQ(Screens.HelpScreen->Page, 0);
    ClickButton(Screens.HelpScreen->PageMenu, "pageback");
    EXPECT_EQ(Screens.HelpScreen->Page, 3);
    Press(vk::PRIOR);
    Ticks(2);
    EXPECT_EQ(Screens.HelpScreen->Page, 2);
    Press(vk::LEFT);
    Ticks(2);
    EXPECT_EQ(Screens.HelpScreen->Page, 1);
    Screens.HelpScreen->PreStart();
    EXPECT_EQ(Screens.HelpScreen->Page, 0);

    // Escape: options and help go back to the title, and so does the setup
    // screen now; the title itself leaves the program.
    for (auto& screen : {std::shared_ptr<TScreen>(Screens.OptionsScreen), std::shared_ptr<TScreen>(Screens.HelpScreen),
                         std::shared_ptr<TScreen>(Screens.PlayScreen)}) {
        Game->DestinationTScreen = nullptr;
        screen->SetEscDestination();
        EXPECT_EQ(Game->DestinationTScreen, Screens.TitleScreen) << screen->name;
    }
    Screens.TitleScreen->SetEscDestination();
    EXPECT_EQ(Game->DestinationTScreen, Game->ExitScreen);
    EXPECT_TRUE(Game->Audio->MusicFileName.empty());
}

TEST(HelpText, SeveralLinesGrowUpwardFromTheirAnchor) {
    const auto tops = MessageLineTops("one\ntwo\nthree", 210, 1);
    ASSERT_EQ(tops.size(), 3u);
    EXPECT_FLOAT_EQ(tops.back(), 210);
    EXPECT_FLOAT_EQ(tops[1], 185);
    EXPECT_FLOAT_EQ(tops[0], 160);
}

TEST_F(Playthrough, StartUpResourcesEndOnTheTitleAndAWindowInTheBackgroundStartsSuspended) {
    PlayModel().HighScoreTables = THighScoreTables{};
    Resources.ImageBank->Map.clear();
    Game->CurrentTScreen = nullptr;
    // A window that is not in front after loading: the loop must start suspended.
    auto fake = std::make_unique<FakeDisplay>();
    fake->open = true;
    fake->foreground = false;
    platform::SetDisplayDevice(std::move(fake));
    Game->SuspendedEvent = 0;
    LoadGameResources();
    platform::SetDisplayDevice(nullptr);
    EXPECT_EQ(Game->SuspendedEvent, 1);
    EXPECT_EQ(Game->CurrentTScreen, Screens.TitleScreen);
    for (const char* name : {"CELL", "BORDERSUMCELLVMO", "MANAGER", "GAMESCREEN4", "TITLESCREEN", "PARTICLE2"})
        EXPECT_TRUE(Resources.ImageBank->Map.count(name)) << name;
    ASSERT_TRUE(PlayModel().HighScoreTables.HighScores6x6);
    ASSERT_TRUE(PlayModel().HighScoreTables.HighScores14x14);
    EXPECT_TRUE(Game->SpritePaused);

    // In front, the loop starts as usual.
    Game->SuspendedEvent = 0;
    LoadGameResources();
    EXPECT_EQ(Game->SuspendedEvent, 0);
}
