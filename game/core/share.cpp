// SPDX-License-Identifier: GPL-3.0-or-later
// Puzzle codes and puzzle files on the game's side: the tables turned into the
// engine's puzzle and back, and every check an opened puzzle passes before it
// reaches the board.
#include "game/core/share.h"

#include <vector>

#include "game/core/engine_adapter.h"
#include "game/core/model.h"
#include "game/core/services.h"

namespace {

// The game's text for key, or the fallback where there is no text table (tests, tools).
std::string Say(const std::string& key, const std::string& fallback) {
    std::string text = CoreText(key);
    return text.empty() ? fallback : text;
}

std::string Refusal(const std::string& key, const std::string& fallback, const std::string& detail) {
    std::string text = Say(key, fallback);
    if (!detail.empty()) text += "\r\n" + detail;
    return text;
}

bool FitsBoard(unsigned rows, unsigned columns, std::string& why) {
    if (EngineSize(static_cast<int>(columns), static_cast<int>(rows))) return true;
    why = Say("Puzzle Board Size", "The game plays boards of 2 to 14 cells a side; this puzzle has") + " " +
          std::to_string(rows) + " x " + std::to_string(columns) + ".";
    return false;
}

// Text a person wrote: no NUL or other control bytes but tab and line ends, and
// UTF-8 that decodes (comments may hold any language).
bool LooksLikeText(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
        if (c == 0x7F) return false;
        if (c < 0x80) {
            ++i;
            continue;
        }
        const int extra = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || c == 0xC0 || c == 0xC1 || c > 0xF4) return false;
        if (i + static_cast<std::size_t>(extra) >= text.size()) return false;
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0xC0) != 0x80) return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

}  // namespace

engine::Puzzle PuzzleFromTables(const TPuzzleState& p, bool withSolution) {
    engine::Puzzle puzzle;
    if (!EngineSize(p.BoardWidth, p.BoardHeight)) return puzzle;
    puzzle.Resize(static_cast<unsigned>(p.BoardHeight), static_cast<unsigned>(p.BoardWidth));
    for (int y = 0; y < p.BoardHeight; ++y)
        for (int x = 0; x < p.BoardWidth; ++x) {
            const unsigned index = EngineIndex(x, y, p.BoardWidth);
            const std::uint8_t v = p.SolutionGrid[x][y];
            if (v == BlackCell || p.PlayerGrid[x][y] == BlackCell) {
                puzzle.cells[index] = engine::kBlack;
                puzzle.clues[index][engine::kDown] = p.VerticalSumGrid[x][y];
                puzzle.clues[index][engine::kAcross] = p.HorizontalSumGrid[x][y];
            } else {
                puzzle.cells[index] = withSolution && v >= 1 && v <= 9 ? v : engine::kEmpty;
            }
        }
    return puzzle;
}

std::string PuzzleCodeOf(const TPuzzleState& p) {
    if (p.CustomMode || !EngineSize(p.BoardWidth, p.BoardHeight)) return {};
    if (!p.IsCustomPuzzle && p.GeneratedLevel >= 1 && p.GeneratedLevel <= 3) {
        bool same = true;
        for (int x = 0; x < p.BoardWidth && same; ++x)
            for (int y = 0; y < p.BoardHeight && same; ++y) same = p.SolutionGrid[x][y] == p.GeneratedSolution[x][y];
        engine::GeneratedPuzzleId id;
        id.rows = static_cast<unsigned>(p.BoardHeight);
        id.columns = static_cast<unsigned>(p.BoardWidth);
        id.level = p.GeneratedLevel;
        id.seed = p.GeneratedSeed;
        if (same) {
            std::string code = engine::GeneratedPuzzleCode(id);
            if (!code.empty()) return code;
        }
    }
    return engine::CluesPuzzleCode(PuzzleFromTables(p, false));
}

bool OpenCodeText(std::string_view code, TOpenedPuzzle& opened, std::string& error) {
    engine::DecodedPuzzleCode decoded;
    std::string why;
    if (!engine::DecodePuzzleCode(code, decoded, why)) {
        error = Refusal("Code Refused", "This code does not open a puzzle:", why);
        return false;
    }
    const unsigned rows = decoded.generated ? decoded.id.rows : decoded.puzzle.rows;
    const unsigned columns = decoded.generated ? decoded.id.columns : decoded.puzzle.columns;
    if (!FitsBoard(rows, columns, why)) {
        error = Refusal("Code Refused", "This code does not open a puzzle:", why);
        return false;
    }
    TOpenedPuzzle result;
    if (!engine::OpenPuzzleCode(code, result.Solved, why, &decoded)) {
        error = Refusal("Code Refused", "This code does not open a puzzle:", why);
        return false;
    }
    result.Generated = decoded.generated;
    result.Id = decoded.id;
    opened = std::move(result);
    return true;
}

bool OpenPuzzleText(std::string_view text, TOpenedPuzzle& opened, std::string& error) {
    const std::string key = "Puzzle File Refused", fallback = "This file holds no puzzle the game can open:";
    if (!LooksLikeText(text)) {
        error = Refusal(key, fallback, Say("Puzzle File Not Text", "It is not a text file."));
        return false;
    }
    engine::Puzzle puzzle;
    std::vector<engine::SourcePosition> positions;
    std::string why;
    if (!engine::ParsePuzzleText(text, puzzle, positions, why) || !FitsBoard(puzzle.rows, puzzle.columns, why)) {
        error = Refusal(key, fallback, why);
        return false;
    }
    if (engine::CheckPuzzle(puzzle, why, &positions) != engine::PuzzleCheck::kUnique) {
        error = Refusal(key, fallback, why);
        return false;
    }
    opened = TOpenedPuzzle{};
    opened.Solved = std::move(puzzle);
    return true;
}

bool ReadPuzzleFile(const std::string& path, std::string& text, std::string& error) {
    std::string bytes, reason;
    const std::string key = "Puzzle File Unreadable", fallback = "This file cannot be opened as a puzzle:";
    switch (CoreReadFile(path, MaxPuzzleFileBytes, bytes, &reason, false)) {
        case TCoreRead::Read:
            text = std::move(bytes);
            return true;
        case TCoreRead::Missing:
            error = Refusal(key, fallback, path + "\r\n" + Say("Puzzle File Missing", "There is no such file."));
            return false;
        case TCoreRead::NotRegular:
            error = Refusal(
                key, fallback,
                path + "\r\n" + Say("Puzzle File Not Plain", "It is a folder, a link or a device, not a plain file."));
            return false;
        case TCoreRead::TooLarge:
            error = Refusal(key, fallback,
                            path + "\r\n" + Say("Puzzle File Too Large", "It is far too large to be a puzzle."));
            return false;
        case TCoreRead::Unreadable:
            break;
    }
    error = Refusal(key, fallback, path + (reason.empty() ? "" : "\r\n" + reason));
    return false;
}

bool PlaceOpenedPuzzle(TPuzzleModel& model, const TOpenedPuzzle& opened, std::string& error) {
    const engine::Puzzle& s = opened.Solved;
    if (!FitsBoard(s.rows, s.columns, error)) return false;
    if (s.cells.size() != static_cast<std::size_t>(s.rows) * s.columns || s.clues.size() != s.cells.size()) {
        error = Say("Code Refused", "This code does not open a puzzle:");
        return false;
    }
    const int width = static_cast<int>(s.columns), height = static_cast<int>(s.rows);
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y) {
            const int v = s.cells[EngineIndex(x, y, width)];
            if (v != engine::kBlack && (v < 1 || v > 9)) {
                error = Say("Code Refused", "This code does not open a puzzle:");
                return false;
            }
        }

    auto& p = model.Puzzle;
    p.PlayerGrid = p.SolutionGrid = p.VerticalSumGrid = p.HorizontalSumGrid = TGrid{};
    p.GeneratedSolution = TGrid{};
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y) {
            const unsigned index = EngineIndex(x, y, width);
            const int v = s.cells[index];
            if (v == engine::kBlack) {
                p.PlayerGrid[x][y] = p.SolutionGrid[x][y] = BlackCell;
                p.VerticalSumGrid[x][y] = static_cast<std::uint8_t>(s.clues[index][engine::kDown]);
                p.HorizontalSumGrid[x][y] = static_cast<std::uint8_t>(s.clues[index][engine::kAcross]);
            } else {
                p.SolutionGrid[x][y] = static_cast<std::uint8_t>(v);
            }
        }
    p.BoardWidth = width;
    p.BoardHeight = height;
    p.CustomMode = p.CustomPuzzleReady = 0;
    p.SeveralSolutions = 0;
    model.ForgetHelpTaken();
    if (opened.Generated) {
        p.PuzzleDifficulty = opened.Id.level - 1;
        p.IsCustomPuzzle = 0;
        p.GeneratedLevel = opened.Id.level;
        p.GeneratedSeed = opened.Id.seed;
        p.GeneratedSolution = p.SolutionGrid;
        p.PuzzleStars = model.PuzzleGradeStars();
    } else {
        // Clues from elsewhere: played like a typed-in puzzle, outside the best times.
        p.IsCustomPuzzle = 1;
        p.GeneratedLevel = 0;
        p.PuzzleStars = 0;
    }
    model.Restart();
    return true;
}
