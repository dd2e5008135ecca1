// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The board on the play screen: one sprite per grid position that draws itself
// from the puzzle tables, lights up under the pointer, writes help on the play
// screen's message line and turns clicks into changes of the tables.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/widgets/sprite.h"
#include "game/screens/board_state.h"
#include "game/screens/session.h"

class TCellList;

class TCell : public TSprite {
public:
    std::weak_ptr<TCellList> Cells;
    int CellType = 0;  // 0 white, 1 black without clue, 2 black with one or two clues
    int VerticalSum = 0;
    int HorizontalSum = 0;
    int ArrayLocationX = 0;
    int ArrayLocationY = 0;
    int TargetX = 0;
    int TargetY = 0;
    // Side of the cell in pixels; the board's size and the room on the sheet set it.
    int Size = 32;
    // The puzzle the cell shows, given when it is made; a cell without one draws its picture only.
    TPuzzleModel* Model = nullptr;

    static std::shared_ptr<TCell> Create(std::shared_ptr<TGameImage> image, float x, float y);
    // Falls until it reaches its resting place, then stays there.
    int Move() override;
    virtual int IsMouseOver();
    // interactive 0: drawn without any reaction to the pointer.
    virtual int DrawSpecial(int interactive);
    virtual int Manage();
    // Whether the keyboard cursor's frame (or a hint's) goes around this cell.
    bool WearsCursor() const;

private:
    void DrawWhite(int interactive);
    void DrawClue(int interactive);
};

class TCellList : public std::enable_shared_from_this<TCellList> {
public:
    std::vector<std::shared_ptr<TCell>> Items;

    std::shared_ptr<TCell> AddNew(float x, float y, std::shared_ptr<TGameImage> image);
    void Clear() { Items.clear(); }
    int Count() const { return static_cast<int>(Items.size()); }
    void Draw(int interactive);
    void Manage();
    void Move();
    // True once every cell rests where it belongs.
    bool Settled() const;
    // Every cell drops the rest of the way at once.
    void SettleNow();
};

// 1 while an explained step is on show and (x, y) is one of its cells; 2 for the step's own cell.
int ExplainedCell(int x, int y);

// What a press on cell (i, j) does with tool n (0 eraser, 1..9, 10 clue tool):
// write is a plain left click (or a digit key on the cursor), mark a right or
// Ctrl click (or Shift with a digit). A pending reveal, the custom-entry tools,
// Prevent Double Digits and the pencil marks all work the same for both ways
// in; every change goes through the core's edit path.
void UseToolOnCell(int i, int j, int n, int write, int mark);

// The cell cursor's keys: an arrow shows the cursor (on the first light cell
// the first time) and, once shown, moves it to the next light cell that way,
// over clue cells, staying put at the edge; Home and End go to the ends of the
// cursor's row. key is the virtual-key code.
void MoveCursor(int key);
// 1 when (x, y) is a light cell of the current board.
int IsLightCell(int x, int y);

// Builds the cells from the tables; animate 1 drops each column in from above.
void BuildCells(int animate);
// Connects BuildCells to the core and makes the cell list.
void InstallCellHooks();
