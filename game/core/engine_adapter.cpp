// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/core/engine_adapter.h"

#include <array>
#include <vector>

#include "tallyfold/engine/PuzzleCode.h"
#include "tallyfold/engine/Quality.h"

namespace {

// The runs after clue cell (x, y) as the engine counts them: up to the next black cell.
int RunCells(const TPuzzleState& p, int x, int y, int dx, int dy) {
    int length = 0;
    for (int cx = x + dx, cy = y + dy; cx < p.BoardWidth && cy < p.BoardHeight && p.PlayerGrid[cx][cy] != BlackCell;
         cx += dx, cy += dy)
        ++length;
    return length;
}

}  // namespace

bool EngineSize(int width, int height) {
    return width >= 2 && height >= 2 && width <= MaxBoardSize && height <= MaxBoardSize;
}

bool EngineBoard(const TPuzzleState& p, engine::TBoard& board, bool playerDigits) {
    const int w = p.BoardWidth, h = p.BoardHeight;
    if (!EngineSize(w, h)) return false;
    engine::BuildCombinations();
    board = engine::TBoard{};
    board.Resize(static_cast<unsigned>(h), static_cast<unsigned>(w));
    // Clue cells in reading order, down before across, as the engine's own reader adds them.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (p.PlayerGrid[x][y] != BlackCell) continue;
            const unsigned index = EngineIndex(x, y, w);
            board.cells[index] = engine::kBlack;
            const int down = RunCells(p, x, y, 0, 1), across = RunCells(p, x, y, 1, 0);
            if (down == 0 && across == 0) continue;
            if (down > 9 || across > 9) return false;
            const unsigned downSum = down ? p.VerticalSumGrid[x][y] : 0,
                           acrossSum = across ? p.HorizontalSumGrid[x][y] : 0;
            if (!engine::AddConstraint(board, index, downSum, static_cast<unsigned>(down), engine::kDown) ||
                !engine::AddConstraint(board, index, acrossSum, static_cast<unsigned>(across), engine::kAcross))
                return false;
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned index = EngineIndex(x, y, w);
            const int value = board.cells[index];
            if (value == engine::kBlack) continue;
            if (value != engine::kEmpty || board.links[index][engine::kDown] == engine::kNoLink ||
                board.links[index][engine::kAcross] == engine::kNoLink)
                return false;
            const int digit = p.PlayerGrid[x][y];
            if (playerDigits && digit >= 1 && digit <= 9) board.cells[index] = digit;
        }
    return true;
}

TPuzzleDescription EngineDescription(const TPuzzleState& p) {
    const int w = p.BoardWidth, h = p.BoardHeight;
    TPuzzleDescription description;
    description.Dimensions = std::to_string(h) + " " + std::to_string(w);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (p.PlayerGrid[x][y] != BlackCell) continue;
            const std::string index = std::to_string(EngineIndex(x, y, w)) + " ";
            description.Unfillable += index;
            const int down = RunCells(p, x, y, 0, 1), across = RunCells(p, x, y, 1, 0);
            if (down == 0 && across == 0) continue;
            ++description.Count;
            std::string& record = description.Constraints;
            record += index;
            record += std::to_string(down ? p.VerticalSumGrid[x][y] : 0) + " " + std::to_string(down) + " ";
            record += std::to_string(across ? p.HorizontalSumGrid[x][y] : 0) + " " + std::to_string(across) + " ";
        }
    }
    return description;
}

engine::CustomCheck CheckTypedInBoard(const TPuzzleState& p, TGrid& solution) {
    const int w = p.BoardWidth, h = p.BoardHeight;
    if (!EngineSize(w, h)) return engine::CustomCheck::kInvalid;
    const TPuzzleDescription description = EngineDescription(p);
    std::array<std::uint8_t, MaxBoardSize * MaxBoardSize> result{};
    const engine::CustomCheck check =
        engine::CheckCustomDescription(static_cast<unsigned>(h), static_cast<unsigned>(w), description.Dimensions,
                                       description.Unfillable, description.Constraints, description.Count, result);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t v = result[EngineIndex(x, y, w)];
            solution[x][y] = v == 0xFF ? BlackCell : v;
        }
    return check;
}

bool GenerateSolution(int width, int height, int level, std::uint32_t seed, TGrid& solution) {
    if (!EngineSize(width, height)) return false;
    // Exactly what a puzzle code names: the same generator, the same orientation (an
    // engine row is a game y) and no time limit, which would cut the search short at a
    // point that depends on the machine.
    engine::GeneratedPuzzleId id;
    id.rows = static_cast<unsigned>(height);
    id.columns = static_cast<unsigned>(width);
    id.level = level;
    id.seed = seed;
    std::vector<std::uint8_t> result;
    if (!engine::GenerateFromId(id, result) || result.size() != static_cast<std::size_t>(width * height)) return false;
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y) {
            const std::uint8_t v = result[EngineIndex(x, y, width)];
            solution[x][y] = v == 0xFF ? BlackCell : v;
        }
    return true;
}

int GradeSolution(const TGrid& solution, int width, int height, int level) {
    if (!EngineSize(width, height)) return 0;
    std::vector<int> digits(static_cast<std::size_t>(width * height));
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y) {
            const int v = solution[x][y];
            if (v != BlackCell && (v < 1 || v > 9)) return 0;
            // Every white cell needs a clue cell before it both ways.
            if ((x == 0 || y == 0) && v != BlackCell) return 0;
            digits[EngineIndex(x, y, width)] = v == BlackCell ? -1 : v;
        }
    engine::TBoard board;
    engine::BoardFromDigits(digits, static_cast<unsigned>(height), static_cast<unsigned>(width), board);
    const engine::PuzzleMetrics metrics = engine::MeasurePuzzle(board);
    if (metrics.tier > engine::kTierTrials) return 0;
    return engine::DifficultyStars(engine::DifficultyScore(metrics), static_cast<unsigned>(width),
                                   static_cast<unsigned>(height), level);
}
