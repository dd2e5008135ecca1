// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The menu over a solved puzzle: next puzzle, restart, back.
#include <memory>

class TMenu;

class VTEndLevelMenu {
public:
    virtual ~VTEndLevelMenu() = default;
    std::shared_ptr<TMenu> Menu;
    int X = 400, Y = 300;
    int orgX = 0, orgY = 0;
    int Selected = 0;  // 1 next puzzle, 2 restart, 3 back
    int Show = 0;

    virtual int Init(int originX, int originY);
    virtual int PositionMenu();
    virtual int Logic(int allowNext, int allowRestart, int allowBack);
    virtual int Draw(int showNext, int showRestart, int showBack);
};
