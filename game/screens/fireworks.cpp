// SPDX-License-Identifier: GPL-3.0-or-later
// Firework sparks over the dark ground and over the paper.
#include "game/screens/fireworks.h"

#include <algorithm>

#include "framework/core/globals.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/particles.h"
#include "game/screens/paper.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"

void FireworkInk(int& r, int& g, int& b) {
    const int high = std::max({r, g, b}), low = std::min({r, g, b});
    // A near-grey spark has no hue to deepen: it becomes the game's amber.
    if (high - low < 24) {
        r = 214, g = 120, b = 30;
        return;
    }
    auto deepen = [&](int c) { return 24 + (c - low) * (190 - 24) / (high - low); };
    r = deepen(r), g = deepen(g), b = deepen(b);
}

void DrawFireworks(TParticleList& list) {
    if (list.Count() == 0) return;
    int vx, vy, vw, vh;
    platform::GetViewport(vx, vy, vw, vh);
    const PaperRect paper = PaperSheet;
    const auto items = list.Items();
    // Half the diagonal of the largest spark: rotation turns it within that.
    auto reach = [](const TParticle& p) {
        const float side = p.image ? static_cast<float>(std::max(p.image->w, p.image->h)) : 0.0f;
        return side * std::max(p.ScaleX, p.ScaleY) * 0.75f;
    };
    auto touches = [&](const TParticle& p, int x, int y, int w, int h) {
        const float r = reach(p);
        return p.x + r >= static_cast<float>(x) && p.x - r <= static_cast<float>(x + w) &&
               p.y + r >= static_cast<float>(y) && p.y - r <= static_cast<float>(y + h);
    };
    // Over the dark ground the sparks are light added to it.
    const int bands[4][4] = {{0, 0, ScreenWidth, paper.y},
                             {0, paper.y + paper.h, ScreenWidth, ScreenHeight - paper.y - paper.h},
                             {0, paper.y, paper.x, paper.h},
                             {paper.x + paper.w, paper.y, ScreenWidth - paper.x - paper.w, paper.h}};
    for (const auto& band : bands) {
        if (band[2] <= 0 || band[3] <= 0) continue;
        platform::SetViewport(band[0], band[1], band[2], band[3]);
        for (const auto& p : items)
            if (touches(*p, band[0], band[1], band[2], band[3])) p->Draw();
    }
    // Light added to cream paper burns to white; there they are ink instead.
    platform::SetViewport(paper.x, paper.y, paper.w, paper.h);
    for (const auto& p : items) {
        if (!touches(*p, paper.x, paper.y, paper.w, paper.h)) continue;
        const int light = p->DoLightBlend;
        auto colour = p->Color;
        int r = 255, g = 255, b = 255;
        if (colour) colour->Get(r, g, b);
        FireworkInk(r, g, b);
        p->DoLightBlend = 0;
        p->Color = TColor::Create(r, g, b, 1.0f);
        p->Draw();
        p->DoLightBlend = light;
        p->Color = colour;
    }
    platform::SetViewport(vx, vy, vw, vh);
    platform::SetBlend(platform::ALPHABLEND);
}
