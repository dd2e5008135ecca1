// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/screens/text_scale_choice.h"

#include <string>

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/display/display.h"
#include "framework/text/game_text.h"
#include "framework/widgets/focus_ring.h"
#include "framework/widgets/font.h"
#include "framework/widgets/pointer.h"
#include "tallyfold/platform/display.h"

namespace {
constexpr int Smallest = 100, Largest = 200, StepPercent = 25;

bool PointerOver() {
    if (!Game || !Game->Mouse) return false;
    const float mx = static_cast<float>(Game->Mouse->x), my = static_cast<float>(Game->Mouse->y);
    return mx >= TTextScaleChoice::X && mx < TTextScaleChoice::X + TTextScaleChoice::W && my >= TTextScaleChoice::Y &&
           my < TTextScaleChoice::Y + TTextScaleChoice::H;
}
}  // namespace

void TTextScaleChoice::Step(int direction, bool wrap) {
    if (!Game || !Game->Display) return;
    int next = Game->Display->TextScale + direction * StepPercent;
    if (wrap && next > Largest) next = Smallest;
    if (next < Smallest || next > Largest) return;
    Game->Display->SetTextScale(next);
}

void TTextScaleChoice::AddTo(TFocusRing& ring) {
    TFocusRing::TItem item;
    item.Area = [] { return TFocusRing::TArea{X, Y, W, H}; };
    item.Press = [] { Step(1, true); };
    item.Step = [](int direction) { Step(direction, false); };
    ring.Add(std::move(item));
}

void TTextScaleChoice::Logic() {
    if (!Game || !Game->Mouse || !Game->Mouse->h1 || !PointerOver()) return;
    Game->Mouse->ClearMouseHit();
    Step(1, true);
}

void TTextScaleChoice::Draw() const {
    if (!Game || !Game->Display) return;
    const std::string label = Resources.GameText ? Resources.GameText->FindString("Text Scale") : std::string();
    platform::SetImageFont(Resources.Font18);
    platform::SetAlpha(1.0f);
    if (PointerOver())
        platform::SetColor(255, 214, 120);
    else
        platform::SetColor(255, 255, 255);
    DrawTextLeft(label + " " + std::to_string(Game->Display->TextScale) + " %", X, Y + 4, 1, 1);
    platform::SetColor(255, 255, 255);
}
