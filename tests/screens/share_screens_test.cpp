// SPDX-License-Identifier: GPL-3.0-or-later
// Passing puzzles on through the real screens: the code over the board, copied and
// pasted through the clipboard, typed in, a file chosen or refused, and the
// pictures "Export" writes.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/widgets/button.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/list_box.h"
#include "game/core/share.h"
#include "game/screens/cells.h"
#include "game/screens/game_screen.h"
#include "game/screens/generate_screen.h"
#include "game/screens/open_puzzle_chooser.h"
#include "game/screens/play_screen.h"
#include "game/screens/puzzle_opening.h"
#include "game/screens/screens.h"
#include "game/screens/session.h"
#include "game_screens_fixture.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"

namespace fs = std::filesystem;
namespace vk = platform::vk;

namespace {

const char* const kGoodFile =
    "; every clue here has one set of digits\n"
    "  #   16\\   24\\     #\n"
    "  \\17   .     .   17\\\n"
    "  \\24   .     .     .\n"
    "  #     \\16   .     .\n";

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

}  // namespace

class SharePuzzles : public GameScreensFixture {
protected:
    void SetUp() override {
        GameScreensFixture::SetUp();
        if (IsSkipped()) return;
        ArtifactPrefix = "share-";
        // As the game has it: Ctrl+V is the game's, not the framework's vsync key.
        Game->IgnoreFrameworkKeys = 1;
        Game->DestinationTScreen = Screens.PlayScreen;
        Screens.PlayScreen->PreStart();
        Ticks(150);
    }
    void CtrlKey(int key) {
        platform::PostEvent({platform::EventKind::KeyDown, vk::LCONTROL, 0, 0});
        platform::PostEvent({platform::EventKind::KeyDown, vk::CONTROL, 0, 0});
        Ticks(2);
        Press(key);
        Ticks(2);
        platform::PostEvent({platform::EventKind::KeyUp, vk::LCONTROL, 0, 0});
        platform::PostEvent({platform::EventKind::KeyUp, vk::CONTROL, 0, 0});
        Ticks(2);
    }
    // The board's puzzle: size, cells and clues.
    static std::string Board() { return engine::WritePuzzleText(PuzzleFromTables(PlayModel().Puzzle, true), true); }
};

// A generated puzzle's code goes out through Ctrl+C and comes back through Ctrl+V on
// the setup screen as the same puzzle; a mistyped code typed into "Enter Code" is
// refused and the board stays.
TEST_F(SharePuzzles, CodeCopiedFromTheBoardOpensTheSamePuzzleAgain) {
    ClickButton(Screens.PlayScreen->SizeMenu, "7x7");
    ClickButton(Screens.PlayScreen->MainMenu, "play", 0);
    Ticks(900);
    ASSERT_EQ(Game->CurrentTScreen, Screens.GameScreen);
    const std::string generated = Board();
    const std::string code = PuzzleCodeOf(PlayModel().Puzzle);
    ASSERT_FALSE(code.empty());
    platform::SetClipboardText("nothing yet");
    CtrlKey('C');
    Frame("board-code-copied");
    std::string clipboard;
    ASSERT_TRUE(platform::GetClipboardText(clipboard, 100));
    EXPECT_EQ(clipboard, code);
    ASSERT_TRUE(Screens.GameScreen->OKInput) << "the player is told what was copied";
    Press(vk::RETURN);
    Ticks(20);

    // Another puzzle on the board, then the copied code from the setup screen.
    PlayCore().NewPuzzle();
    ASSERT_NE(Board(), generated);
    Game->DestinationTScreen = Screens.PlayScreen;
    Screens.PlayScreen->PreStart();
    Ticks(150);
    ASSERT_EQ(Game->CurrentTScreen, Screens.PlayScreen);
    Frame("setup-with-share-buttons");
    CtrlKey('V');
    Ticks(60);
    Frame("opening-code");
    Ticks(900);
    ASSERT_EQ(Game->CurrentTScreen, Screens.GameScreen);
    EXPECT_EQ(Board(), generated);
    EXPECT_EQ(PuzzleCodeOf(PlayModel().Puzzle), code);

    // One character wrong, typed in: a message, and nothing else happens.
    Game->DestinationTScreen = Screens.PlayScreen;
    Screens.PlayScreen->PreStart();
    Ticks(150);
    ClickButton(Screens.PlayScreen->ShareMenu, "entercode", 20);
    ASSERT_TRUE(Screens.PlayScreen->CodeInput);
    std::string wrong = code;
    wrong[2] = wrong[2] == 'A' ? 'B' : 'A';
    for (char c : wrong) platform::PostEvent({platform::EventKind::KeyChar, c, 0, 0});
    Ticks(4);
    Frame("code-typed");
    Press(vk::RETURN);
    Ticks(60);
    Frame("code-refused");
    EXPECT_FALSE(Screens.PlayScreen->CodeInput);
    ASSERT_TRUE(Screens.PlayScreen->MessageDialog);
    EXPECT_FALSE(Screens.PlayScreen->GenerateScreen->Active);
    EXPECT_EQ(Board(), generated);
    Press(vk::RETURN);
    Ticks(200);
    EXPECT_EQ(Game->CurrentTScreen, Screens.PlayScreen);
}

// The chooser lists the data folder's puzzles/ and the home folder's puzzle files;
// a chosen good file goes onto the board. Hostile files change nothing.
TEST_F(SharePuzzles, PuzzleFilesFromTheChooserAndHostileOnes) {
    const std::string puzzles = Game->Paths->SubPath + "puzzles/";
    fs::create_directories(puzzles);
    Write(puzzles + "four.txt", kGoodFile);
    Write(puzzles + ".hidden.txt", kGoodFile);
    const std::string home = scratch / "home/";
    fs::create_directories(home);
    Write(home + "notes.pdf", "not listed");
    Write(home + "Weekend.kakuro", kGoodFile);
    ::setenv("HOME", home.c_str(), 1);

    ClickButton(Screens.PlayScreen->ShareMenu, "openfile", 20);
    auto chooser = Screens.PlayScreen->FileChooser;
    ASSERT_TRUE(chooser);
    EXPECT_EQ(chooser->ListBox->Strings, (std::vector<std::string>{"puzzles/four.txt", "~/Weekend.kakuro"}));
    Frame("chooser");
    chooser->ListBox->Index = 1;
    chooser->ListBox->Value = chooser->ListBox->Strings[1];
    ClickButton(chooser->Menu, "Load", 0);
    Ticks(600);
    ASSERT_EQ(Game->CurrentTScreen, Screens.GameScreen);
    EXPECT_EQ(Screens.CellList->Count(), 16);
    EXPECT_EQ(PlayModel().Puzzle.BoardWidth, 4);
    EXPECT_EQ(PlayModel().Puzzle.IsCustomPuzzle, 1);
    Frame("board-from-file");
    const std::string opened = Board();

    // Each refused with a message naming the trouble; the board keeps its puzzle.
    const std::string bad = scratch / "bad/";
    fs::create_directories(bad + "folder.txt");
    ASSERT_EQ(::mkfifo((bad + "pipe.txt").c_str(), 0600), 0);
    fs::create_symlink(puzzles + "four.txt", bad + "link.txt");
    Write(bad + "huge.txt", std::string(MaxPuzzleFileBytes + 10, '.'));
    Write(bad + "binary.txt", std::string("\x7f"
                                          "ELF\x02\x01\x01\0\0\0",
                                          10));
    Write(bad + "several.txt", " #  5\\  5\\\n\\3  .  .\n\\7  .  .\n");
    Write(bad + "wide.txt", std::string(16, '#') + "\n" + std::string(16, '#') + "\n");
    const std::pair<const char*, const char*> cases[] = {
        {"folder.txt", "folder"},  {"pipe.txt", "folder"},          {"link.txt", "link"},
        {"huge.txt", "too large"}, {"binary.txt", "text file"},     {"several.txt", "more than one"},
        {"wide.txt", "line 1"},    {"missing.txt", "no such file"},
    };
    for (const auto& [name, says] : cases) {
        std::string error;
        EXPECT_FALSE(OpenPuzzleFile(bad + name, error)) << name;
        EXPECT_NE(error.find(says), std::string::npos) << name << ": " << error;
        EXPECT_EQ(Board(), opened) << name;
    }
    ShowOpeningMessage([&] {
        std::string error;
        OpenPuzzleFile(bad + "several.txt", error);
        return error;
    }());
    Ticks(40);
    Frame("file-refused");
    // The message holds the board until it is read.
    Press(vk::RETURN);
    Ticks(40);
    EXPECT_EQ(Board(), opened);
}

// "Export" writes the puzzle as PNG and SVG at print resolution, and the solution
// when the player asks for it as well.
TEST_F(SharePuzzles, ExportWritesPicturesOfThePuzzleAndItsSolution) {
    ClickButton(Screens.PlayScreen->SizeMenu, "6x6");
    ClickButton(Screens.PlayScreen->MainMenu, "play", 0);
    Ticks(900);
    ASSERT_EQ(Game->CurrentTScreen, Screens.GameScreen);
    Frame("board-with-code");
    ClickButton(Screens.GameScreen->ShareMenu, "export", 5);
    ASSERT_TRUE(Screens.GameScreen->ExportInput);
    Frame("export-asked");
    ClickButton(Screens.GameScreen->ExportInput->Menu, "Yes", 10);
    Frame("export-done");
    const fs::path exports = Game->Paths->SubPath + "exports";
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(exports)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 4u);
    const std::string base = Screens.GameScreen->ExportBaseName;
    EXPECT_EQ(names,
              (std::vector<std::string>{base + " solution.png", base + " solution.svg", base + ".png", base + ".svg"}));
    for (const auto& name : names) {
        fs::copy_file(exports / name, fs::path(TALLYFOLD_ARTIFACTS_DIR) / ("share-export" + name.substr(base.size())),
                      fs::copy_options::overwrite_existing);
    }
    // Six cells of 1 cm at 300 dpi: more than 700 pixels across.
    auto picture = platform::LoadImage((exports / (base + ".png")).string());
    ASSERT_TRUE(picture);
    EXPECT_GT(picture->Width(), 700);
    std::ifstream svg(exports / (base + ".svg"));
    std::string text((std::istreambuf_iterator<char>(svg)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("<svg"), std::string::npos);
}
