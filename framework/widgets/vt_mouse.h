// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The maker's click tracker: how long each button has been held, double
// clicks within a time and distance, and drags.
class VTMouse {
public:
    virtual ~VTMouse() = default;

    // Steps each button has been held: 1 in the step of the press, 0 when up.
    int MBL = 0, MBR = 0;
    // 1 in the step whose left press completes a double click.
    int MBLDC = 0;
    int x = 0, y = 0;
    float DoubleClickTime = 500.0f;  // ms
    float DoubleClickCounter = 0;    // ms left
    int DoubleClickX = -1, DoubleClickY = -1;
    // The second press must lie less than this many pixels from the first on each axis.
    int DoubleClickSquare = 30;
    int _milliCounter = 0;
    int DraggingPixels = 4;
    int DragStartX = -1, DragStartY = -1;
    int IsDragging = 0;

    int LeftClick() const { return MBL; }
    int RightClick() const { return MBR; }
    int DoubleClick() const { return MBLDC; }
    // 1 from the step the pointer has moved far enough with the left button held
    // until the button is released.
    virtual int Drag();
    // Once per logic step, before the screen's logic. A Ctrl-left press counts
    // as a right press.
    virtual int UpdateMouseClicks();
};
