// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/core/run_links.h"

#include "game/core/engine_adapter.h"

namespace {

std::uint8_t ShapeOf(const TPuzzleState& p, int x, int y) {
    return static_cast<std::uint8_t>((p.PlayerGrid[x][y] == BlackCell ? 1 : 0) |
                                     (p.SolutionGrid[x][y] == BlackCell ? 2 : 0));
}

bool Extent(const TPuzzleState& p) {
    return p.BoardWidth >= 0 && p.BoardHeight >= 0 && p.BoardWidth <= MaxBoardSize && p.BoardHeight <= MaxBoardSize;
}

}  // namespace

// Asked for every cell and digit while the automatic marks are filled in, so the
// comparison stays a plain pass over the layout without a copy or a hash.
bool TRunLinks::Same(const TPuzzleState& p) const {
    if (!Known || p.BoardWidth != Width || p.BoardHeight != Height) return false;
    if (p.VerticalSumGrid != Vertical || p.HorizontalSumGrid != Horizontal) return false;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            if (Shape[static_cast<std::size_t>(y * Width + x)] != ShapeOf(p, x, y)) return false;
    return true;
}

const engine::TBoard* TRunLinks::For(const TPuzzleState& p) {
    if (Pinned || Same(p)) return Usable ? &Board : nullptr;
    Known = Extent(p);
    Usable = false;
    if (!Known) return nullptr;
    Width = p.BoardWidth;
    Height = p.BoardHeight;
    Vertical = p.VerticalSumGrid;
    Horizontal = p.HorizontalSumGrid;
    Agrees = true;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const std::uint8_t shape = ShapeOf(p, x, y);
            Shape[static_cast<std::size_t>(y * Width + x)] = shape;
            if (shape == 1 || shape == 2) Agrees = false;
        }
    ++BuildCount;
    Usable = EngineBoard(p, Board, false);
    return Usable ? &Board : nullptr;
}
