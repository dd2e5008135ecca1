// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens_support.h"

#include "framework/core/input.h"
#include "framework/util/strings.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/pointer.h"
#include "game/screens/cells.h"
#include "game/screens/screens.h"
#include "tallyfold/platform/image.h"

void ScreensTest::SetUp() {
    CoreTest::SetUp();
    Resources.ImageBank = std::make_shared<TImageBank>();
    for (const char* name : {"Cell", "cellmO", "BorderCell", "BorderSumCell", "BorderSumCellVMO", "BorderSumCellHMO"})
        Resources.ImageBank->Map[UpperCase(name)] =
            TGameImage::CreateFromImage(platform::CreateImage(32, 32), UpperCase(name), 1);
    InstallCellHooks();
    Screens.CellList->Clear();
    Screens.Board = TBoardState{};
}

void ScreensTest::TearDown() {
    Screens.CellList->Clear();
    Screens.Board = TBoardState{};
    Resources.ImageBank.reset();
    CoreTest::TearDown();
    // Its hooks point into this test.
    ResetPlaySession();
}

void ScreensTest::PointAt(float x, float y) {
    Game->Mouse->x = static_cast<int>(x);
    Game->Mouse->y = static_cast<int>(y);
}

void ScreensTest::Click(float x, float y, int button) {
    PointAt(x, y);
    auto& mouse = *Game->Mouse;
    mouse.ClearButtons();
    if (button == 1) mouse.b1 = 1, mouse.h1 = 1;
    if (button == 2) mouse.b2 = 1, mouse.h2 = 1;
    mouse.CalcButtonTotals();
    Screens.CellList->Manage();
    mouse.ClearButtons();
    mouse.ClearMouseHit();
}

std::shared_ptr<TCell> ScreensTest::CellAt(int i, int j) {
    for (auto& cell : Screens.CellList->Items)
        if (cell->ArrayLocationX == i && cell->ArrayLocationY == j) return cell;
    return nullptr;
}
