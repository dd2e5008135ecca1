// SPDX-License-Identifier: GPL-3.0-or-later
// The Load list's details with hostile saves beside good ones, and the board
// screen, its questions and the Load list worked from the keyboard alone.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/core/resources.h"
#include "framework/text/game_text.h"
#include "framework/widgets/button.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/focus_ring.h"
#include "framework/widgets/list_box.h"
#include "game/core/core.h"
#include "game/screens/end_level_menu.h"
#include "game/screens/game_screen.h"
#include "game/screens/play_screen.h"
#include "game/screens/save_manager.h"
#include "game/screens/screens.h"
#include "game/screens/session.h"
#include "game_screens_fixture.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

namespace fs = std::filesystem;
namespace vk = platform::vk;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteAll(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// The text with its line `index` (from 0; lines end in CR LF) replaced.
std::string WithLine(const std::string& text, int index, const std::string& line) {
    std::size_t start = 0;
    for (int k = 0; k < index; ++k) start = text.find("\r\n", start) + 2;
    return text.substr(0, start) + line + text.substr(text.find("\r\n", start));
}

bool Framed(const TFocusRing& ring, const std::shared_ptr<TMenu>& menu, const std::string& name) {
    auto button = menu ? menu->FindButton(name) : nullptr;
    const TFocusRing::TArea area = ring.FocusedArea();
    return button && ring.Focus() >= 0 && area.X == button->x + button->offx && area.Y == button->y + button->offy &&
           area.W == static_cast<float>(button->w);
}

std::string Text(const char* key) { return Resources.GameText->FindString(key); }

}  // namespace

class KeyboardScreens : public GameScreensFixture {
protected:
    void SetUp() override {
        GameScreensFixture::SetUp();
        if (IsSkipped()) return;
        ArtifactPrefix = "keyboard-";
        ASSERT_TRUE(PlayCore().CreatePuzzle(9, 9, 1));
        PlayCore().RestartPuzzle();
        PlayModel().Puzzle.CustomMode = 0;
        Game->DestinationTScreen = Screens.GameScreen;
        Screens.GameScreen->PreStart();
        PlayCore().CreateCells(0);
        Steps(120);
    }
    // Tab until the ring frames the named button; false when a whole round misses it.
    bool TabTo(TFocusRing& ring, const std::shared_ptr<TMenu>& menu, const std::string& name) {
        for (int k = 0; k <= ring.Count(); ++k) {
            if (Framed(ring, menu, name)) return true;
            Key(vk::TAB);
        }
        return Framed(ring, menu, name);
    }
    void OpenLoadList() {
        Game->DestinationTScreen = Screens.PlayScreen;
        Screens.PlayScreen->PreStart();
        Steps(120);
        Screens.PlayScreen->ShowSaveGameManager();
        Ticks(100);
        ASSERT_TRUE(Screens.PlayScreen->SaveGameManager);
    }
};

TEST_F(KeyboardScreens, LoadListTellsEachSaveNewestFirstAndHostileSavesAsDamaged) {
    auto& puzzle = PlayModel().Puzzle;
    // Saves with ever more cells filled; the reference counts the model's grids.
    std::vector<std::string> expectedPercent;
    const std::string folder = Game->ProfilePath;
    int filled = 0, toFill = 0;
    for (int x = 0; x < 9; ++x)
        for (int y = 0; y < 9; ++y) toFill += puzzle.SolutionGrid[x][y] != BlackCell;
    for (int save = 0; save < 4; ++save) {
        for (int x = 0; x < 9; ++x)
            for (int y = 0; y < 9; ++y)
                if (puzzle.SolutionGrid[x][y] != BlackCell && (x * 9 + y) % 4 < save && puzzle.PlayerGrid[x][y] == 0) {
                    puzzle.PlayerGrid[x][y] = puzzle.SolutionGrid[x][y];
                    ++filled;
                }
        std::string error;
        ASSERT_EQ(PlayModel().SaveGameNamed("good" + std::to_string(save), &error), 1) << error;
        expectedPercent.push_back(std::to_string(filled * 100 / toFill) + "%");
    }
    const std::string good = ReadAll(folder + "good0.dat");
    // What a careless or hostile hand leaves: none may crash the list or hide the others.
    const std::vector<std::pair<std::string, std::string>> hostile = {
        {"truncated", good.substr(0, good.size() / 2)},
        {"empty", ""},
        {"hugetime", WithLine(good, 4, "999999999999999999999999999999")},
        {"hugesize", WithLine(good, 1, "99999999999x99999999999")},
        {"wrongsize", WithLine(good, 1, "06x06")},
        {"nosize", WithLine(good, 1, "x")},
        {"level9", WithLine(good, 2, "9")},
        {"negative", WithLine(good, 2, "-1")},
        {"baddigit", WithLine(good, 16, std::string(27, '7'))},
        {"oversized", good + std::string(200000, '9')},
        {"binary", std::string("\0\xff\r\n\x80", 5) + good},
    };
    for (const auto& [name, bytes] : hostile) WriteAll(folder + name + ".dat", bytes);

    // Every file a minute apart, in an order unlike their names': newest first.
    std::vector<std::string> names = {"good0", "good1", "good2", "good3"};
    for (const auto& [name, bytes] : hostile) names.push_back(name);
    std::vector<std::string> newestFirst;
    const auto base = fs::file_time_type::clock::now() - std::chrono::hours(24);
    for (std::size_t k = 0; k < names.size(); ++k) {
        // Alternate good and damaged in time, so that sorting cannot set them apart by kind.
        const std::size_t rank = (k * 7) % names.size();
        fs::last_write_time(folder + names[k] + ".dat", base + std::chrono::minutes(rank));
    }
    for (std::size_t rank = names.size(); rank-- > 0;)
        for (std::size_t k = 0; k < names.size(); ++k)
            if ((k * 7) % names.size() == rank) newestFirst.push_back(names[k]);

    OpenLoadList();
    auto& manager = *Screens.PlayScreen->SaveGameManager;
    EXPECT_EQ(manager.ListBox->Strings, newestFirst);
    ASSERT_EQ(manager.Details.size(), newestFirst.size());
    for (std::size_t row = 0; row < newestFirst.size(); ++row) {
        const std::string& name = newestFirst[row];
        const std::string& detail = manager.Details[row];
        const long long when = platform::FileModifiedTime(folder + name + ".dat");
        EXPECT_NE(detail.find(platform::LocalDateTimeText(when)), std::string::npos) << name << ": " << detail;
        if (name.rfind("good", 0) == 0) {
            const int save = name.back() - '0';
            EXPECT_EQ(
                detail.rfind(
                    "9x9  " + Text("Medium") + "  " + expectedPercent[save] + " " + Text("Save Filled") + "   ", 0),
                0u)
                << name << ": " << detail;
        } else {
            EXPECT_EQ(detail.rfind(Text("Save Damaged"), 0), 0u) << name << ": " << detail;
        }
    }
    Frame("load-list");

    // Newer saves of the same second stand by name; the list is read again on opening.
    for (const char* name : {"Beta", "alpha"}) fs::copy_file(folder + "good3.dat", folder + name + ".dat");
    const auto now = fs::file_time_type::clock::now();
    for (const char* name : {"Beta", "alpha"}) fs::last_write_time(folder + name + ".dat", now);
    manager.FillList();
    ASSERT_GE(manager.ListBox->Strings.size(), 2u);
    EXPECT_EQ(manager.ListBox->Strings[0], "alpha");
    EXPECT_EQ(manager.ListBox->Strings[1], "Beta");
}

TEST_F(KeyboardScreens, LoadListByKeysMovesTheChoiceWalksTheButtonsAndLoads) {
    for (int k = 0; k < 12; ++k) ASSERT_EQ(PlayModel().SaveGameNamed("save" + std::to_string(k + 10)), 1);
    const auto base = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (int k = 0; k < 12; ++k)
        fs::last_write_time(Game->ProfilePath + "save" + std::to_string(k + 10) + ".dat",
                            base + std::chrono::minutes(k));
    OpenLoadList();
    auto manager = Screens.PlayScreen->SaveGameManager;
    auto& list = *manager->ListBox;
    const int rows = manager->VisibleRows();
    ASSERT_LT(rows, 12);
    // The first key shows the choice on the top row; the rows follow it down and back.
    Key(vk::DOWN);
    EXPECT_EQ(list.Index, 0);
    EXPECT_EQ(list.Value, "save21");
    for (int k = 0; k < rows; ++k) Key(vk::DOWN);
    EXPECT_EQ(list.Index, rows);
    EXPECT_EQ(list.EndList, rows);
    Key(vk::END);
    EXPECT_EQ(list.Index, 11);
    EXPECT_EQ(list.EndList, 11);
    EXPECT_EQ(list.EndList - list.StartList + 1, rows);
    Key(vk::NEXT);
    EXPECT_EQ(list.Index, 11);
    Key(vk::PRIOR);
    EXPECT_EQ(list.Index, 11 - rows);
    Key(vk::HOME);
    EXPECT_EQ(list.Index, 0);
    EXPECT_EQ(list.StartList, 0);
    Key(vk::UP);
    EXPECT_EQ(list.Index, 0);
    Frame("load-list-keys");

    // Tab frames the buttons and Left and Right walk them; Enter presses the framed one.
    ASSERT_TRUE(manager->Focus);
    ASSERT_TRUE(TabTo(*manager->Focus, manager->Menu, "Delete"));
    Key(vk::RIGHT);
    EXPECT_TRUE(Framed(*manager->Focus, manager->Menu, "Load"));
    Key(vk::LEFT);
    Key(vk::LEFT);
    EXPECT_TRUE(Framed(*manager->Focus, manager->Menu, "Cancel"));
    Frame("load-list-cancel-framed");
    Key(vk::RETURN);
    Ticks(100);
    EXPECT_FALSE(Screens.PlayScreen->SaveGameManager);
    EXPECT_EQ(Game->CurrentTScreen, Screens.PlayScreen);

    // Delete asks first; Escape keeps the file. Enter with no frame loads the choice.
    Screens.PlayScreen->ShowSaveGameManager();
    Ticks(100);
    manager = Screens.PlayScreen->SaveGameManager;
    Key(vk::DOWN);
    Key(vk::DOWN);
    EXPECT_EQ(manager->ListBox->Value, "save20");
    Key(vk::DELETE_);
    ASSERT_TRUE(manager->DialogYesNo);
    Ticks(50);
    Key(vk::ESCAPE);
    Ticks(50);
    EXPECT_FALSE(manager->DialogYesNo);
    EXPECT_TRUE(fs::exists(Game->ProfilePath + "save20.dat"));
    Key(vk::RETURN);
    Ticks(800);
    EXPECT_EQ(Game->CurrentTScreen, Screens.GameScreen);
    EXPECT_EQ(PlayModel().Puzzle.BoardWidth, 9);
}

TEST_F(KeyboardScreens, BoardButtonsByTabWhileTheArrowsKeepTheCursor) {
    auto& screen = *Screens.GameScreen;
    ASSERT_TRUE(screen.Focus);
    auto& ring = *screen.Focus;
    EXPECT_EQ(ring.Focus(), -1);
    // The first Tab shows the frame on the first button; Shift+Tab goes back round.
    Key(vk::TAB);
    EXPECT_TRUE(Framed(ring, screen.MainMenu, "pause"));
    With(vk::LSHIFT, vk::TAB);
    EXPECT_TRUE(Framed(ring, screen.NumberMenu, "9"));
    Key(vk::TAB);
    EXPECT_TRUE(Framed(ring, screen.MainMenu, "pause"));
    // Every button of the board screen is reached, each once a round.
    for (const auto& menu : {screen.MainMenu, screen.PuzzleMenu, screen.ShareMenu, screen.NumberMenu})
        for (const auto& button : menu->Items)
            if (!button->Disabled && button->Active) {
                EXPECT_TRUE(TabTo(ring, menu, button->name)) << button->name;
            }

    // A digit button by Enter, then the arrows take the cursor and the frame goes.
    ASSERT_TRUE(TabTo(ring, screen.NumberMenu, "5"));
    Frame("board-digit-framed");
    Key(vk::RETURN);
    EXPECT_EQ(Screens.Board.SelectedNumber, 5);
    Key(vk::RIGHT);
    EXPECT_EQ(ring.Focus(), -1);
    ASSERT_TRUE(Screens.Board.CursorShown);
    int x = Screens.Board.CursorX, y = Screens.Board.CursorY;
    Key(vk::RETURN);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[x][y], 5);

    // An aid by Space: the mistakes switch.
    const int mistakes = PlayModel().Puzzle.ShowMistakes;
    ASSERT_TRUE(TabTo(ring, screen.PuzzleMenu, "showhidemistakes"));
    Key(vk::SPACE);
    EXPECT_NE(PlayModel().Puzzle.ShowMistakes, mistakes);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[x][y], 5);

    // Save Game opens its name question, which has the keys to itself.
    ASSERT_TRUE(TabTo(ring, screen.MainMenu, "savegame"));
    Key(vk::RETURN);
    Ticks(50);
    ASSERT_TRUE(screen.SaveGameNameInput);
    EXPECT_FALSE(screen.SaveGameNameInput->Focus);
    Key(vk::ESCAPE);
    Ticks(100);
    EXPECT_FALSE(screen.SaveGameNameInput);
}

TEST_F(KeyboardScreens, QuestionsAnsweredByTheFrameAsByTheirLetters) {
    auto& screen = *Screens.GameScreen;
    Key(vk::ESCAPE);
    Ticks(100);
    ASSERT_TRUE(screen.QuitInput);
    auto question = screen.QuitInput;
    ASSERT_TRUE(question->Focus);
    Key(vk::TAB);
    EXPECT_TRUE(Framed(*question->Focus, question->Menu, "Yes"));
    Key(vk::RIGHT);
    EXPECT_TRUE(Framed(*question->Focus, question->Menu, "No"));
    Frame("question-no-framed");
    // Enter presses the framed No, not the Yes that Enter presses unframed.
    Key(vk::RETURN);
    Ticks(100);
    EXPECT_FALSE(screen.QuitInput);
    EXPECT_EQ(Game->CurrentTScreen, Screens.GameScreen);
    Key(vk::ESCAPE);
    Ticks(100);
    ASSERT_TRUE(screen.QuitInput);
    Key(vk::DOWN);
    EXPECT_TRUE(Framed(*screen.QuitInput->Focus, screen.QuitInput->Menu, "Yes"));
    Key(vk::SPACE);
    Ticks(300);
    EXPECT_EQ(Game->CurrentTScreen, Screens.PlayScreen);
}

TEST_F(KeyboardScreens, SolvedPuzzlesEndPanelByTabGoesBackWithoutAQuestion) {
    auto& screen = *Screens.GameScreen;
    auto& puzzle = PlayModel().Puzzle;
    Key(vk::RIGHT);
    ASSERT_TRUE(Screens.Board.CursorShown);
    const int cx = Screens.Board.CursorX, cy = Screens.Board.CursorY;
    for (int x = 0; x < puzzle.BoardWidth; ++x)
        for (int y = 0; y < puzzle.BoardHeight; ++y)
            if (puzzle.SolutionGrid[x][y] != BlackCell && (x != cx || y != cy))
                puzzle.PlayerGrid[x][y] = puzzle.SolutionGrid[x][y];
    Key('0' + puzzle.SolutionGrid[cx][cy]);
    Ticks(50);
    ASSERT_EQ(puzzle.PuzzleCompleted, 1);
    if (screen.NameInput) {
        for (char c : std::string("Kay")) platform::PostEvent({platform::EventKind::KeyChar, c, 0, 0});
        Ticks(2);
        Key(vk::RETURN);
        Ticks(200);
    }
    ASSERT_FALSE(screen.NameInput);
    ASSERT_EQ(screen.endLevelMenu->Show, 1);
    Ticks(400);
    // The panel's buttons come first; the board's own are out of play and passed over.
    Key(vk::TAB);
    EXPECT_TRUE(Framed(*screen.Focus, screen.endLevelMenu->Menu, "nextpuzzle"));
    EXPECT_FALSE(TabTo(*screen.Focus, screen.NumberMenu, "5"));
    EXPECT_FALSE(TabTo(*screen.Focus, screen.MainMenu, "savegame"));
    ASSERT_TRUE(TabTo(*screen.Focus, screen.endLevelMenu->Menu, "backtomenu"));
    Frame("solved-back-framed");
    Key(vk::RETURN);
    Ticks(300);
    EXPECT_FALSE(screen.QuitInput);
    EXPECT_EQ(Game->CurrentTScreen, Screens.PlayScreen);
}
