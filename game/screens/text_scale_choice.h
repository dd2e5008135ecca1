// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The options screen's size of text and board: a line beside the OK button
// that a click, Enter or Space steps up through 100-200 % (back to 100 after
// 200), and Left and Right step either way when the keyboard frames it. The
// window takes the new size at once.
class TFocusRing;

class TTextScaleChoice {
public:
    void AddTo(TFocusRing& ring);
    // Once per logic step: a click on the line steps it up.
    void Logic();
    void Draw() const;
    // +1 or -1 steps of 25 %; Press wraps round, Step stops at the ends.
    static void Step(int direction, bool wrap);

    static constexpr float X = 24, Y = 546, W = 290, H = 28;
};
