// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/widgets/vt_mouse.h"

#include <cstdlib>

#include "framework/core/game_state.h"
#include "framework/core/input.h"
#include "framework/widgets/pointer.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

int VTMouse::Drag() {
    if (IsDragging) return 1;
    if (MBL > 0 && DragStartX == -1) {
        DragStartX = x;
        DragStartY = y;
        return 0;
    }
    if (MBL > 1 && std::abs(DragStartX - x) + std::abs(DragStartY - y) > DraggingPixels) {
        IsDragging = 1;
        return 1;
    }
    return 0;
}

int VTMouse::UpdateMouseClicks() {
    const auto& mouse = *GameState()->Mouse;
    x = mouse.x;
    y = mouse.y;

    const int now = platform::MilliSecs();
    int elapsed = now - _milliCounter;
    // After a pause or a stall the double-click window does not run out at once.
    if (elapsed > 1000 || elapsed < 0) elapsed = 0;
    _milliCounter = now;

    const bool ctrl = KeyDown(platform::vk::LCONTROL) || KeyDown(platform::vk::RCONTROL);
    if (mouse.b2 || (mouse.b1 && ctrl))
        ++MBR;
    else
        MBR = 0;

    if (mouse.b1 && !ctrl) {
        ++MBL;
    } else {
        MBL = 0;
        DragStartX = DragStartY = -1;
        IsDragging = 0;
    }

    if (MBL == 1) {
        MBLDC = (DoubleClickCounter > 0 && std::abs(x - DoubleClickX) < DoubleClickSquare &&
                 std::abs(y - DoubleClickY) < DoubleClickSquare)
                    ? 1
                    : 0;
        DoubleClickX = x;
        DoubleClickY = y;
        DoubleClickCounter = DoubleClickTime;
    } else {
        MBLDC = 0;
    }

    if (DoubleClickCounter > 0) DoubleClickCounter -= static_cast<float>(elapsed);
    return 0;
}
