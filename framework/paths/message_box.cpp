// SPDX-License-Identifier: GPL-3.0-or-later
// The game's own blocking message box, drawn with the platform's default font.
#include <string>
#include <vector>

#include "framework/core/game_state.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/core/timing.h"
#include "framework/paths/errors.h"
#include "framework/widgets/font.h"
#include "framework/widgets/pointer.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/system.h"

namespace {
void DrawCentredWithShadow(const std::string& text, float centreX, float y) {
    float x = centreX - platform::TextWidth(text) / 2.0f;
    int r, g, b;
    platform::GetColor(r, g, b);
    int blend = platform::GetBlend();
    platform::SetBlend(platform::ALPHABLEND);
    platform::SetColor(0, 0, 0);
    platform::SetAlpha(0.5f);
    platform::DrawText(text, x + 1.0f, y + 1.0f);
    platform::SetColor(r, g, b);
    platform::SetAlpha(1.0f);
    platform::DrawText(text, x, y);
    platform::SetBlend(blend);
}

bool Dismissed() {
    for (int key = 0; key < 256; ++key)
        if (KeyHit(key)) return true;
    if (GameState() && GameState()->Mouse &&
        (GameState()->Mouse->h1 || GameState()->Mouse->h2 || GameState()->Mouse->h3))
        return true;
    return GameState() && GameState()->TerminatedEvent;
}
}  // namespace

void ShowMessageBox(const std::string& message, int width, int height) {
    if (!GameState() || !platform::Display().HasGraphics()) {
        platform::Notify(message, false);
        return;
    }
    const int x = (ScreenWidth - width) / 2;
    const int y = (ScreenHeight - height) / 2;
    const int margin = 10;
    platform::SetBlend(platform::SOLIDBLEND);
    platform::SetAlpha(1.0f);
    platform::SetColor(255, 255, 255);
    platform::SetImageFont(nullptr);
    std::vector<std::string> lines = WordWrapLines(SplitLines(message), width - 2 * margin, nullptr, 1.0f);
    const int lineHeight = platform::TextHeight("ABCXYZ");
    const std::string prompt = "<press any key>";

    FlushKeys();
    FlushMouse();
    for (;;) {
        if (GameState()->Mouse) GameState()->Mouse->ClearMouseHit();
        GameState()->DoPeekEvent();
        if (Dismissed()) break;
        platform::SetColor(0, 0, 0);
        platform::DrawRect(x + 4, y + 4, width, height);
        platform::SetColor(150, 150, 150);
        platform::DrawRect(x, y, width, height);
        platform::SetColor(220, 220, 200);
        platform::DrawLine(x, y, x + width - 1, y);
        platform::DrawLine(x, y + height - 1, x + width - 1, y + height - 1);
        platform::DrawLine(x, y, x, y + height - 1);
        platform::DrawLine(x + width - 1, y, x + width - 1, y + height - 1);
        platform::SetColor(0, 220, 220);
        for (size_t i = 0; i < lines.size(); ++i)
            DrawCentredWithShadow(lines[i], ScreenWidth / 2, static_cast<float>(y + margin + i * lineHeight));
        platform::SetColor(0, 220, 0);
        platform::DrawText(prompt, ScreenWidth / 2 - platform::TextWidth(prompt) / 2,
                           y + height - platform::TextHeight(prompt) - margin);
        platform::Flip(GameState()->FlipSync);
    }
    platform::SetColor(255, 255, 255);
    FlushKeys();
    FlushMouse();
    // The time spent waiting for the player is not to be made up in logic steps.
    if (GameState()->FixedRateLogic) GameState()->FixedRateLogic->Init();
}
