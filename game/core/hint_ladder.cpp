// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/core/hint_ladder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <map>

#include "game/core/engine_adapter.h"
#include "game/core/model.h"
#include "game/core/services.h"

namespace {

// The engine's closing sentence ("So this cell is 5.") comes back behind this mark,
// so that steps with the same reasoning can share one closing sentence naming all
// their cells.
constexpr char kClosing = '\x01';

std::string Replace(std::string text, const std::string& name, const std::string& value) {
    const std::string key = "{" + name + "}";
    for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
    return text;
}

std::string CellWords(const std::string& key, int x, int y) {
    // Counted from 1, as every sentence the player reads.
    return Replace(Replace(CoreText(key), "row", std::to_string(y + 1)), "column", std::to_string(x + 1));
}

// Digits the player already sees kept out of an empty cell: a hint that takes only
// these out would change nothing on the board. Prevent Double Digits keeps out the
// digits standing in the cell's runs; pencil marks (automatic or not) leave out the
// digits they do not show.
unsigned AlreadySeenOut(TPuzzleModel& model, int x, int y) {
    unsigned seen = 0;
    bool marked = false;
    for (int d = 1; d <= 9; ++d) marked = marked || model.Puzzle.MarkupGrid[x][y][d - 1] != 0;
    for (int d = 1; d <= 9; ++d) {
        if (model.Options.PreventDoubleNumbers && model.DigitClashes(d, x, y)) seen |= 1u << d;
        if ((marked || model.Puzzle.AutoMarkup) && model.Puzzle.MarkupGrid[x][y][d - 1] == 0) seen |= 1u << d;
    }
    return seen;
}

// The steps of a group that show the player something new; empty when none does.
std::vector<engine::Explanation> Unenforced(TPuzzleModel& model, const engine::Hint& group) {
    std::vector<engine::Explanation> kept;
    const int width = model.Puzzle.BoardWidth;
    for (const engine::Explanation& e : group.steps) {
        if (e.kind == engine::ExplainKind::Remove &&
            (e.removed & ~AlreadySeenOut(model, GameX(e.cell, width), GameY(e.cell, width))) == 0)
            continue;
        kept.push_back(e);
    }
    return kept;
}

void AddFrameCell(THint& hint, int x, int y) {
    if (std::find(hint.Frame.begin(), hint.Frame.end(), std::pair{x, y}) == hint.Frame.end())
        hint.Frame.emplace_back(x, y);
}

// One paragraph per reasoning: steps whose sentences differ only in their cell share it.
struct TParagraph {
    std::string Body;
    bool Place = false;
    std::string Digits;
    std::vector<std::pair<int, int>> Cells;
};

std::string Closing(const TParagraph& p, bool alone) {
    if (alone)
        return Replace(CoreText(p.Place ? "Explain So Place" : "Explain So Remove"), p.Place ? "digit" : "digits",
                       p.Digits);
    if (p.Cells.size() == 1) {
        const std::string key = p.Place ? "Hint So Place Cell" : "Hint So Remove Cell";
        return Replace(CellWords(key, p.Cells[0].first, p.Cells[0].second), p.Place ? "digit" : "digits", p.Digits);
    }
    return Replace(Replace(CoreText("Hint So Remove Cells"), "count", std::to_string(p.Cells.size())), "digits",
                   p.Digits);
}

std::string Sentences(const std::vector<engine::Explanation>& steps, const engine::TBoard& board, int width) {
    const auto texts = [](const std::string& key) {
        if (key == "Explain So Place") return std::string(1, kClosing) + "P{digit}";
        if (key == "Explain So Remove") return std::string(1, kClosing) + "R{digits}";
        return CoreText(key);
    };
    std::vector<TParagraph> paragraphs;
    for (const engine::Explanation& e : steps) {
        const std::string said = engine::ExplainSentence(e, board, texts);
        const auto at = said.find(kClosing);
        TParagraph p;
        p.Body = said.substr(0, at);
        while (!p.Body.empty() && p.Body.back() == ' ') p.Body.pop_back();
        if (at != std::string::npos && at + 1 < said.size()) {
            p.Place = said[at + 1] == 'P';
            p.Digits = said.substr(at + 2);
        }
        p.Cells = {{GameX(e.cell, width), GameY(e.cell, width)}};
        auto same = std::find_if(paragraphs.begin(), paragraphs.end(), [&](const TParagraph& q) {
            return q.Body == p.Body && q.Place == p.Place && q.Digits == p.Digits && !p.Place;
        });
        if (same != paragraphs.end())
            same->Cells.push_back(p.Cells[0]);
        else
            paragraphs.push_back(std::move(p));
    }
    std::string text;
    for (const TParagraph& p : paragraphs) {
        if (!text.empty()) text += ' ';
        text += p.Body;
        if (!p.Digits.empty()) text += (p.Body.empty() ? "" : " ") + Closing(p, steps.size() == 1);
    }
    return text;
}

THint Stuck() {
    THint hint;
    hint.Kind = THintKind::Stuck;
    hint.Pointer = hint.Sentence = CoreText("Explain Stuck");
    return hint;
}

THint WrongDigitHint(const engine::Explanation& e, const engine::TBoard& board, int width) {
    THint hint;
    hint.Kind = THintKind::Wrong;
    const int x = GameX(e.cell, width), y = GameY(e.cell, width);
    hint.Changes.push_back({x, y, e.digit, 0, 0});
    AddFrameCell(hint, x, y);
    hint.Pointer = CoreText("Hint Wrong");
    hint.Sentence = engine::ExplainSentence(e, board, [](const std::string& key) { return CoreText(key); });
    return hint;
}

THint DeductionHint(const std::vector<engine::Explanation>& steps, const engine::TBoard& board, int width) {
    THint hint;
    hint.Kind = THintKind::Deduction;
    hint.Technique = steps.front().technique;
    hint.Tier = steps.front().tier;
    bool places = false;
    for (const engine::Explanation& e : steps) {
        for (unsigned cell : e.cells) AddFrameCell(hint, GameX(cell, width), GameY(cell, width));
        for (unsigned cell : e.subset) AddFrameCell(hint, GameX(cell, width), GameY(cell, width));
        const int x = GameX(e.cell, width), y = GameY(e.cell, width);
        AddFrameCell(hint, x, y);
        const bool place = e.kind == engine::ExplainKind::Place;
        places = places || place;
        hint.Changes.push_back({x, y, place ? e.digit : 0, place ? 0 : e.removed, e.left});
    }
    hint.Pointer = Replace(CoreText(places ? "Hint Point Place" : "Hint Point Remove"), "technique",
                           TechniqueText(hint.Technique));
    hint.Sentence = Sentences(steps, board, width);
    return hint;
}

// The player's knowledge of the board that the engine may start from: what earlier
// hints ruled out. A cell it would leave with one digit is not narrowed, so that the
// placement is still given as a step of its own.
std::vector<unsigned> RuledOutByCell(const TPuzzleModel& model, const engine::TBoard& board) {
    std::vector<unsigned> ruledOut(board.cellCount, 0);
    const int width = model.Puzzle.BoardWidth;
    for (unsigned index = 0; index < board.cellCount; ++index) {
        if (board.cells[index] != engine::kEmpty) continue;
        unsigned out = 0;
        for (int d = 1; d <= 9; ++d)
            if (model.ExplainedOut(d, GameX(index, width), GameY(index, width))) out |= 1u << d;
        if (std::popcount(engine::kAllDigits & ~out) >= 2) ruledOut[index] = out;
    }
    return ruledOut;
}

// Folds the edits made since `from` into one, so that one undo takes the whole hint back.
void FoldEdits(TEditHistory& history, std::size_t from) {
    if (history.Done.size() <= from + 1) return;
    TEdit merged;
    merged.Kind = history.Done[from].Kind;
    merged.AutoMarkupBefore = history.Done[from].AutoMarkupBefore;
    merged.AutoMarkupAfter = history.Done.back().AutoMarkupAfter;
    for (std::size_t k = from; k < history.Done.size(); ++k)
        for (const TCellChange& change : history.Done[k].Cells) {
            auto same = std::find_if(merged.Cells.begin(), merged.Cells.end(),
                                     [&](const TCellChange& c) { return c.X == change.X && c.Y == change.Y; });
            if (same == merged.Cells.end())
                merged.Cells.push_back(change);
            else
                same->After = change.After;
        }
    std::erase_if(merged.Cells, [](const TCellChange& c) { return c.Before == c.After; });
    history.Done.resize(from);
    history.Done.push_back(std::move(merged));
}

}  // namespace

std::string TechniqueText(engine::Technique technique) {
    std::string name = engine::TechniqueName(technique);
    std::string said = CoreText("Technique " + name);
    return said.empty() ? name : said;
}

THint FindHint(TPuzzleModel& model) {
    engine::TBoard board;
    std::vector<int> solution;
    if (!ExplainBoard(model.Puzzle, board, solution)) return Stuck();
    const int width = model.Puzzle.BoardWidth;
    engine::Explanation wrong;
    if (engine::FindWrongDigit(board, solution, wrong)) return WrongDigitHint(wrong, board, width);

    engine::Explainer explainer(board);
    const std::vector<unsigned> ruledOut = RuledOutByCell(model, board);
    for (unsigned index = 0; index < board.cellCount; ++index)
        if (ruledOut[index] != 0) explainer.Restrict(index, ~ruledOut[index]);
    // Groups the player already sees are passed over; the engine has taken them in,
    // so the next group builds on them. Every group narrows some cell, so this ends.
    engine::Hint group;
    while (explainer.NextGroup(engine::kTierTrials, group)) {
        const std::vector<engine::Explanation> kept = Unenforced(model, group);
        if (!kept.empty()) return DeductionHint(kept, board, width);
    }
    return Stuck();
}

bool CarryOutHint(TPuzzleModel& model, const THint& hint) {
    TPuzzleState& p = model.Puzzle;
    const std::size_t from = model.EditHistory.Done.size();
    bool changed = false;
    for (const THintChange& c : hint.Changes) {
        if (!model.OnBoard(c.X, c.Y) || p.PlayerGrid[c.X][c.Y] == BlackCell) continue;
        TEditRequest request;
        request.X = c.X;
        request.Y = c.Y;
        if (hint.Kind == THintKind::Wrong) {
            request.Kind = TEditKind::Erase;
            changed = model.ApplyEdit(request) == TEditResult::Applied || changed;
            continue;
        }
        if (hint.Kind != THintKind::Deduction) continue;
        if (c.Digit >= 1 && c.Digit <= 9) {
            request.Kind = TEditKind::Digit;
            request.Digit = c.Digit;
            changed = model.ApplyEdit(request) == TEditResult::Applied || changed;
            continue;
        }
        if (!model.RememberRuledOut(c.X, c.Y, c.Removed) || p.PlayerGrid[c.X][c.Y] != 0) continue;
        bool marked = false;
        for (int d = 1; d <= 9; ++d) marked = marked || p.MarkupGrid[c.X][c.Y][d - 1] != 0;
        if (marked || p.AutoMarkup) {
            request.Kind = TEditKind::Unmark;
            request.Digits = c.Removed & engine::kAllDigits;
            changed = model.ApplyEdit(request) == TEditResult::Applied || changed;
            continue;
        }
        // A cell without marks would show nothing: it gets the digits it can still hold.
        request.Kind = TEditKind::Mark;
        for (int d = 1; d <= 9; ++d) {
            if (!(c.Left >> d & 1)) continue;
            request.Digit = d;
            changed = model.ApplyEdit(request) == TEditResult::Applied || changed;
        }
    }
    FoldEdits(model.EditHistory, from);
    return changed;
}

std::vector<engine::Technique> TechniquesNeeded(const TPuzzleState& puzzle) {
    TPuzzleState empty = puzzle;
    for (int x = 0; x < empty.BoardWidth; ++x)
        for (int y = 0; y < empty.BoardHeight; ++y)
            if (empty.PlayerGrid[x][y] != BlackCell) empty.PlayerGrid[x][y] = 0;
    engine::TBoard board;
    std::vector<int> solution;
    std::vector<engine::Technique> needed;
    if (!ExplainBoard(empty, board, solution)) return needed;
    std::array<bool, engine::kTechniqueCount> used{};
    engine::Explainer explainer(board);
    engine::Hint group;
    while (explainer.NextGroup(engine::kTierTrials, group))
        for (const engine::Explanation& e : group.steps) used[static_cast<std::size_t>(e.technique)] = true;
    for (int k = 0; k < engine::kTechniqueCount; ++k)
        if (used[static_cast<std::size_t>(k)]) needed.push_back(static_cast<engine::Technique>(k));
    return needed;
}

THintStage THintLadder::Stage(const TPuzzleModel& model) const {
    return BoardChanges_ == model.EditHistory.Changes && !model.Puzzle.PuzzleCompleted ? Stage_ : THintStage::None;
}

void THintLadder::Press(TPuzzleModel& model) {
    TPuzzleState& p = model.Puzzle;
    switch (Stage(model)) {
        case THintStage::None:
            Hint_ = FindHint(model);
            BoardChanges_ = model.EditHistory.Changes;
            // Nothing to climb towards when there is no step.
            Stage_ = Hint_.Kind == THintKind::Stuck ? THintStage::Shown : THintStage::Pointed;
            if (Hint_.Kind != THintKind::Stuck) ++p.ExplainsUsed;
            break;
        case THintStage::Pointed:
            Stage_ = THintStage::Shown;
            ++p.HintsShown;
            break;
        case THintStage::Shown:
            Stage_ = THintStage::None;
            if (Hint_.Kind == THintKind::Stuck) break;
            CarryOutHint(model, Hint_);
            ++p.HintsCarried;
            break;
    }
}

int THintLadder::CellRole(const TPuzzleModel& model, int x, int y) const {
    const THintStage stage = Stage(model);
    if (stage == THintStage::None) return 0;
    // A wrong digit is named only on the second press.
    if (Hint_.Kind == THintKind::Wrong && stage == THintStage::Pointed) return 0;
    if (stage == THintStage::Shown)
        for (const THintChange& c : Hint_.Changes)
            if (c.X == x && c.Y == y) return 2;
    return std::find(Hint_.Frame.begin(), Hint_.Frame.end(), std::pair{x, y}) != Hint_.Frame.end() ? 1 : 0;
}

unsigned THintLadder::PreviewRemoved(const TPuzzleModel& model, int x, int y) const {
    if (Stage(model) != THintStage::Shown || Hint_.Kind != THintKind::Deduction) return 0;
    for (const THintChange& c : Hint_.Changes)
        if (c.X == x && c.Y == y) return c.Removed;
    return 0;
}
