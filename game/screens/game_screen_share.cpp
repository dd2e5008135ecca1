// SPDX-License-Identifier: GPL-3.0-or-later
// Passing the puzzle on from the board: its code over the paper, copied by
// Ctrl+C or "Copy Code", and "Export", which writes its pictures for print.
#include "game/screens/game_screen.h"
#include "game/screens/session.h"

#include <cerrno>

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/core/timing.h"
#include "framework/util/datetime.h"
#include "framework/widgets/button.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/font.h"
#include "game/core/services.h"
#include "game/core/share.h"
#include "game/screens/screen_common.h"
#include "game/screens/widgets.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/print/PuzzlePrint.h"

namespace vk = platform::vk;

namespace {

bool CtrlHeld() { return KeyDown(vk::LCONTROL) || KeyDown(vk::RCONTROL) || KeyDown(vk::CONTROL); }

// The strip above the paper: the code from its left end, the buttons at its right.
constexpr float ShareLineLeft = 216, ShareLineY = 3, ShareButtonsRight = 688;

// The code as far as it fits in width pixels of the current font; a long one (the
// clues of a big typed-in puzzle) is cut short with dots. Copying gives all of it.
std::string Fitted(const std::string& text, int width) {
    if (platform::TextWidth(text) <= width) return text;
    std::string cut = text;
    while (!cut.empty() && platform::TextWidth(cut + "...") > width) cut.pop_back();
    return cut + "...";
}

// The code is drawn every frame; it is worked out again only when the puzzle changed.
const std::string& CurrentCode() {
    struct TKey {
        TGrid Solution{}, Down{}, Across{};
        int Width = 0, Height = 0, Level = 0, Custom = 0, Typing = 0;
        std::uint32_t Seed = 0;
        bool operator==(const TKey&) const = default;
    };
    static TKey cachedKey;
    static std::string cachedCode;
    static bool cached = false;
    const TPuzzleState& p = PlayModel().Puzzle;
    const TKey key{p.SolutionGrid,   p.VerticalSumGrid, p.HorizontalSumGrid, p.BoardWidth,   p.BoardHeight,
                   p.GeneratedLevel, p.IsCustomPuzzle,  p.CustomMode,        p.GeneratedSeed};
    if (!cached || !(key == cachedKey)) {
        cachedCode = PuzzleCodeOf(p);
        cachedKey = key;
        cached = true;
    }
    return cachedCode;
}

std::string Filled(std::string text, const std::string& name, const std::string& value) {
    const auto at = text.find("{" + name + "}");
    if (at != std::string::npos) text.replace(at, name.size() + 2, value);
    return text;
}

}  // namespace

void TGameScreen::LoadShareMenu() {
    ShareMenu = NewScreenMenu(0);
    for (const char* name : {"copycode", "export"}) ShareMenu->AddQuick(name, name);
    ShareMenu->MakeRow(8);
    float width = 0;
    for (const auto& button : ShareMenu->Items) width += static_cast<float>(button->w) + 8;
    ShareMenu->SetX(ShareButtonsRight - width + 8);
    ShareMenu->SetY(ShareLineY);
    ExportInput = nullptr;
    ExportBaseName.clear();
}

void TGameScreen::ManageShareDialog() {
    if (!ExportInput) return;
    ShowingInput = 1;
    const int result = ExportInput->Manage();
    if (result != 1 && result != -1) return;
    ExportInput = nullptr;
    ShowingInput = 0;
    Game->IgnoreEscapeKey = 1;
    if (result == 1) {
        std::string written;
        if (WritePictures(true, written))
            ShowNotice(Filled(ScreenText("Exported Solution"), "files", written));
        else
            ShowNotice(written);
    }
}

void TGameScreen::ManageShareButtons(int live) {
    if (PlayModel().Puzzle.CustomMode || ShowingInput || !live) return;
    ShareMenu->Manage(0, 0);
    if (ShareMenu->Clicked("copycode") || (CtrlHeld() && KeyHit('C'))) CopyCode();
    if (ShareMenu->Clicked("export")) {
        std::string written;
        if (!WritePictures(false, written)) {
            ShowNotice(written);
            return;
        }
        ExportInput = CreateYesNoDialog(Filled(ScreenText("Exported Puzzle"), "files", written));
    }
}

void TGameScreen::CopyCode() {
    const std::string code = CurrentCode();
    if (code.empty()) return;
    ShowNotice(platform::SetClipboardText(code) ? Filled(ScreenText("Code Copied"), "code", code)
                                                : ScreenText("Clipboard Unusable"));
}

bool TGameScreen::WritePictures(bool solution, std::string& result) {
    const std::string off = CoreSavingOff();
    if (!off.empty()) {
        result = off;
        return false;
    }
    const std::string folder = CoreSharedFolder() + "exports/";
    if (platform::FileType(folder) != platform::FILETYPE_DIR && !platform::CreateDir(folder, true)) {
        result = CoreFileFault(folder, platform::FileErrorText(errno));
        return false;
    }
    // One name for the puzzle's pictures and its solution's, from when it was exported.
    if (!solution || ExportBaseName.empty()) {
        TDateTime now;
        now.Set_DateTimeCurrent();
        ExportBaseName = TDateTime::Get_String(now, "YYYY-MM-DD HHNNSS") + " puzzle";
    }
    print::PrintedPuzzle printed;
    printed.puzzle = PuzzleFromTables(PlayModel().Puzzle, solution);
    printed.code = CurrentCode();
    printed.stars = PlayModel().Puzzle.PuzzleStars;
    const std::string base = ExportBaseName + (solution ? " solution" : "");
    // Cairo's and fontconfig's caches go after every export: exports are rare,
    // and nothing of them then stays behind for the rest of the game.
    struct TReleaseAfter {
        ~TReleaseAfter() { print::ReleasePrintResources(); }
    } releaseAfter;
    for (const char* extension : {".png", ".svg"}) {
        std::string error;
        if (!print::WritePuzzlePicture(printed, solution, folder + base + extension, error)) {
            result = CoreFileFault(folder + base + extension, error);
            Game->FixedRateLogic->Init();
            return false;
        }
    }
    // Drawing at print resolution takes a moment: no burst of steps to make up for it.
    Game->FixedRateLogic->Init();
    result = base + ".png " + ScreenText("And") + " .svg\r\n" + folder;
    return true;
}

void TGameScreen::DrawShareLine() {
    if (PlayModel().Puzzle.CustomMode) return;
    const std::string& code = CurrentCode();
    if (code.empty()) return;
    platform::SetColor(255, 255, 255);
    platform::SetImageFont(Resources.Font18);
    const std::string label = ScreenText("Code Field");
    const float right = ShareMenu && !ShareMenu->Items.empty() ? ShareMenu->x - 12 : ShareButtonsRight;
    const int room = static_cast<int>(right - ShareLineLeft) - platform::TextWidth(label);
    DrawTextLeft(label + Fitted(code, room), ShareLineLeft, ShareLineY + 1, 1, 1);
    if (ShareMenu) ShareMenu->Draw(0, 0);
}
