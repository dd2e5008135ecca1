// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A keyboard walk through a screen's controls. Arrows and Tab move a visible
// frame from control to control, Enter or Space presses the one framed, and
// Left and Right change a slider or a choice in place. A gamepad's D-pad and
// buttons arrive as the same keys, so they walk the same way. A screen that
// wants it fills a ring once its controls are built; the ring does nothing
// and draws nothing until the first walking key, so mouse players never see it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TButton;
class TMenu;
class TSlider;

class TFocusRing {
public:
    struct TArea {
        float X = 0, Y = 0, W = 0, H = 0;
    };
    struct TItem {
        // Where the control stands now; controls may move between steps.
        std::function<TArea()> Area;
        std::function<void()> Press;
        // -1 or +1 from Left and Right; empty means those keys move the frame.
        std::function<void(int)> Step;
        // A hidden or disabled control is passed over; empty means always usable.
        std::function<bool()> Usable;
    };

    static std::shared_ptr<TFocusRing> Create() { return std::make_shared<TFocusRing>(); }

    void Clear();
    void Add(TItem item);
    // Pressing a menu's button answers the menu's Clicked(name) in the same step.
    void AddMenu(const std::shared_ptr<TMenu>& menu);
    // The menu's buttons, passed over whenever `when` says the menu is not in play.
    void AddMenu(const std::shared_ptr<TMenu>& menu, const std::function<bool()>& when);
    void AddButton(const std::shared_ptr<TMenu>& menu, const std::shared_ptr<TButton>& button);
    // Left and Right move the slider by step and then call changed with the new value.
    void AddSlider(const std::shared_ptr<TSlider>& slider, int step, std::function<void(int)> changed);

    // Once per logic step, before the screen's menus are managed. Returns 1
    // when a key moved the frame, changed a value or pressed a control.
    int Manage();
    void Draw() const;

    // 0 leaves Left and Right to the screen (a help screen turns pages with them).
    int UseLeftRight = 1;
    // 0 leaves Up and Down to the screen (a list moves its choice with them).
    int UseUpDown = 1;

    // The framed control, -1 before the first walking key.
    int Focus() const { return Focused; }
    // Where the framed control stands; all zero when none is framed.
    TArea FocusedArea() const;
    void SetFocus(int index);
    int Count() const { return static_cast<int>(Items.size()); }

private:
    bool UsableAt(int index) const;
    // The next usable control in list order (Tab), wrapping; -1 when none.
    int Next(int from, int direction) const;
    // The nearest usable control whose centre lies that way (dx, dy one of
    // the four directions); falls back to list order so a column or row wraps.
    int Nearest(int from, int dx, int dy) const;

    std::vector<TItem> Items;
    int Focused = -1;
    // A screen stops polling its ring while a dialog covers it; the frame
    // then goes away with it instead of framing a control out of reach.
    int LastPolledMs = 0;
};
