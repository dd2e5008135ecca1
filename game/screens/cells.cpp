// SPDX-License-Identifier: GPL-3.0-or-later
// Board cells: layout, the drop-in, drawing from the puzzle tables, clicks.
#include "game/screens/cells.h"

#include <algorithm>
#include <cmath>

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/text/game_text.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/pointer.h"
#include "game/core/core.h"
#include "game/core/edits.h"
#include "game/core/options.h"
#include "game/screens/board_look.h"
#include "game/screens/hint_panel.h"
#include "game/screens/palette.h"
#include "game/screens/screen_common.h"
#include "game/screens/screens.h"
#include "game/screens/session.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

namespace vk = platform::vk;

namespace {
bool CtrlDown() { return KeyDown(vk::LCONTROL) || KeyDown(vk::RCONTROL) || KeyDown(vk::CONTROL); }

void SetInk(const TRgb& ink) { platform::SetColor(ink.R, ink.G, ink.B); }

std::string Text(const char* key) { return Resources.GameText ? Resources.GameText->FindString(key) : std::string(); }

// The combinations that still fit the run; Shift shows every combination of its clue.
std::string CombinationsShown(const TPuzzleModel& model, int direction, int x, int y) {
    const bool shift = KeyDown(vk::LSHIFT) || KeyDown(vk::RSHIFT) || KeyDown(vk::SHIFT);
    return shift ? model.CombinationText(direction, x, y) : model.FilteredCombinationText(direction, x, y);
}
}  // namespace

std::shared_ptr<TCell> TCell::Create(std::shared_ptr<TGameImage> image, float x, float y) {
    auto cell = std::make_shared<TCell>();
    cell->SetImage(std::move(image));
    cell->x = x;
    cell->y = y;
    return cell;
}

int TCell::Move() {
    TSprite::Move();
    if (x >= static_cast<float>(TargetX)) {
        x = static_cast<float>(TargetX);
        dx = 0;
    }
    if (y >= static_cast<float>(TargetY)) {
        y = static_cast<float>(TargetY);
        dy = 0;
    }
    return 0;
}

int TCell::IsMouseOver() {
    if (!Game || !Game->Mouse) return 0;
    float mx = static_cast<float>(Game->Mouse->x), my = static_cast<float>(Game->Mouse->y);
    const float half = static_cast<float>(Size) / 2;
    return std::fabs(mx - x) < half && std::fabs(my - y) < half ? 1 : 0;
}

int TCell::DrawSpecial(int interactive) {
    if (!Model || CellType == 1)
        DrawCellPicture(image, x, y, static_cast<float>(Size));
    else if (CellType == 0)
        DrawWhite(interactive);
    else
        DrawClue(interactive);
    platform::SetColor(255, 255, 255);
    return 0;
}

void TCell::DrawWhite(int interactive) {
    TPuzzleModel& model = *Model;
    const int i = ArrayLocationX, j = ArrayLocationY;
    bool hot = IsMouseOver() && !model.Puzzle.PuzzleCompleted && interactive;
    const float side = static_cast<float>(Size);
    if (hot) {
        DrawCellPicture(Resources.ImageBank->Find("cellmO"), x, y, side);
        if (!model.Puzzle.RevealCellMode)
            Screens.Board.Message = Text(model.Puzzle.CustomMode ? "Cross Sum Message" : "Cell Message");
    } else if ((model.Options.ShowHighlighter && Screens.Board.HoverCellX >= 0 &&
                model.InSameRun(Screens.Board.HoverCellX, Screens.Board.HoverCellY, i, j)) ||
               ExplainedCell(i, j)) {
        DrawCellPicture(Resources.ImageBank->Find("cellmO"), x, y, side);
    } else {
        DrawCellPicture(image, x, y, side);
    }

    if (model.Puzzle.ShowSolution) {
        SetInk(palette::CellDigit);
        DrawCellDigit(std::to_string(model.Puzzle.SolutionGrid[i][j]), x, y, Size);
    } else if (int digit = model.Puzzle.PlayerGrid[i][j]; digit != 0) {
        bool wrong =
            model.Puzzle.ShowMistakes &&
            (model.Puzzle.SeveralSolutions ? model.BreaksRules(i, j) != 0 : digit != model.Puzzle.SolutionGrid[i][j]);
        bool conflict =
            Screens.Board.ConflictShown && Screens.Board.ConflictCellX == i && Screens.Board.ConflictCellY == j;
        const bool tried = Screens.Board.Trying && Screens.Board.TriedFrom[i][j] != digit;
        SetInk(wrong || conflict ? palette::CellMistake : tried ? palette::CellTried : palette::CellDigit);
        DrawCellDigit(std::to_string(digit), x, y, Size);
    } else {
        for (int k = 0; k < 9; ++k) {
            if (model.Puzzle.MarkupGrid[i][j][k] != 1) continue;
            // A mark its run already holds elsewhere is struck through in the warning
            // colour: the stroke tells it apart where colours do not.
            const bool contradicted = model.MarkContradicted(k + 1, i, j) != 0;
            SetInk(contradicted ? palette::CellMistake : palette::CellMark);
            DrawPencilMark(k + 1, x, y, Size, contradicted);
        }
    }
    platform::SetColor(255, 255, 255);
    DrawHintPreview(i, j, x, y, Size);
}

bool TCell::WearsCursor() const {
    if (CellType != 0 || !Model) return false;
    // The explained step's cell wears the cursor's frame: that is where its digit goes.
    return (Screens.Board.CursorShown && Screens.Board.CursorX == ArrayLocationX &&
            Screens.Board.CursorY == ArrayLocationY && !Model->Puzzle.PuzzleCompleted) ||
           ExplainedCell(ArrayLocationX, ArrayLocationY) == 2;
}

void TCell::DrawClue(int interactive) {
    TPuzzleModel& model = *Model;
    const int i = ArrayLocationX, j = ArrayLocationY;
    bool live = IsMouseOver() && !model.Puzzle.PuzzleCompleted && interactive;
    float mx = Game && Game->Mouse ? static_cast<float>(Game->Mouse->x) : -1;
    float my = Game && Game->Mouse ? static_cast<float>(Game->Mouse->y) : -1;
    // Anywhere in a half lights it, the middle of the cell and its edges included.
    bool downHot = live && VerticalSum != 0 && InClueHalf(Vertical, mx, my, x, y, Size);
    bool acrossHot = live && HorizontalSum != 0 && InClueHalf(Horizontal, mx, my, x, y, Size);
    const float side = static_cast<float>(Size);
    if (downHot)
        DrawCellPicture(Resources.ImageBank->Find("BorderSumCellVMO"), x, y, side);
    else if (acrossHot)
        DrawCellPicture(Resources.ImageBank->Find("BorderSumCellHMO"), x, y, side);
    else
        DrawCellPicture(image, x, y, side);
    if ((downHot || acrossHot) && !model.Puzzle.RevealCellMode && model.Options.ShowSumCombinations &&
        !model.Puzzle.CustomMode)
        Screens.Board.Message = Text("Possible Combinations Field") + "\r\n" +
                                CombinationsShown(model, downHot ? Vertical : Horizontal, i, j);

    auto writeClue = [&](int direction, int clue) {
        if (clue == 0) return;
        int shown = clue;
        if (model.Options.ShowRemainingSum) shown = model.RemainingSum(direction, clue, i, j);
        const int check = model.Options.CheckRuns && !model.Puzzle.CustomMode ? model.RunCheck(direction, i, j) : 0;
        const bool wrong = check < 0 || (check == 0 && shown < 0);
        SetInk(wrong ? palette::ClueWarning : check > 0 ? palette::ClueRight : palette::Text);
        DrawClueNumber(direction, std::to_string(shown), x, y, Size);
        if (wrong || check > 0) DrawRunMark(direction, wrong ? 0 : 1, x, y, Size);
    };
    writeClue(Vertical, VerticalSum);
    writeClue(Horizontal, HorizontalSum);
}

namespace {
void ShowConflict() {
    Screens.Board.ConflictCellX = PlayModel().Puzzle.DoubleFoundX;
    Screens.Board.ConflictCellY = PlayModel().Puzzle.DoubleFoundY;
    Screens.Board.ConflictShown = 1;
    Screens.Board.ConflictShownTime = platform::MilliSecs();
}

TEditResult Edit(TEditKind kind, int x, int y, int digit = 0) {
    TEditRequest request;
    request.Kind = kind;
    request.X = x;
    request.Y = y;
    request.Digit = digit;
    return PlayModel().ApplyEdit(request);
}

void OpenClueDialogsFor(int i, int j) {
    Screens.Board.EditCellX = i;
    Screens.Board.EditCellY = j;
    PlayModel().Puzzle.EnteredHorizontalSum = PlayModel().Puzzle.HorizontalSumGrid[i][j];
    if (Screens.Board.OpenClueDialogs) Screens.Board.OpenClueDialogs();
}
}  // namespace

void UseToolOnCell(int i, int j, int n, int write, int mark) {
    if (i < 0 || j < 0 || i >= PlayModel().Puzzle.BoardWidth || j >= PlayModel().Puzzle.BoardHeight) return;
    const bool black = PlayModel().Puzzle.SolutionGrid[i][j] == BlackCell;
    if (black || PlayModel().Puzzle.CustomMode) {
        // Typing a puzzle in: the eraser makes a cell white, the clue tool asks
        // for its clues. A white cell rebuilt by the eraser drops its cell
        // sprite, so nothing of the caller's cell may be used afterwards.
        if (!PlayModel().Puzzle.CustomMode || !write) return;
        if (n == 0)
            Edit(TEditKind::WhiteCell, i, j);
        else if (n == 10)
            OpenClueDialogsFor(i, j);
        return;
    }
    if (PlayModel().Puzzle.RevealCellMode) {
        Edit(TEditKind::Reveal, i, j);
        PlayModel().Puzzle.RevealCellMode = 0;
        return;
    }
    if (write) {
        if (n >= 1 && n <= 9) {
            if (Edit(TEditKind::Digit, i, j, n) == TEditResult::Refused) ShowConflict();
        } else if (n == 0) {
            Edit(TEditKind::Erase, i, j);
        }
    }
    if (mark && n >= 1 && n <= 9) Edit(TEditKind::Mark, i, j, n);
}

int TCell::Manage() {
    if (!IsMouseOver()) return 0;
    auto& mouse = *Game->Mouse;
    if (!mouse.GetMh(0)) return 0;
    const int left = mouse.h1 > 0 || mouse.b1;
    const int right = mouse.h2 > 0 || mouse.b2;
    mouse.GetMh(1);
    // The pointer took over; the next arrow key brings the cursor back.
    Screens.Board.CursorShown = 0;
    const bool ctrl = CtrlDown();
    if (left && !ctrl && ExplainedCell(ArrayLocationX, ArrayLocationY) == 2 && Screens.Board.ApplyExplained) {
        Screens.Board.ApplyExplained();
        return 0;
    }
    UseToolOnCell(ArrayLocationX, ArrayLocationY, Screens.Board.SelectedNumber, left && !ctrl, right || (left && ctrl));
    return 0;
}

int ExplainedCell(int x, int y) { return Screens.Board.Hints.CellRole(PlayModel(), x, y); }

int IsLightCell(int x, int y) {
    return x >= 0 && y >= 0 && x < PlayModel().Puzzle.BoardWidth && y < PlayModel().Puzzle.BoardHeight &&
                   x < MaxBoardSize && y < MaxBoardSize && PlayModel().Puzzle.PlayerGrid[x][y] != BlackCell
               ? 1
               : 0;
}

void MoveCursor(int key) {
    const int w = PlayModel().Puzzle.BoardWidth, h = PlayModel().Puzzle.BoardHeight;
    if (!IsLightCell(Screens.Board.CursorX, Screens.Board.CursorY)) {
        Screens.Board.CursorX = Screens.Board.CursorY = -1;
        // Reading order: the top row first, each row from the left.
        for (int y = 0; y < h && Screens.Board.CursorX < 0; ++y)
            for (int x = 0; x < w; ++x)
                if (IsLightCell(x, y)) {
                    Screens.Board.CursorX = x;
                    Screens.Board.CursorY = y;
                    break;
                }
        if (Screens.Board.CursorX < 0) return;
        Screens.Board.CursorShown = 1;
        if (key != vk::HOME && key != vk::END) return;
    }
    if (!Screens.Board.CursorShown) {
        Screens.Board.CursorShown = 1;
        if (key != vk::HOME && key != vk::END) return;
    }
    int dx = 0, dy = 0;
    switch (key) {
        case vk::LEFT:
            dx = -1;
            break;
        case vk::RIGHT:
            dx = 1;
            break;
        case vk::UP:
            dy = -1;
            break;
        case vk::DOWN:
            dy = 1;
            break;
        case vk::HOME:
        case vk::END: {
            const int y = Screens.Board.CursorY;
            const int from = key == vk::HOME ? 0 : w - 1, step = key == vk::HOME ? 1 : -1;
            for (int x = from; x >= 0 && x < w; x += step)
                if (IsLightCell(x, y)) {
                    Screens.Board.CursorX = x;
                    return;
                }
            return;
        }
        default:
            return;
    }
    for (int x = Screens.Board.CursorX + dx, y = Screens.Board.CursorY + dy; x >= 0 && y >= 0 && x < w && y < h;
         x += dx, y += dy)
        if (IsLightCell(x, y)) {
            Screens.Board.CursorX = x;
            Screens.Board.CursorY = y;
            return;
        }
}

std::shared_ptr<TCell> TCellList::AddNew(float x, float y, std::shared_ptr<TGameImage> image) {
    auto cell = TCell::Create(std::move(image), x, y);
    cell->Cells = weak_from_this();
    Items.push_back(cell);
    return cell;
}

void TCellList::Draw(int interactive) {
    for (auto& cell : Items) cell->DrawSpecial(interactive);
    platform::SetColor(255, 255, 255);
    // Last, as the frame reaches over the neighbouring cells.
    for (auto& cell : Items)
        if (cell->WearsCursor()) DrawCellCursor(cell->x, cell->y, cell->Size);
}

void TCellList::Manage() {
    // A click in custom entry can rebuild the list; walk a copy and stop once it changed.
    auto cells = Items;
    for (auto& cell : cells) {
        cell->Manage();
        if (Items.empty() || Items.front() != cells.front()) break;
    }
}

void TCellList::Move() {
    for (auto& cell : Items) cell->Move();
}

bool TCellList::Settled() const {
    return std::all_of(Items.begin(), Items.end(), [](const std::shared_ptr<TCell>& cell) {
        return cell->y >= static_cast<float>(cell->TargetY) && cell->x >= static_cast<float>(cell->TargetX);
    });
}

void TCellList::SettleNow() {
    for (auto& cell : Items) {
        cell->x = static_cast<float>(cell->TargetX);
        cell->y = static_cast<float>(cell->TargetY);
        cell->dx = cell->dy = 0;
    }
}

void BuildCells(int animate) {
    Screens.CellList->Clear();
    TPuzzleModel& model = PlayModel();
    const int w = model.Puzzle.BoardWidth, h = model.Puzzle.BoardHeight;
    const TBoardGeometry board = BoardGeometry(w, h);
    const int x0 = board.X0, y0 = board.Y0, pitch = board.Cell;
    for (int i = 0; i < w; ++i) {
        // As far above the sheet as the column and its random gaps are tall.
        int s = -y0 - (35 + pitch) * h;
        for (int j = 0; j < h; ++j) {
            std::string picture = "Cell";
            int type = 0, down = 0, across = 0;
            if (model.Puzzle.SolutionGrid[i][j] == BlackCell) {
                down = model.Puzzle.VerticalSumGrid[i][j];
                across = model.Puzzle.HorizontalSumGrid[i][j];
                type = down || across ? 2 : 1;
                picture = type == 2 ? "BorderSumCell" : "BorderCell";
            }
            s += platform::Rand(15, 50);
            const int restX = x0 + pitch * i, restY = y0 + pitch * j;
            float startY = animate == 1 ? static_cast<float>(s + pitch * j) : static_cast<float>(restY);
            auto cell = Screens.CellList->AddNew(static_cast<float>(restX), startY, Resources.ImageBank->Find(picture));
            cell->TargetX = restX;
            cell->TargetY = restY;
            cell->Size = pitch;
            cell->CellType = type;
            cell->VerticalSum = down;
            cell->HorizontalSum = across;
            cell->ArrayLocationX = i;
            cell->ArrayLocationY = j;
            cell->Model = &model;
            cell->dx = 0;
            cell->dy = 2.5f;
        }
    }
    // The cells keep falling together in their cascade, but fast enough that
    // the last one lands within FallMs whatever the board's size.
    constexpr float FallMs = 900, SlowestSpeed = 2.5f;
    float farthest = 0;
    for (auto& cell : Screens.CellList->Items)
        farthest = std::max(farthest, static_cast<float>(cell->TargetY) - cell->y);
    const float steps = Game && Game->FixedRateLogic ? Game->CalcAnimLength(FallMs) : 0;
    if (steps > 0 && farthest / steps > SlowestSpeed)
        for (auto& cell : Screens.CellList->Items) cell->dy = farthest / steps;
}

void InstallCellHooks() {
    if (!Screens.CellList) Screens.CellList = std::make_shared<TCellList>();
    PlayModel().Hooks.CreateCells = BuildCells;
}
