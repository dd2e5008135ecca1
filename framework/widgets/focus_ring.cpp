// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/widgets/focus_ring.h"

#include <cmath>
#include <limits>

#include "framework/core/input.h"
#include "framework/util/strings.h"
#include "framework/widgets/button.h"
#include "framework/widgets/list_box.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

namespace vk = platform::vk;

void TFocusRing::Clear() {
    Items.clear();
    Focused = -1;
}

void TFocusRing::Add(TItem item) { Items.push_back(std::move(item)); }

void TFocusRing::AddMenu(const std::shared_ptr<TMenu>& menu) {
    if (!menu) return;
    for (const auto& button : menu->Items) AddButton(menu, button);
}

void TFocusRing::AddMenu(const std::shared_ptr<TMenu>& menu, const std::function<bool()>& when) {
    const int first = Count();
    AddMenu(menu);
    for (auto k = static_cast<size_t>(first); k < Items.size(); ++k) {
        auto usable = Items[k].Usable;
        Items[k].Usable = [when, usable] { return when() && (!usable || usable()); };
    }
}

void TFocusRing::AddButton(const std::shared_ptr<TMenu>& menu, const std::shared_ptr<TButton>& button) {
    if (!button) return;
    std::weak_ptr<TMenu> weakMenu = menu;
    std::weak_ptr<TButton> weakButton = button;
    TItem item;
    item.Area = [weakButton] {
        auto b = weakButton.lock();
        if (!b) return TArea{};
        return TArea{b->x + b->offx, b->y + b->offy, static_cast<float>(b->w), static_cast<float>(b->h)};
    };
    item.Press = [weakMenu, weakButton] {
        auto b = weakButton.lock();
        if (!b) return;
        b->SimulateClick();
        // The menu answers Clicked(name) for it at its next poll, whether that
        // comes before or after the ring in the screen's step.
        if (auto m = weakMenu.lock()) m->PressedByKey = UpperCase(b->name);
    };
    item.Usable = [weakButton] {
        auto b = weakButton.lock();
        return b && (b->Active || b->AlwaysDraw) && !b->Disabled && b->w > 0 && b->h > 0;
    };
    Add(std::move(item));
}

void TFocusRing::AddSlider(const std::shared_ptr<TSlider>& slider, int step, std::function<void(int)> changed) {
    if (!slider) return;
    std::weak_ptr<TSlider> weak = slider;
    TItem item;
    item.Area = [weak] {
        auto s = weak.lock();
        if (!s) return TArea{};
        return TArea{s->x, s->y - s->BorderY, static_cast<float>(s->w), static_cast<float>(s->h + 2 * s->BorderY)};
    };
    item.Step = [weak, step, changed](int direction) {
        auto s = weak.lock();
        if (!s) return;
        s->SetValue(s->Value + direction * step);
        if (changed) changed(s->Value);
    };
    Add(std::move(item));
}

bool TFocusRing::UsableAt(int index) const {
    if (index < 0 || index >= Count()) return false;
    const auto& item = Items[static_cast<size_t>(index)];
    return !item.Usable || item.Usable();
}

TFocusRing::TArea TFocusRing::FocusedArea() const {
    return UsableAt(Focused) ? Items[static_cast<size_t>(Focused)].Area() : TArea{};
}

void TFocusRing::SetFocus(int index) { Focused = UsableAt(index) ? index : -1; }

int TFocusRing::Next(int from, int direction) const {
    const int count = Count();
    for (int k = 1; k <= count; ++k) {
        const int index = ((from + direction * k) % count + count) % count;
        if (UsableAt(index)) return index;
    }
    return -1;
}

int TFocusRing::Nearest(int from, int dx, int dy) const {
    const TArea a = Items[static_cast<size_t>(from)].Area();
    const float ax = a.X + a.W / 2, ay = a.Y + a.H / 2;
    int best = -1;
    float bestScore = std::numeric_limits<float>::max();
    for (int index = 0; index < Count(); ++index) {
        if (index == from || !UsableAt(index)) continue;
        const TArea b = Items[static_cast<size_t>(index)].Area();
        const float along =
            (b.X + b.W / 2 - ax) * static_cast<float>(dx) + (b.Y + b.H / 2 - ay) * static_cast<float>(dy);
        const float across = std::fabs((b.X + b.W / 2 - ax) * static_cast<float>(dy)) +
                             std::fabs((b.Y + b.H / 2 - ay) * static_cast<float>(dx));
        // Half a pixel or less counts as the same line, not as that way.
        if (along <= 0.5f) continue;
        // Straight ahead beats a nearer control far off to the side.
        const float score = along + 3 * across;
        if (score < bestScore) {
            bestScore = score;
            best = index;
        }
    }
    if (best >= 0) return best;
    return Next(from, dx + dy > 0 ? 1 : -1);
}

int TFocusRing::Manage() {
    LastPolledMs = platform::MilliSecs();
    if (Items.empty()) return 0;
    const bool shift = KeyDown(vk::SHIFT) || KeyDown(vk::LSHIFT) || KeyDown(vk::RSHIFT);
    const int tab = KeyHit(vk::TAB);
    const int up = UseUpDown ? KeyHit(vk::UP) : 0, down = UseUpDown ? KeyHit(vk::DOWN) : 0;
    const int left = UseLeftRight ? KeyHit(vk::LEFT) : 0, right = UseLeftRight ? KeyHit(vk::RIGHT) : 0;
    const bool walk = tab || up || down || left || right;
    if (!UsableAt(Focused)) {
        // The first walking key only shows where the frame is.
        if (!walk) {
            Focused = -1;
            return 0;
        }
        Focused = Next(-1, 1);
        return Focused >= 0 ? 1 : 0;
    }
    const TItem& item = Items[static_cast<size_t>(Focused)];
    if (tab) Focused = Next(Focused, shift ? -1 : 1);
    if (up) Focused = Nearest(Focused, 0, -1);
    if (down) Focused = Nearest(Focused, 0, 1);
    if ((left || right) && item.Step) {
        item.Step(right ? 1 : -1);
    } else if (left || right) {
        Focused = Nearest(Focused, right ? 1 : -1, 0);
    }
    if (walk) return 1;
    if ((KeyHit(vk::RETURN) || KeyHit(vk::SPACE)) && item.Press) {
        item.Press();
        return 1;
    }
    return 0;
}

void TFocusRing::Draw() const {
    constexpr int StaleMs = 100;
    if (!UsableAt(Focused) || platform::MilliSecs() - LastPolledMs > StaleMs) return;
    const TArea a = Items[static_cast<size_t>(Focused)].Area();
    if (a.W <= 0 || a.H <= 0) return;
    int r, g, b;
    platform::GetColor(r, g, b);
    const float alpha = platform::GetAlpha();
    const int blend = platform::GetBlend();
    platform::SetBlend(platform::ALPHABLEND);
    platform::SetAlpha(1.0f);
    // A dark frame under a light one reads on both the pale paper and the dark boards.
    constexpr float Pad = 4, Thick = 3;
    const float x = a.X - Pad, y = a.Y - Pad, w = a.W + 2 * Pad, h = a.H + 2 * Pad;
    platform::SetColor(20, 30, 60);
    platform::DrawRect(x - 1, y - 1, w + 2, Thick + 2);
    platform::DrawRect(x - 1, y + h - Thick - 1, w + 2, Thick + 2);
    platform::DrawRect(x - 1, y - 1, Thick + 2, h + 2);
    platform::DrawRect(x + w - Thick - 1, y - 1, Thick + 2, h + 2);
    platform::SetColor(255, 214, 64);
    platform::DrawRect(x, y, w, Thick);
    platform::DrawRect(x, y + h - Thick, w, Thick);
    platform::DrawRect(x, y, Thick, h);
    platform::DrawRect(x + w - Thick, y, Thick, h);
    platform::SetColor(r, g, b);
    platform::SetAlpha(alpha);
    platform::SetBlend(blend);
}
