// Board cells: layout, the drop-in, drawing from the puzzle tables, clicks.
#include "game/screens/cells.h"

#include <cmath>

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/text/game_text.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/pointer.h"
#include "game/core/core.h"
#include "game/core/options.h"
#include "game/screens/shell.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

namespace vk = platform::vk;

std::shared_ptr<TCellList> CellList = std::make_shared<TCellList>();
TBoardState Board;

namespace {
constexpr int CellSize = 32;
constexpr int Half = CellSize / 2;

void WriteText(const std::string& text, float x, float y) {
    platform::DrawText(text, std::round(x), std::round(y));
}

bool CtrlDown() { return KeyDown(vk::LCONTROL) || KeyDown(vk::RCONTROL) || KeyDown(vk::CONTROL); }

std::string Text(const char* key) { return GameText ? GameText->FindString(key) : std::string(); }
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
    return std::fabs(mx - x) < Half && std::fabs(my - y) < Half ? 1 : 0;
}

int TCell::DrawSpecial(int interactive) {
    if (CellType == 0)
        DrawWhite(interactive);
    else if (CellType == 1)
        image->Draw(x, y);
    else
        DrawClue(interactive);
    platform::SetColor(255, 255, 255);
    return 0;
}

void TCell::DrawWhite(int interactive) {
    const int i = ArrayLocationX, j = ArrayLocationY;
    bool hot = IsMouseOver() && !Puzzle.PuzzleCompleted && interactive;
    if (hot) {
        ImageBank->Find("cellmO")->Draw(x, y);
        if (!Puzzle.RevealCellMode) Board.Message = Text(Puzzle.CustomMode ? "Cross Sum Message" : "Cell Message");
    } else if (Options.ShowHighlighter && Board.HoverCellX >= 0 &&
               InSameRun(Board.HoverCellX, Board.HoverCellY, i, j)) {
        ImageBank->Find("cellmO")->Draw(x, y);
    } else {
        image->Draw(x, y);
    }

    if (Puzzle.ShowSolution) {
        platform::SetColor(255, 255, 255);
        platform::SetImageFont(Font34);
        WriteText(std::to_string(Puzzle.SolutionGrid[i][j]), x - 8, y - 15);
    } else if (int digit = Puzzle.PlayerGrid[i][j]; digit != 0) {
        bool wrong = Puzzle.ShowMistakes && digit != Puzzle.SolutionGrid[i][j];
        bool conflict = Board.ConflictShown && Board.ConflictCellX == i && Board.ConflictCellY == j;
        if (wrong || conflict)
            platform::SetColor(255, 0, 0);
        else
            platform::SetColor(255, 255, 255);
        platform::SetImageFont(Font34);
        WriteText(std::to_string(digit), x - 8, y - 15);
    } else {
        platform::SetColor(255, 255, 255);
        platform::SetImageFont(Font12);
        for (int k = 0; k < 9; ++k)
            if (Puzzle.MarkupGrid[i][j][k] == 1)
                WriteText(std::to_string(k + 1), x - 12 + 9 * static_cast<float>(k % 3),
                          y - 15 + 10 * static_cast<float>(k / 3));
    }
}

void TCell::DrawClue(int interactive) {
    const int i = ArrayLocationX, j = ArrayLocationY;
    bool live = IsMouseOver() && !Puzzle.PuzzleCompleted && interactive;
    float mx = Game && Game->Mouse ? static_cast<float>(Game->Mouse->x) : -1;
    float my = Game && Game->Mouse ? static_cast<float>(Game->Mouse->y) : -1;
    bool downHot = live && VerticalSum != 0 &&
                   PointInTriangle(mx, my, x - Half, y - Half, x - Half, y + Half, x + Half, y + Half);
    bool acrossHot = live && HorizontalSum != 0 &&
                     PointInTriangle(mx, my, x - Half, y - Half, x + Half, y - Half, x + Half, y + Half);
    if (downHot)
        ImageBank->Find("BorderSumCellVMO")->Draw(x, y);
    else if (acrossHot)
        ImageBank->Find("BorderSumCellHMO")->Draw(x, y);
    else
        image->Draw(x, y);
    if ((downHot || acrossHot) && !Puzzle.RevealCellMode && Options.ShowSumCombinations && !Puzzle.CustomMode)
        Board.Message = Text("Possible Combinations Field") + "\r\n" +
                        CombinationText(downHot ? Vertical : Horizontal, i, j);

    platform::SetImageFont(Font16);
    auto writeClue = [&](int direction, int clue, float left, float top) {
        if (clue == 0) return;
        int shown = clue;
        if (Options.ShowRemainingSum) shown = RemainingSum(direction, clue, i, j);
        if (shown < 0)
            platform::SetColor(255, 0, 0);
        else
            platform::SetColor(255, 255, 255);
        WriteText(std::to_string(shown), left, top);
    };
    writeClue(Vertical, VerticalSum, x - 15, y);
    writeClue(Horizontal, HorizontalSum, x - 1, y - 15);
}

void TCell::MakeWhite() {
    const int i = ArrayLocationX, j = ArrayLocationY;
    Puzzle.PlayerGrid[i][j] = 0;
    Puzzle.SolutionGrid[i][j] = 0;
    Puzzle.VerticalSumGrid[i][j] = 0;
    Puzzle.HorizontalSumGrid[i][j] = 0;
    Core->ClearSumsWithLengthZero();
    // Rebuilding drops this cell; nothing of it may be touched afterwards.
    Core->CreateCells(0);
}

int TCell::Manage() {
    if (!IsMouseOver()) return 0;
    auto& mouse = *Game->Mouse;
    if (!mouse.GetMh(0)) return 0;
    const int left = mouse.h1 > 0 || mouse.b1;
    const int right = mouse.h2 > 0 || mouse.b2;
    mouse.GetMh(1);
    const int n = Board.SelectedNumber;
    const int i = ArrayLocationX, j = ArrayLocationY;
    auto self = std::static_pointer_cast<TCell>(shared_from_this());

    if (CellType != 0) {
        if (!Puzzle.CustomMode) return 0;
        if (n == 0 && left && !CtrlDown()) {
            MakeWhite();
        } else if (n == 10 && left && !CtrlDown()) {
            Board.EditCellX = i;
            Board.EditCellY = j;
            Puzzle.EnteredHorizontalSum = Puzzle.HorizontalSumGrid[i][j];
            if (Board.OpenClueDialogs) Board.OpenClueDialogs();
        }
        return 0;
    }

    if (Puzzle.RevealCellMode) {
        Puzzle.PlayerGrid[i][j] = Puzzle.SolutionGrid[i][j];
        Puzzle.RevealCellMode = 0;
        for (int k = 0; k < 9; ++k) Puzzle.MarkupGrid[i][j][k] = 0;
        if (Puzzle.AutoMarkup) FillMarkup();
        return 0;
    }
    if (left && !CtrlDown()) {
        if (Puzzle.CustomMode) {
            if (n == 0) {
                MakeWhite();
                return 0;
            }
            if (n == 10) {
                Board.EditCellX = i;
                Board.EditCellY = j;
                Puzzle.EnteredHorizontalSum = Puzzle.HorizontalSumGrid[i][j];
                if (Board.OpenClueDialogs) Board.OpenClueDialogs();
            }
            return 0;
        }
        if (n >= 1 && n <= 9 && Options.PreventDoubleNumbers && DigitClashes(n, i, j)) {
            Board.ConflictCellX = Puzzle.DoubleFoundX;
            Board.ConflictCellY = Puzzle.DoubleFoundY;
            Board.ConflictShown = 1;
            Board.ConflictShownTime = platform::MilliSecs();
        } else if (n >= 0 && n <= 9) {
            Puzzle.PlayerGrid[i][j] = static_cast<std::uint8_t>(n);
            for (int k = 0; k < 9; ++k) Puzzle.MarkupGrid[i][j][k] = 0;
            if (Puzzle.AutoMarkup) FillMarkup();
        }
    }
    if ((right || (left && CtrlDown())) && n >= 1 && n <= 9 && !Puzzle.CustomMode) {
        Puzzle.PlayerGrid[i][j] = 0;
        auto& mark = Puzzle.MarkupGrid[i][j][n - 1];
        mark = mark == 0 ? 1 : 0;
    }
    return 0;
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

int BoardOriginX(int width) { return (800 - CellSize * width) / 2 + 68; }
int BoardOriginY(int height) { return (600 - CellSize * height) / 2 - 20; }

void BuildCells(int animate) {
    CellList->Clear();
    const int w = Puzzle.BoardWidth, h = Puzzle.BoardHeight;
    const int x0 = BoardOriginX(w), y0 = BoardOriginY(h);
    for (int i = 0; i < w; ++i) {
        int s = -y0 - 67 * h;
        for (int j = 0; j < h; ++j) {
            std::string picture = "Cell";
            int type = 0, down = 0, across = 0;
            if (Puzzle.SolutionGrid[i][j] == BlackCell) {
                down = Puzzle.VerticalSumGrid[i][j];
                across = Puzzle.HorizontalSumGrid[i][j];
                type = down || across ? 2 : 1;
                picture = type == 2 ? "BorderSumCell" : "BorderCell";
            }
            s += platform::Rand(15, 50);
            const int restX = x0 + CellSize * i, restY = y0 + CellSize * j;
            float startY = animate == 1 ? static_cast<float>(s + CellSize * j) : static_cast<float>(restY);
            auto cell = CellList->AddNew(static_cast<float>(restX), startY, ImageBank->Find(picture));
            cell->TargetX = restX;
            cell->TargetY = restY;
            cell->CellType = type;
            cell->VerticalSum = down;
            cell->HorizontalSum = across;
            cell->ArrayLocationX = i;
            cell->ArrayLocationY = j;
            cell->dx = 0;
            cell->dy = 2.5f;
        }
    }
}

void InstallCellHooks() { CoreHooks.CreateCells = BuildCells; }
