// SPDX-License-Identifier: GPL-3.0-or-later
#include "tallyfold/engine/Explainer.h"

#include <algorithm>
#include <bit>

namespace engine {

namespace {

bool Single(unsigned d) { return d != 0 && (d & (d - 1)) == 0; }
int DigitOf(unsigned single) { return std::countr_zero(single); }

}  // namespace

const char* TechniqueName(Technique technique) {
    switch (technique) {
        case Technique::SingleCellLeft:
            return "single cell left";
        case Technique::UniqueCombination:
            return "unique combination";
        case Technique::CombinationElimination:
            return "combination elimination";
        case Technique::CrossReference:
            return "cross-reference";
        case Technique::PlacedDigit:
            return "placed digit";
        case Technique::Subset:
            return "subset";
        case Technique::ExactRun:
            return "exact run";
        case Technique::AreaSum:
            return "area sum";
        case Technique::Trial:
            return "trial";
    }
    return "";
}

int TechniqueTier(Technique technique) {
    switch (technique) {
        case Technique::Subset:
        case Technique::ExactRun:
            return kTierExactRuns;
        case Technique::AreaSum:
        case Technique::Trial:
            return kTierTrials;
        default:
            return kTierCombinations;
    }
}

Explainer::Explainer(const TBoard& board) : board_(board), solver_(board) {
    runs_.resize(board.constraints.size());
    runCells_.resize(board.constraints.size());
    for (unsigned index = 0; index < board.cellCount; ++index) {
        if (board.cells[index] < 0) continue;
        for (int direction : {kDown, kAcross}) {
            const int link = board.links[index][direction];
            if (link == kNoLink) continue;
            const auto c = static_cast<std::size_t>(link);
            if (runCells_[c].empty()) {
                const unsigned step = direction == kAcross ? 1u : board.columns;
                runs_[c] = {link, direction, static_cast<int>(board.constraints[c].sum),
                            static_cast<int>(board.constraints[c].length), index >= step ? index - step : index};
            }
            runCells_[c].push_back(index);
        }
    }
}

const ExplainedRun& Explainer::Run(int constraint) const {
    static const ExplainedRun none;
    if (constraint < 0 || static_cast<std::size_t>(constraint) >= runs_.size()) return none;
    return runs_[static_cast<std::size_t>(constraint)];
}

ExplainedRun Explainer::RunOf(unsigned cell, int direction) const {
    if (cell < board_.cellCount && (direction == kDown || direction == kAcross)) {
        const int link = board_.links[cell][direction];
        if (link != kNoLink && static_cast<std::size_t>(link) < runs_.size() &&
            !runCells_[static_cast<std::size_t>(link)].empty()) {
            return runs_[static_cast<std::size_t>(link)];
        }
    }
    ExplainedRun none;
    none.constraint = kNoLink;
    none.direction = direction;
    return none;
}

unsigned Explainer::PlacedIn(const ExplainedRun& run, unsigned except, const std::vector<unsigned>& candidates) const {
    if (run.constraint < 0) return 0;
    unsigned placed = 0;
    for (unsigned cell : runCells_[static_cast<std::size_t>(run.constraint)]) {
        if (cell != except && Single(candidates[cell])) placed |= candidates[cell];
    }
    return placed;
}

std::vector<unsigned> Explainer::Candidates() const {
    std::vector<unsigned> candidates(board_.cellCount, 0);
    for (unsigned cell = 0; cell < board_.cellCount; ++cell) candidates[cell] = solver_.Candidates(cell);
    return candidates;
}

// One technique per step, the most specific that tells it: a digit standing in the run,
// a run down to one open cell, a clue with one combination, the cell's other run, and
// only then the general elimination.
void Explainer::Classify(Explanation& e, const std::vector<unsigned>& before) const {
    if (e.kind == ExplainKind::Remove && (e.removed & ~e.inRun) == 0) {
        e.technique = Technique::PlacedDigit;
        return;
    }
    int open = 0;
    for (unsigned cell : runCells_[static_cast<std::size_t>(e.run.constraint)]) open += Single(before[cell]) ? 0 : 1;
    if (e.kind == ExplainKind::Place && open == 1) {
        e.technique = Technique::SingleCellLeft;
    } else if (CombinationMasks(e.run.sum, e.run.length).size() == 1) {
        e.technique = Technique::UniqueCombination;
    } else if (e.kind == ExplainKind::Place && (e.inCross | e.crossLacks | e.earlier) != 0) {
        e.technique = Technique::CrossReference;
    } else {
        e.technique = Technique::CombinationElimination;
    }
}

// Placements first; each change is told from the candidates the ones before it left, as
// a player who carries them out one by one sees them.
std::vector<Explanation> Explainer::Describe(const LogicStep& step, const std::vector<unsigned>& start) const {
    std::vector<Explanation> found;
    std::vector<CandidateChange> changes(step.changes.begin(), step.changes.begin() + step.changeCount);
    std::stable_partition(changes.begin(), changes.end(), [](const CandidateChange& c) { return Single(c.left); });
    std::vector<unsigned> before = start;
    for (const CandidateChange& change : changes) {
        // Applied once this change is told, whichever branch tells it.
        struct Advance {
            std::vector<unsigned>& state;
            const CandidateChange& change;
            ~Advance() { state[change.cell] = change.left; }
        } advance{before, change};
        Explanation e;
        e.tier = step.tier;
        e.cell = change.cell;
        e.removed = change.removed;
        e.left = change.left;
        e.kind = Single(change.left) ? ExplainKind::Place : ExplainKind::Remove;
        if (e.kind == ExplainKind::Place) e.digit = DigitOf(change.left);
        if (step.tier == kTierTrials) {
            e.reason = ExplainReason::Trial;
            e.technique = Technique::Trial;
            if (e.kind == ExplainKind::Remove) e.digit = step.trialDigit;
            e.otherCell = step.emptiedCell;
            e.failedRun = Run(step.failedRun);
            e.cells = {step.trialCell};
            if (step.emptiedCell != step.trialCell) e.cells.push_back(step.emptiedCell);
            if (e.failedRun.constraint >= 0) {
                for (unsigned cell : runCells_[static_cast<std::size_t>(e.failedRun.constraint)]) {
                    if (std::find(e.cells.begin(), e.cells.end(), cell) == e.cells.end()) e.cells.push_back(cell);
                }
            }
            found.push_back(std::move(e));
            continue;
        }
        e.run = Run(step.run);
        e.crossRun = RunOf(change.cell, e.run.direction == kAcross ? kDown : kAcross);
        e.cells = runCells_[static_cast<std::size_t>(step.run)];
        if (step.tier == kTierExactRuns) {
            e.reason = ExplainReason::ExactFillings;
            e.technique = Technique::ExactRun;
            found.push_back(std::move(e));
            continue;
        }
        // Which of the run's combinations still fit, why each other one does not, and why
        // this cell lacks the digits of theirs that it lacks: that is what a player checks
        // the step by.
        e.reason = ExplainReason::Combinations;
        const unsigned placed = PlacedIn(e.run, change.cell, before);
        e.runHolds = placed;
        const std::vector<unsigned>& cells = runCells_[static_cast<std::size_t>(step.run)];
        unsigned fitting = 0;
        for (std::uint16_t mask : CombinationMasks(e.run.sum, e.run.length)) {
            if ((mask & placed) != placed) {
                e.excluded.push_back({mask, placed & ~mask, 0});
                continue;
            }
            // An open cell has to take one of the combination's digits that do not stand in
            // the run yet. The other cells first: "this cell cannot be ..." is the conclusion,
            // not a reason.
            const unsigned* blocking = nullptr;
            for (const unsigned& cell : cells) {
                const bool open = cell == change.cell || !Single(before[cell]);
                if (open && (before[cell] & mask & ~placed) == 0 && (blocking == nullptr || *blocking == change.cell)) {
                    blocking = &cell;
                }
            }
            if (blocking != nullptr) {
                e.excluded.push_back({mask, 0, *blocking});
                continue;
            }
            e.combinations.push_back(mask);
            fitting |= mask;
        }
        const unsigned had = before[change.cell];
        const unsigned lacked = fitting & ~had;
        e.inRun = (change.removed | lacked) & placed;
        e.inCross = lacked & ~placed & PlacedIn(e.crossRun, change.cell, before);
        unsigned crossDigits = 0;
        for (std::uint16_t mask : CombinationMasks(e.crossRun.sum, e.crossRun.length)) crossDigits |= mask;
        if (e.crossRun.constraint >= 0) e.crossLacks = lacked & ~placed & ~e.inCross & ~crossDigits;
        e.earlier = lacked & ~placed & ~e.inCross & ~e.crossLacks;
        Classify(e, before);
        found.push_back(std::move(e));
    }
    return found;
}

// Two open cells of a run that can only hold the same two digits between them (or three
// cells three) take those digits, so the run's other cells cannot.
std::vector<std::vector<Explanation>> Explainer::Subsets(bool firstOnly) const {
    std::vector<std::vector<Explanation>> groups;
    const std::vector<unsigned> candidates = Candidates();
    for (std::size_t c = 0; c < runCells_.size(); ++c) {
        const std::vector<unsigned>& cells = runCells_[c];
        std::vector<unsigned> open;
        for (unsigned cell : cells) {
            if (!Single(candidates[cell])) open.push_back(cell);
        }
        const std::size_t n = open.size();
        for (std::size_t size = 2; size <= 3 && size < n; ++size) {
            std::vector<std::size_t> pick(size);
            for (std::size_t k = 0; k < size; ++k) pick[k] = k;
            while (true) {
                unsigned digits = 0;
                for (std::size_t k : pick) digits |= candidates[open[k]];
                if (static_cast<std::size_t>(std::popcount(digits)) == size) {
                    std::vector<unsigned> members;
                    for (std::size_t k : pick) members.push_back(open[k]);
                    std::vector<Explanation> group;
                    for (unsigned cell : open) {
                        if (std::find(members.begin(), members.end(), cell) != members.end() ||
                            !(candidates[cell] & digits))
                            continue;
                        Explanation e;
                        e.tier = kTierExactRuns;
                        e.reason = ExplainReason::Subset;
                        e.technique = Technique::Subset;
                        e.cell = cell;
                        e.removed = candidates[cell] & digits;
                        e.left = candidates[cell] & ~digits;
                        e.kind = Single(e.left) ? ExplainKind::Place : ExplainKind::Remove;
                        if (e.kind == ExplainKind::Place) e.digit = DigitOf(e.left);
                        e.run = runs_[c];
                        e.crossRun = RunOf(cell, e.run.direction == kAcross ? kDown : kAcross);
                        e.digits = digits;
                        e.subset = members;
                        e.cells = cells;
                        group.push_back(std::move(e));
                    }
                    if (!group.empty()) {
                        std::stable_partition(group.begin(), group.end(),
                                              [](const Explanation& e) { return e.kind == ExplainKind::Place; });
                        groups.push_back(std::move(group));
                        if (firstOnly) return groups;
                    }
                }
                // The next choice of `size` of the n open cells, in order.
                std::size_t k = size;
                while (k > 0 && pick[k - 1] == n - size + k - 1) --k;
                if (k == 0) break;
                ++pick[k - 1];
                for (std::size_t j = k; j < size; ++j) pick[j] = pick[j - 1] + 1;
            }
        }
    }
    return groups;
}

// Bands of whole rows (or columns), the narrowest first. The band's across runs cover it
// exactly; the down runs lying wholly inside leave some of its cells over, whose digits
// add up to the difference of the clues; the down runs reaching into the band cover it
// and some cells outside, whose digits add up to the difference the other way round.
// The difference less the digits standing in the left-over cells is what the open ones
// hold: the digit of one, or the sum of two, which keeps only the digits of each that
// a digit of the other completes.
bool Explainer::FindAreaSum(std::vector<Explanation>& found) const {
    const unsigned rows = board_.rows, columns = board_.columns;
    if (rows == 0 || columns == 0 || board_.cellCount != rows * columns) return false;
    const std::vector<unsigned> candidates = Candidates();
    for (unsigned height = 1; height < std::max(rows, columns); ++height) {
        for (int direction : {kAcross, kDown}) {
            const int cross = direction == kAcross ? kDown : kAcross;
            const unsigned lines = direction == kAcross ? rows : columns;
            auto lineOf = [&](unsigned cell) { return direction == kAcross ? cell / columns : cell % columns; };
            for (unsigned from = 0; from + height <= lines; ++from) {
                const unsigned to = from + height - 1;
                auto inBand = [&](unsigned cell) { return lineOf(cell) >= from && lineOf(cell) <= to; };
                bool covered = true, any = false;
                int total = 0;
                for (unsigned cell = 0; cell < board_.cellCount && covered; ++cell) {
                    if (board_.cells[cell] < 0 || !inBand(cell)) continue;
                    any = true;
                    covered = board_.links[cell][kDown] != kNoLink && board_.links[cell][kAcross] != kNoLink;
                }
                if (!covered || !any) continue;
                int inside = 0, reaching = 0;
                std::vector<unsigned> innies, outies;
                for (std::size_t c = 0; c < runCells_.size(); ++c) {
                    const std::vector<unsigned>& cells = runCells_[c];
                    if (cells.empty()) continue;
                    const int direction_c = runs_[c].direction;
                    const auto in = static_cast<std::size_t>(std::count_if(cells.begin(), cells.end(), inBand));
                    if (direction_c == direction) {
                        if (in > 0) total += runs_[c].sum;
                    } else if (in > 0) {
                        reaching += runs_[c].sum;
                        if (in == cells.size()) inside += runs_[c].sum;
                        for (unsigned cell : cells) {
                            if (!inBand(cell)) outies.push_back(cell);
                        }
                    }
                }
                for (unsigned cell = 0; cell < board_.cellCount; ++cell) {
                    if (board_.cells[cell] < 0 || !inBand(cell)) continue;
                    const std::vector<unsigned>& crossCells =
                        runCells_[static_cast<std::size_t>(board_.links[cell][cross])];
                    if (!std::all_of(crossCells.begin(), crossCells.end(), inBand)) innies.push_back(cell);
                }
                for (bool outside : {false, true}) {
                    const std::vector<unsigned>& over = outside ? outies : innies;
                    int known = 0;
                    std::vector<unsigned> open;
                    for (unsigned cell : over) {
                        if (Single(candidates[cell])) {
                            known += DigitOf(candidates[cell]);
                        } else {
                            open.push_back(cell);
                        }
                    }
                    if (open.empty() || open.size() > 2) continue;
                    const int left = (outside ? reaching - total : total - inside) - known;
                    AreaTotals area{direction, from, to, total, outside ? reaching : inside, outside, known};
                    std::vector<unsigned> keep;
                    if (open.size() == 1) {
                        keep.push_back(left >= 1 && left <= 9 ? candidates[open[0]] & 1u << left : 0u);
                    } else {
                        area.pair = true;
                        area.shareRun = board_.links[open[0]][kDown] == board_.links[open[1]][kDown] ||
                                        board_.links[open[0]][kAcross] == board_.links[open[1]][kAcross];
                        for (std::size_t k = 0; k < 2; ++k) {
                            unsigned digits = 0;
                            for (unsigned rest = candidates[open[k]]; rest; rest &= rest - 1) {
                                const int digit = std::countr_zero(rest), other = left - digit;
                                const bool fits = other >= 1 && other <= 9 && (candidates[open[1 - k]] >> other & 1) &&
                                                  !(area.shareRun && other == digit);
                                if (fits) digits |= 1u << digit;
                            }
                            keep.push_back(digits);
                        }
                    }
                    std::vector<unsigned> cells;
                    for (unsigned cell = 0; cell < board_.cellCount; ++cell) {
                        if (board_.cells[cell] >= 0 && inBand(cell)) cells.push_back(cell);
                    }
                    if (outside) cells.insert(cells.end(), outies.begin(), outies.end());
                    for (std::size_t k = 0; k < open.size(); ++k) {
                        const unsigned cell = open[k];
                        // Nothing to keep means the board contradicts itself: not a step to explain.
                        if (keep[k] == 0 || keep[k] == candidates[cell]) continue;
                        Explanation e;
                        e.left = keep[k];
                        e.removed = candidates[cell] & ~keep[k];
                        e.kind = Single(e.left) ? ExplainKind::Place : ExplainKind::Remove;
                        if (e.kind == ExplainKind::Place) e.digit = DigitOf(e.left);
                        e.reason = ExplainReason::AreaSum;
                        e.technique = Technique::AreaSum;
                        e.tier = kTierTrials;
                        e.cell = cell;
                        e.area = area;
                        if (area.pair) {
                            e.area.partner = open[1 - k];
                            e.area.partnerDigits = candidates[open[1 - k]];
                            e.otherCell = open[1 - k];
                        }
                        e.cells = cells;
                        found.push_back(std::move(e));
                    }
                    if (std::any_of(keep.begin(), keep.end(), [](unsigned k) { return k == 0; })) found.clear();
                    if (!found.empty()) {
                        std::stable_partition(found.begin(), found.end(),
                                              [](const Explanation& e) { return e.kind == ExplainKind::Place; });
                        // Told one after the other: the second sees the first's result.
                        if (found.size() == 2) found[1].area.partnerDigits = found[0].left;
                        return true;
                    }
                }
            }
        }
    }
    return false;
}

void Explainer::Apply(const std::vector<Explanation>& steps) {
    for (const Explanation& e : steps) solver_.Restrict(e.cell, e.left);
}

std::vector<std::vector<Explanation>> Explainer::RunGroups(int tier) const {
    std::vector<std::vector<Explanation>> groups;
    const std::vector<unsigned> before = Candidates();
    LogicStep step;
    for (std::size_t c = 0; c < runCells_.size(); ++c) {
        if (!runCells_[c].empty() && solver_.Peek(static_cast<int>(c), tier, step))
            groups.push_back(Describe(step, before));
    }
    return groups;
}

bool Explainer::Next(int maxTier, Explanation& out) {
    if (pending_.empty()) {
        const std::vector<unsigned> before = Candidates();
        LogicStep step;
        std::vector<Explanation> found;
        std::vector<Explanation> area;
        if (solver_.Step(std::min(maxTier, kTierCombinations), step)) found = Describe(step, before);
        // Subsets are a special case of exact runs that a player spots more easily, so they
        // come first; area sums are not, and come before a trial.
        if (found.empty() && maxTier >= kTierExactRuns && !solver_.Contradiction()) {
            const auto subsets = Subsets(true);
            if (!subsets.empty()) {
                found = subsets.front();
                Apply(found);
            }
        }
        if (found.empty() && maxTier >= kTierExactRuns && solver_.Step(kTierExactRuns, step))
            found = Describe(step, before);
        if (found.empty() && maxTier >= kTierTrials && !solver_.Contradiction() && FindAreaSum(area)) {
            found = area;
            Apply(found);
        }
        if (found.empty() && maxTier >= kTierTrials && solver_.Step(kTierTrials, step)) found = Describe(step, before);
        if (found.empty()) return false;
        for (Explanation& e : found) pending_.push_back(std::move(e));
    }
    out = std::move(pending_.front());
    pending_.pop_front();
    return true;
}

namespace {

// Whether some single step of a tier up to `tier` fills a cell, on these candidates.
bool PlacementWaits(const LogicSolver& solver, std::size_t runs, int tier) {
    LogicStep step;
    for (int t = kTierCombinations; t <= tier; ++t) {
        for (std::size_t c = 0; c < runs; ++c) {
            if (!solver.Peek(static_cast<int>(c), t, step)) continue;
            for (int k = 0; k < step.changeCount; ++k) {
                if (Single(step.changes[static_cast<std::size_t>(k)].left)) return true;
            }
        }
    }
    return false;
}

bool Places(const std::vector<Explanation>& group) {
    return std::any_of(group.begin(), group.end(), [](const Explanation& e) { return e.kind == ExplainKind::Place; });
}

}  // namespace

bool Explainer::NextGroup(int maxTier, Hint& out) {
    out = Hint{};
    std::vector<Explanation> chosen;
    if (!pending_.empty()) {
        chosen.assign(pending_.begin(), pending_.end());
        pending_.clear();
    } else if (!solver_.Contradiction()) {
        std::vector<std::vector<Explanation>> groups;
        int tier = kTierCombinations;
        if (maxTier >= kTierCombinations) groups = RunGroups(kTierCombinations);
        if (groups.empty() && maxTier >= kTierExactRuns) {
            tier = kTierExactRuns;
            groups = Subsets(false);
            for (auto& group : RunGroups(kTierExactRuns)) groups.push_back(std::move(group));
        }
        // A placement now; else the group after which one waits; else the one that takes
        // out the most.
        const std::vector<Explanation>* best = nullptr;
        for (const auto& group : groups) {
            if (Places(group)) {
                best = &group;
                break;
            }
        }
        for (std::size_t k = 0; best == nullptr && k < groups.size(); ++k) {
            LogicSolver after = solver_;
            for (const Explanation& e : groups[k]) after.Restrict(e.cell, e.left);
            if (PlacementWaits(after, runCells_.size(), tier)) best = &groups[k];
        }
        int most = 0;
        for (std::size_t k = 0; best == nullptr && k < groups.size(); ++k) {
            int removed = 0;
            for (const Explanation& e : groups[k]) removed += std::popcount(e.removed);
            if (removed > most) {
                most = removed;
                best = &groups[k];
            }
        }
        if (best != nullptr) {
            chosen = *best;
            Apply(chosen);
        } else if (maxTier >= kTierTrials) {
            Explanation e;
            if (FindAreaSum(chosen)) {
                Apply(chosen);
            } else if (Next(kTierTrials, e)) {
                chosen = {e};
                while (!pending_.empty()) {
                    chosen.push_back(std::move(pending_.front()));
                    pending_.pop_front();
                }
            }
        }
    }
    if (chosen.empty()) return false;
    out.tier = chosen.front().tier;
    out.technique = chosen.front().technique;
    out.places = Places(chosen);
    out.steps = std::move(chosen);
    return true;
}

bool NextHint(const TBoard& board, const std::vector<unsigned>& ruledOut, int maxTier, Hint& out) {
    Explainer explainer(board);
    for (unsigned cell = 0; cell < board.cellCount && cell < ruledOut.size(); ++cell) {
        if (board.cells[cell] == kEmpty && ruledOut[cell] != 0) explainer.Restrict(cell, ~ruledOut[cell]);
    }
    return explainer.NextGroup(maxTier, out);
}

bool FindWrongDigit(const TBoard& board, const std::vector<int>& solution, Explanation& out) {
    auto wrong = [&](unsigned i) {
        return board.cells[i] >= 1 && board.cells[i] <= 9 && i < solution.size() && solution[i] != board.cells[i];
    };
    unsigned cell = 0;
    while (cell < board.cellCount && !wrong(cell)) ++cell;
    if (cell >= board.cellCount) return false;

    const Explainer runs(board);
    const int digit = board.cells[cell];
    out = Explanation{};
    out.kind = ExplainKind::WrongDigit;
    out.cell = cell;
    out.digit = digit;
    out.reason = ExplainReason::NotTheSolution;
    out.cells = {cell};
    auto cellsOf = [&](const ExplainedRun& run) {
        std::vector<unsigned> cells;
        for (unsigned i = 0; i < board.cellCount; ++i) {
            if (board.cells[i] >= 0 && board.links[i][run.direction] == run.constraint) cells.push_back(i);
        }
        return cells;
    };
    auto blame = [&](ExplainReason reason, const ExplainedRun& run) {
        out.reason = reason;
        out.run = run;
        out.cells = cellsOf(run);
        return true;
    };

    for (int direction : {kAcross, kDown}) {
        const ExplainedRun run = runs.RunOf(cell, direction);
        if (run.constraint < 0) continue;
        for (unsigned other : cellsOf(run)) {
            if (other != cell && board.cells[other] == digit) {
                out.otherCell = other;
                return blame(ExplainReason::Repeated, run);
            }
        }
    }
    for (int direction : {kAcross, kDown}) {
        const ExplainedRun run = runs.RunOf(cell, direction);
        if (run.constraint < 0) continue;
        unsigned others = 0;
        for (unsigned other : cellsOf(run)) {
            if (other != cell && board.cells[other] > 0) others |= 1u << board.cells[other];
        }
        const unsigned with = others | 1u << digit;
        bool anyWithDigit = false, anyWithAll = false;
        for (std::uint16_t mask : CombinationMasks(run.sum, run.length)) {
            anyWithDigit = anyWithDigit || (mask >> digit & 1);
            anyWithAll = anyWithAll || (mask & with) == with;
        }
        if (!anyWithDigit) return blame(ExplainReason::NoCombination, run);
        if (!anyWithAll) {
            out.digits = others;
            return blame(ExplainReason::NotWithOthers, run);
        }
    }

    // From the right digits alone: a run of two whose other cell cannot take the partner.
    TBoard right = board;
    for (unsigned i = 0; i < right.cellCount; ++i) {
        if (wrong(i)) right.cells[i] = kEmpty;
    }
    LogicSolver fromRight(right);
    fromRight.Solve(kTierExactRuns);
    for (int direction : {kAcross, kDown}) {
        const ExplainedRun run = runs.RunOf(cell, direction);
        if (run.constraint < 0 || run.length != 2) continue;
        const int partner = run.sum - digit;
        for (unsigned other : cellsOf(run)) {
            if (other == cell || board.cells[other] != kEmpty) continue;
            if (!fromRight.Contradiction() && !(fromRight.Candidates(other) >> partner & 1)) {
                out.partner = partner;
                out.otherCell = other;
                return blame(ExplainReason::NoPartner, run);
            }
        }
    }

    // The right digits and this one: the runs narrow until one of them cannot be filled.
    right.cells[cell] = digit;
    LogicSolver withIt(right);
    LogicStep step, last;
    while (!withIt.Contradiction() && withIt.Step(kTierExactRuns, step)) last = step;
    if (withIt.Contradiction() && last.run >= 0) {
        blame(ExplainReason::RunCannotBeFilled, runs.Run(last.run));
        if (std::find(out.cells.begin(), out.cells.end(), cell) == out.cells.end()) out.cells.push_back(cell);
    }
    return true;
}

}  // namespace engine
