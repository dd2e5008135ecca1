// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The puzzle fixture with a board ready for cells: blank 32 x 32 pictures in
// the image bank under the cells' names, the cell hook installed, a pointer.
#include "game/screens/session.h"
#include "store_support.h"

class ScreensTest : public CoreTest {
protected:
    // The cells show the game's own model, so the test works on that one, fresh.
    ScreensTest() : CoreTest((ResetPlaySession(), &PlayModel())) {}
    void SetUp() override;
    void TearDown() override;

    // Puts the pointer at (x, y) with a fresh press of button 1 (left) or 2 (right).
    void PointAt(float x, float y);
    void Click(float x, float y, int button);
    // The cell at grid position (i, j) of the current list.
    std::shared_ptr<class TCell> CellAt(int i, int j);
};
