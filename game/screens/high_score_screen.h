// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The best times, one board size at a time, with rows that slide in.
#include <memory>
#include <string>
#include <vector>

#include "framework/screens/screen.h"

namespace platform {
class ImageFont;
}
class TDialogYesNo;
class TGameImage;
class TKakuroHighScoreList;
class TMenu;
class TSlideLineList;

class THighScoreScreen : public TScreen {
public:
    // "6x6" ... "14x14"
    std::shared_ptr<TMenu> SizeMenu;
    // "alllevels", "easylevel", "mediumlevel", "hardlevel": the table of the
    // whole size or of one of its levels.
    std::shared_ptr<TMenu> LevelMenu;
    std::string ShownSize = "6x6";
    int ShownLevel = -1;  // -1 all levels
    static constexpr int LevelMenuY = 492;
    // One line per row of the table shown; each carries its table entry.
    std::shared_ptr<TSlideLineList> SlideLines;
    // Offset of the background from the screen centre.
    float x = 0, y = 0;
    int StartY = 200;
    // Left edge of the names, right edges of the difficulties and the times, once landed.
    int col1 = 80;
    int col2 = 600;
    int col3 = 720;
    int w = 0;
    int height = 0;
    std::shared_ptr<TKakuroHighScoreList> HighScoreList;
    std::shared_ptr<TDialogYesNo> ClearHighscore;
    int ShowingInput = 0;
    // The Escape that answered the clear question stays away from the screen
    // change until it is let go.
    int EscapeHeldAfterInput = 0;

    // The font of the column titles and rows, and where its text is drawn
    // relative to a row's top so that the letters sit inside the row.
    std::shared_ptr<platform::ImageFont> TableFont;
    int TableTextDY = 0;

    static constexpr int RowHeight = 25;
    // The rim of the "blackback" panel that rows do not cross.
    static constexpr int PanelInset = 6;
    static constexpr int RowDelayMs = 30;
    static constexpr int SlideMs = 600;
    static constexpr int HoldMs = 500;

    int Load() override;
    int Start() override;
    int Kill() override;
    int Logic() override;
    int Draw() override;
    int SetEscDestination() override;
    // New lines for HighScoreList's rows, started.
    virtual int SetSlideLines();

    // The shown table's size button wears its highlighted picture, so the
    // player can tell which board size the times are for.
    virtual int MarkShownSize();

    virtual void ChooseTableFont();
    struct Rect {
        int x, y, w, h;
    };
    // Where rows may be seen: inside the panel.
    static Rect TableArea();

    // The table behind a size button ("6x6" ... "14x14", any letter case); nullptr for another name.
    static std::shared_ptr<TKakuroHighScoreList> TableForSize(const std::string& name);
    // The table of a size button's name and a level (-1 the whole size).
    static std::shared_ptr<TKakuroHighScoreList> TableFor(const std::string& size, int level);
    // Shows the table of the size and level.
    virtual void ShowTable(const std::string& size, int level);

private:
    // The size buttons' own pictures, in menu order.
    std::vector<std::shared_ptr<TGameImage>> SizePictures;
    std::vector<std::shared_ptr<TGameImage>> LevelPictures;
};
