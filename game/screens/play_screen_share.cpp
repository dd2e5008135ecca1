// SPDX-License-Identifier: GPL-3.0-or-later
// The setup screen's way to puzzles from elsewhere: "Enter Code", Ctrl+V and
// "Open File".
#include <cstdlib>

#include "framework/core/game.h"
#include "framework/core/input.h"
#include "framework/core/timing.h"
#include "framework/widgets/button.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/list_box.h"
#include "framework/widgets/pointer.h"
#include "game/core/services.h"
#include "game/core/share.h"
#include "game/screens/generate_screen.h"
#include "game/screens/open_puzzle_chooser.h"
#include "game/screens/play_screen.h"
#include "game/screens/puzzle_opening.h"
#include "game/screens/screen_common.h"
#include "game/screens/widgets.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/input.h"

namespace vk = platform::vk;

namespace {

bool CtrlHeld() { return KeyDown(vk::LCONTROL) || KeyDown(vk::RCONTROL) || KeyDown(vk::CONTROL); }

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// Where the chooser looks: the data folder's puzzles/ (made, so that the player finds
// it) and the home folder.
std::string PuzzleFolder() {
    const std::string shared = CoreSharedFolder();
    if (shared.empty()) return {};
    const std::string folder = shared + "puzzles/";
    if (platform::FileType(folder) != platform::FILETYPE_DIR) platform::CreateDir(folder);
    return folder;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') return {};
    std::string folder = home;
    if (folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace

void TPlayScreen::LoadShareMenu() {
    ShareMenu = NewScreenMenu(0);
    for (const char* name : {"entercode", "openfile"}) ShareMenu->AddQuick(name, name);
    ShareMenu->MakeRow(15);
    ShareMenu->CentreHoriz();
    ShareMenu->SetY(558);
    CodeInput = nullptr;
    FileChooser = nullptr;
}

bool TPlayScreen::ManageShareDialogs() {
    if (CodeInput) {
        const int result = CodeInput->Manage();
        if (result == 0) return true;
        const std::string typed = CodeInput->TextInput ? CodeInput->TextInput->Text : std::string();
        CodeInput = nullptr;
        if (result == 1) OpenTypedCode(typed);
        return true;
    }
    if (FileChooser) {
        const int result = FileChooser->Manage();
        if (result == 0 && FileChooser->Active) return true;
        const std::string path = FileChooser->ChosenPath();
        FileChooser->Kill();
        FileChooser = nullptr;
        if (result == 1 && !path.empty()) {
            std::string error;
            if (!OpenPuzzleFile(path, error)) MessageDialog = CreateMessageDialog(error);
        }
        return true;
    }
    return false;
}

bool TPlayScreen::ManageShareButtons() {
    ShareMenu->Manage(0, 0);
    if (ShareMenu->Clicked("entercode")) {
        CodeInput = CreateCodeDialog(ScreenText("Enter Code"));
        CodeInput->Start();
        return true;
    }
    if (ShareMenu->Clicked("openfile")) {
        FileChooser = TOpenPuzzleChooser::Create(ScreenText("Choose Puzzle File"), ScreenPicture("manager")->image,
                                                 PuzzleFolder(), HomeFolder());
        StyleChooser(*FileChooser);
        FileChooser->Start();
        Game->FixedRateLogic->Init();
        if (FileChooser->Paths.empty()) {
            FileChooser->Kill();
            FileChooser = nullptr;
            MessageDialog = CreateMessageDialog(ScreenText("No Puzzle Files"));
        }
        return true;
    }
    if (KeyHit('V') && CtrlHeld()) {
        std::string text;
        if (!platform::GetClipboardText(text, MaxCodeTextBytes)) {
            MessageDialog = CreateMessageDialog(ScreenText("Clipboard Empty"));
            return true;
        }
        OpenTypedCode(text);
        return true;
    }
    return false;
}

void TPlayScreen::OpenTypedCode(const std::string& typed) {
    const std::string text = Trimmed(typed);
    TOpenedPuzzle opened;
    std::string error;
    // A puzzle file's text pasted whole: checked here, as a file would be.
    if (text.find('\n') != std::string::npos) {
        if (!OpenPuzzleText(text, opened, error) || !PutOpenedPuzzleOnBoard(opened, error))
            MessageDialog = CreateMessageDialog(error);
        Game->FixedRateLogic->Init();
        return;
    }
    engine::DecodedPuzzleCode decoded;
    if (!engine::DecodePuzzleCode(text, decoded, error)) {
        MessageDialog = CreateMessageDialog(ScreenText("Code Refused") + "\r\n" + error);
        return;
    }
    // Making the puzzle a code names takes as long as generating it: behind the overlay.
    GenerateScreen->Work = [text] {
        TOpenedPuzzle puzzle;
        std::string why;
        if (OpenCodeText(text, puzzle, why) && PutOpenedPuzzleOnBoard(puzzle, why)) return true;
        ShowOpeningMessage(why);
        return false;
    };
    Game->Mouse->Off();
    GenerateScreen->Show(1);
}

void TPlayScreen::DrawSharing() {
    ShareMenu->Draw(0, 0);
    if (CodeInput) CodeInput->Draw();
    if (FileChooser) FileChooser->Draw();
}
