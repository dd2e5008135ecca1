// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hint ladder's words and marks on the play screen, and the hints of a solved puzzle.
#include <memory>
#include <string>
#include <vector>

namespace platform {
class ImageFont;
}  // namespace platform
class TPuzzleModel;
class THintLadder;

// The panel under the paper, between the level's stars and the digit column: it never
// reaches sideways under them or the buttons. A long text first takes smaller letters,
// then grows upwards over the board on a dark ground.
inline constexpr float HintPanelLeft = 242, HintPanelWidth = 450, HintPanelBottom = 598, HintPanelLowestTop = 508;
inline constexpr int HintPanelMargin = 6;

struct THintPanel {
    std::shared_ptr<platform::ImageFont> Font;
    std::vector<std::string> Lines;
    int Gap = 0;    // from one line's top to the next
    float Top = 0;  // the panel's top edge
};
// Lays the text out in the first font that keeps the panel below the paper, else in
// the smallest, as tall as it must be.
THintPanel LayOutHintPanel(const std::string& text);

// What the panel says at the ladder's rung; "" when nothing is shown.
std::string HintText(const TPuzzleModel& model, const THintLadder& ladder);

// For the win screen: the techniques the solved puzzle needed and the hints taken at
// each rung, one line each; "" when there is nothing to say.
std::string HintSummary();
// The panel of the hint shown, when there is one.
void DrawHintPanel();
// Draws the summary under the end-of-puzzle panel, on a dark ground of the panel's width.
void DrawHintSummary();

// At the shown rung, the digits a hint takes out of white cell (i, j), drawn at (x, y)
// as struck-out pencil marks, and the digit it writes, so its effect is plain before
// it is carried out. cell is the cell's side in pixels.
void DrawHintPreview(int i, int j, float x, float y, int cell);
