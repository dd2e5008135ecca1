#pragma once
// The board on the play screen: one sprite per grid position that draws itself
// from the puzzle tables, lights up under the pointer, writes help on the play
// screen's message line and turns clicks into changes of the tables.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/widgets/sprite.h"

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

    static std::shared_ptr<TCell> Create(std::shared_ptr<TGameImage> image, float x, float y);
    // Falls until it reaches its resting place, then stays there.
    int Move() override;
    virtual int IsMouseOver();
    // interactive 0: drawn without any reaction to the pointer.
    virtual int DrawSpecial(int interactive);
    virtual int Manage();

private:
    void DrawWhite(int interactive);
    void DrawClue(int interactive);
    void ClickWhite();
    void MakeWhite();
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
};

extern std::shared_ptr<TCellList> CellList;

// What the play screen and the cells share while a board is shown.
struct TBoardState {
    // 0 eraser, 1..9 a digit, 10 the clue tool of custom entry.
    int SelectedNumber = 1;
    // The cell under the pointer, for the highlighter; -1 none.
    int HoverCellX = -1, HoverCellY = -1;
    int ConflictShown = 0;
    int ConflictCellX = 0, ConflictCellY = 0;
    int ConflictShownTime = 0;
    int EditCellX = 0, EditCellY = 0;
    // Written by the cells each frame, shown by the play screen, emptied before the next frame.
    std::string Message;
    // Opens the clue dialogs for EditCellX/Y in custom entry.
    std::function<void()> OpenClueDialogs;
};

extern TBoardState Board;

// Resting centre of a cell and the top-left of the board for the current board size.
int BoardOriginX(int width);
int BoardOriginY(int height);

// Builds the cells from the tables; animate 1 drops each column in from above.
void BuildCells(int animate);
// Connects BuildCells to the core and makes the cell list.
void InstallCellHooks();
