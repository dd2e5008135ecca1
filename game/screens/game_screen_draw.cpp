// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing the play screen.
#include "game/screens/game_screen.h"
#include "game/screens/session.h"

#include <algorithm>
#include <cmath>

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/screens/fade.h"
#include "framework/text/game_text.h"
#include "framework/util/strings.h"
#include "framework/widgets/button.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/font.h"
#include "framework/widgets/particles.h"
#include "framework/widgets/sprite.h"
#include "game/core/core.h"
#include "game/core/options.h"
#include "game/screens/cells.h"
#include "game/screens/end_level_menu.h"
#include "game/screens/fireworks.h"
#include "game/screens/generate_screen.h"
#include "game/screens/help_line.h"
#include "game/screens/hint_panel.h"
#include "game/screens/screen_common.h"
#include "game/screens/screens.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"

namespace {
// A five-pointed star: filled row by row in quarter pixels (so that it stays
// smooth when the picture is drawn larger than its logical size), or its
// outline only.
void DrawStar(float cx, float cy, float radius, bool filled) {
    constexpr float kPi = 3.14159265f;
    constexpr int kPoints = 10;
    float px[kPoints], py[kPoints];
    for (int k = 0; k < kPoints; ++k) {
        const float r = k % 2 ? radius * 0.45f : radius;
        const float angle = -kPi / 2 + static_cast<float>(k) * kPi / 5;
        px[k] = cx + r * std::cos(angle);
        py[k] = cy + r * std::sin(angle);
    }
    if (!filled) {
        for (int k = 0; k < kPoints; ++k)
            platform::DrawLine(px[k], py[k], px[(k + 1) % kPoints], py[(k + 1) % kPoints]);
        return;
    }
    constexpr float kRow = 0.25f;
    for (float top = cy - radius; top < cy + radius; top += kRow) {
        const float y = top + kRow / 2;
        float cuts[kPoints];
        int count = 0;
        for (int k = 0; k < kPoints; ++k) {
            const int next = (k + 1) % kPoints;
            if ((py[k] <= y) == (py[next] <= y)) continue;
            cuts[count++] = px[k] + (y - py[k]) / (py[next] - py[k]) * (px[next] - px[k]);
        }
        std::sort(cuts, cuts + count);
        for (int k = 0; k + 1 < count; k += 2) platform::DrawRect(cuts[k], top, cuts[k + 1] - cuts[k], kRow);
    }
}
}  // namespace

// The level and the puzzle's grade within it, as lit and dim stars.
void TGameScreen::DrawGradeLine(float x, float y) {
    platform::SetColor(255, 255, 255);
    platform::SetImageFont(Resources.Font25);
    const std::string level = DifficultyName(PlayModel().Puzzle.PuzzleDifficulty);
    DrawTextLeft(level, x, y, 1, 1);
    const float first = x + static_cast<float>(platform::TextWidth(level)) + 20;
    for (int k = 0; k < 5; ++k) {
        const bool lit = k < PlayModel().Puzzle.PuzzleStars;
        if (lit) {
            platform::SetColor(255, 190, 60);
        } else {
            platform::SetColor(200, 200, 210);
        }
        DrawStar(first + 24.0f * static_cast<float>(k), y + 13, 10, lit);
    }
    platform::SetColor(255, 255, 255);
}

int TGameScreen::Draw() {
    platform::Cls();
    platform::SetBlend(platform::ALPHABLEND);
    SetTextShadow(2, 2, 0.6f);
    if (CrossFade)
        CrossFade->Draw();
    else if (Image)
        platform::DrawImage(Image, 400, 300);
    if (Header) Header->Draw();

    Screens.Board.Message.clear();
    NoteCheckpointBoard();
    if (!Game->Paused && !Game->Suspended) Screens.CellList->Draw(ShowingInput ? 0 : 1);
    if (Screens.Board.Message.empty() && !ShowingInput) Screens.Board.Message = CursorRunsMessage();
    if (PlayModel().Puzzle.RevealCellMode) Screens.Board.Message = ScreenText("Click Contents Message");
    if (PlayModel().Puzzle.PuzzleCompleted) Screens.Board.Message = FinishedMessage();
    // A hint's panel takes the help line's place.
    if (Screens.Board.Hints.Stage(PlayModel()) != THintStage::None)
        DrawHintPanel();
    else
        DrawMessage(KeepBelowPaper(Screens.Board.Message, Resources.Font25), -1, 565, Resources.Font25, 1, 1, 1, 0);

    if (!PlayModel().Puzzle.CustomMode && PlayModel().Options.ShowTimer) {
        platform::SetColor(255, 255, 255);
        platform::SetImageFont(Resources.Font34);
        DrawTextLeft(ScreenText("Time Field") + PuzzleTimerText(), 25, 459, 1, 1);
    }
    FreezeTimer();
    if (!PlayModel().Puzzle.CustomMode && PlayModel().Puzzle.PuzzleStars > 0) DrawGradeLine(25, 505);
    DrawShareLine();

    const std::shared_ptr<TDialog> dialogs[] = {RestartInput,       NewInput,          QuitInput,
                                                NameInput,          SaveGameNameInput, VerticalSumInput,
                                                HorizontalSumInput, ExportInput,       OKInput};
    const bool questionOpen = std::any_of(std::begin(dialogs), std::end(dialogs), [](const auto& d) { return !!d; });
    if (PlayModel().Puzzle.PuzzleCompleted) {
        NumberMenu->ClearMouseOver();
        PuzzleMenu->ClearMouseOver();
    }
    // Under a question the buttons are out of reach: none may look as if the
    // pointer were on it.
    if (questionOpen)
        for (auto& menu : {MainMenu, NumberMenu, PuzzleMenu, CustomNumberMenu, CustomPuzzleMenu, ShareMenu})
            if (menu) menu->ClearMouseOver();
    if (!PlayModel().Puzzle.CustomMode) {
        MainMenu->Draw(0, 0);
        if (!PlayModel().Puzzle.PuzzleCompleted) {
            NumberMenu->Draw(0, 0);
            PuzzleMenu->Draw(0, 0);
        }
    } else {
        CustomNumberMenu->Draw(0, 0);
        CustomPuzzleMenu->Draw(0, 0);
    }
    if (Fireworks) DrawFireworks(*Fireworks);
    // The end panel gives way to the question it asked: two boxes stacked
    // would show the lower one's edges around the upper one.
    if (PlayModel().Puzzle.PuzzleCompleted && !questionOpen) {
        endLevelMenu->Draw(1, 1, 1);
        DrawHintSummary();
    }
    for (const auto& dialog : dialogs)
        if (dialog) dialog->Draw();
    GenerateScreen->Draw();
    return 0;
}
