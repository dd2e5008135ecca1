// SPDX-License-Identifier: GPL-3.0-or-later
// The hint ladder's panel, its marks on the cells and the hints of a solved puzzle.
#include "game/screens/hint_panel.h"

#include <cmath>

#include "framework/core/globals.h"
#include "framework/widgets/font.h"
#include "game/core/hint_ladder.h"
#include "game/screens/board_look.h"
#include "game/screens/palette.h"
#include "game/screens/screen_common.h"
#include "game/screens/screens.h"
#include "game/screens/session.h"
#include "tallyfold/platform/display.h"

namespace {

// What a shown hint will change is drawn in the deep amber of a lit star, not in the
// red of a mistake; the ground is the light cells' own.
constexpr TRgb kToCome = palette::CellToCome;
constexpr TRgb kCellGround = palette::CellGround;

std::string Replace(std::string text, const std::string& name, const std::string& value) {
    const std::string key = "{" + name + "}";
    for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
    return text;
}

// The techniques of the last solved puzzle, found once: walking a whole puzzle's
// hints takes a noticeable moment, too long for every frame.
struct TNeededCache {
    TGrid Solution{};
    int Width = 0, Height = 0;
    std::string Names;
};

const std::string& NeededNames() {
    static TNeededCache cache;
    const TPuzzleState& p = PlayModel().Puzzle;
    if (cache.Width != p.BoardWidth || cache.Height != p.BoardHeight || cache.Solution != p.SolutionGrid) {
        cache.Solution = p.SolutionGrid;
        cache.Width = p.BoardWidth;
        cache.Height = p.BoardHeight;
        cache.Names.clear();
        for (engine::Technique t : TechniquesNeeded(p))
            cache.Names += (cache.Names.empty() ? "" : ", ") + TechniqueText(t);
    }
    return cache.Names;
}

}  // namespace

THintPanel LayOutHintPanel(const std::string& text) {
    const std::shared_ptr<platform::ImageFont> fonts[] = {Resources.Font25, Resources.Font20, Resources.Font16};
    THintPanel panel;
    for (const auto& font : fonts) {
        if (!font) continue;
        platform::SetImageFont(font);
        panel.Font = font;
        panel.Gap = platform::TextHeight("ABCXYZ") + 3;
        panel.Lines = WordWrapLines({text}, static_cast<int>(HintPanelWidth) - 2 * HintPanelMargin, nullptr, 1.0f);
        const float height = static_cast<float>(panel.Lines.size() * panel.Gap + 2 * HintPanelMargin);
        panel.Top = HintPanelBottom - height;
        if (panel.Top >= HintPanelLowestTop) break;
    }
    return panel;
}

std::string HintText(const TPuzzleModel& model, const THintLadder& ladder) {
    const THintStage stage = ladder.Stage(model);
    if (stage == THintStage::None) return "";
    const THint& hint = ladder.Hint();
    if (stage == THintStage::Pointed) return hint.Pointer;
    if (hint.Kind == THintKind::Stuck) return hint.Sentence;
    return hint.Sentence + " " + ScreenText("Hint Carry Out");
}

std::string HintSummary() {
    const TPuzzleState& p = PlayModel().Puzzle;
    std::string summary;
    if (!p.CustomMode && !NeededNames().empty())
        summary = Replace(ScreenText("Hint Techniques"), "techniques", NeededNames());
    if (p.ExplainsUsed > 0) {
        std::string stages = ScreenText("Hint Stages");
        stages = Replace(stages, "pointed", std::to_string(p.ExplainsUsed));
        stages = Replace(stages, "shown", std::to_string(p.HintsShown));
        stages = Replace(stages, "carried", std::to_string(p.HintsCarried));
        summary += (summary.empty() ? "" : "\r\n") + stages;
    }
    return summary;
}

void DrawHintPanel() {
    const std::string text = HintText(PlayModel(), Screens.Board.Hints);
    if (text.empty()) return;
    const THintPanel panel = LayOutHintPanel(text);
    // The panel's ground keeps the words readable where it reaches over the board.
    platform::SetColor(20, 24, 40);
    platform::SetAlpha(0.85f);
    platform::DrawRect(HintPanelLeft, panel.Top, HintPanelWidth, HintPanelBottom - panel.Top);
    platform::SetAlpha(1.0f);
    platform::SetColor(255, 255, 255);
    platform::SetImageFont(panel.Font);
    float y = panel.Top + HintPanelMargin;
    for (const std::string& line : panel.Lines) {
        DrawTextLeft(line, HintPanelLeft + HintPanelMargin, y, 1, 1);
        y += static_cast<float>(panel.Gap);
    }
}

void DrawHintPreview(int i, int j, float x, float y, int cell) {
    const THintLadder& ladder = Screens.Board.Hints;
    if (ladder.Stage(PlayModel()) != THintStage::Shown || ladder.Hint().Kind != THintKind::Deduction) return;
    if (PlayModel().Puzzle.ShowSolution || PlayModel().Puzzle.PlayerGrid[i][j] != 0) return;
    for (const THintChange& c : ladder.Hint().Changes) {
        if (c.X != i || c.Y != j) continue;
        platform::SetColor(kToCome.R, kToCome.G, kToCome.B);
        if (c.Digit > 0) {
            // The digit to come covers the cell's pencil marks.
            platform::SetColor(kCellGround.R, kCellGround.G, kCellGround.B);
            const float inner = static_cast<float>(cell) * 28 / BaseCellSize;
            platform::DrawRect(x - inner / 2, y - inner / 2, inner, inner);
            platform::SetColor(kToCome.R, kToCome.G, kToCome.B);
            DrawCellDigit(std::to_string(c.Digit), x, y, cell);
        }
        for (int d = 1; d <= 9; ++d)
            if (c.Removed >> d & 1) DrawPencilMark(d, x, y, cell, true);
        platform::SetColor(255, 255, 255);
    }
}

void DrawHintSummary() {
    const std::string summary = HintSummary();
    if (summary.empty()) return;
    constexpr float left = 250, width = 300, top = 416;
    platform::SetImageFont(Resources.Font16);
    const int gap = platform::TextHeight("ABCXYZ") + 3;
    const auto lines = WordWrapLines(SplitLines(summary), static_cast<int>(width) - 2 * HintPanelMargin, nullptr, 1.0f);
    platform::SetColor(20, 24, 40);
    platform::SetAlpha(0.85f);
    platform::DrawRect(left, top, width, static_cast<float>(lines.size() * gap + 2 * HintPanelMargin));
    platform::SetAlpha(1.0f);
    platform::SetColor(255, 255, 255);
    float y = top + HintPanelMargin;
    for (const std::string& line : lines) {
        DrawTextCentred(line, left + width / 2, y, 1, 1);
        y += static_cast<float>(gap);
    }
}
