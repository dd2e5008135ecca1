// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Two ways to pick a value: a list box of text lines with a selection bar and
// double clicks, and a horizontal slider from 0 to 100.
#include <memory>
#include <string>
#include <vector>

#include "framework/widgets/sprite.h"

namespace platform {
class Channel;
class ImageFont;
}  // namespace platform
class TBox;
class TFont;
class TGameSound;
class TShadow;

// Shows the entries StartList..EndList (both inclusive) of Strings, one per
// line; the owner moves that window and keeps EndList below the entry count.
class VTListBox {
public:
    static constexpr int LastItemInList = 7;

    virtual ~VTListBox() = default;

    std::shared_ptr<TFont> Font;
    int DrawBox = 1;
    // The list's rectangle and background colour.
    std::shared_ptr<TBox> Box;
    int TextBorder = 10;
    // Room kept free at the right of every line for what the owner draws there.
    int RightBorder = 0;
    // Space above and below the text of a line.
    int Gap = 5;
    int LineHeight = 0;
    int Centred = 0;
    std::vector<std::string> Strings;
    // The selected entry, -1 for none, and its text.
    int Index = -1;
    std::string Value;
    int Clicked = -1;
    std::shared_ptr<TColor> HighlightCol;
    // 1: the selection bar is drawn under the text, 0 over it.
    int HighlightUnder = 1;
    // The entry double-clicked, -1 for none; the owner resets it.
    int DoubleClicked = -1;
    // Steps.
    float DoubleClickTime = 500.0f;
    float DoubleClickCounter = 0;
    // Shrink the box to a whole number of lines.
    int RoundHeight = 1;
    std::shared_ptr<TGameSound> ClickSound;
    std::shared_ptr<platform::Channel> ClickChannel;
    int StartList = 0;
    int EndList = LastItemInList;

    VTListBox();

    static std::shared_ptr<VTListBox> Create(int ignored, int gap, int centred, int drawBox, int doubleClickMs);
    virtual int Init(int ignored, int gap, int centred, int drawBox);
    virtual int SetupFont(std::shared_ptr<platform::ImageFont> imageFont, std::shared_ptr<TColor> colour,
                          std::shared_ptr<TShadow> shadow);
    virtual int SetCoords(float x, float y, float w, float h);
    // Null: no background.
    virtual int SetupBox(std::shared_ptr<TColor> colour);
    // After the font or the box height changed; the box height must be set first.
    virtual int CalcLineHeight();
    virtual int ClearIndex();
    // The window does not move.
    virtual int SetIndex(int index);
    // Once per logic step.
    virtual int Manage();
    virtual int Draw();
    virtual int DrawHighlight();
    virtual int Kill();
};

// The sprite's image is the bar (top-left handle at x, y); DotImage is the marker.
class TSlider : public TSprite {
public:
    std::shared_ptr<TGameImage> DotImage;
    int DotX = 0, DotY = 0;
    int MouseOver = 0;
    // 0..100.
    int Value = 0;
    // Pixels at each end of the bar outside the value range.
    int Border = 0;
    // How far above and below the bar the pointer still counts as over it.
    int BorderY = 5;

    static std::shared_ptr<TSlider> CreateSpecial(const std::string& barName, const std::string& dotName, int x, int y,
                                                  int border, const std::string& spriteName, int borderY);
    virtual int Load(const std::string& barName, const std::string& dotName, const std::string& spriteName);
    // Pictures from ImagePath + name + ".png"; a missing one ends the program.
    virtual int LoadImages(const std::string& barName, const std::string& dotName);
    // Limited to 0..100; places the marker on the value's point.
    virtual int SetValue(int value);
    // 1 when a held button set the value in this step.
    virtual int Manage();
    int Init() override;
    int Draw() override;
};
