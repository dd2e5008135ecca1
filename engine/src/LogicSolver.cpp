// SPDX-License-Identifier: GPL-3.0-or-later
#include "tallyfold/engine/LogicSolver.h"

#include <algorithm>
#include <bit>

namespace engine {

// The sum combinations of one clue and run length (at most 12), and per set of digits
// (bit k for digit k + 1) the combinations that share a digit with it.
struct RunCombinations {
    int count = 0;
    std::array<std::uint16_t, 16> masks{};
    std::array<std::uint16_t, 512> meeting{};
};

namespace {

bool Single(unsigned d) { return d != 0 && (d & (d - 1)) == 0; }

// The combinations of every clue and length that has any, with, per set of digits, the
// combinations that share a digit with it: the combination rule then costs one lookup
// per cell of a run instead of a test per combination and cell.
struct CombinationIndex {
    std::array<std::array<int, kMaxRunLength + 1>, kMaxSum + 1> table{};
    std::vector<RunCombinations> tables;

    CombinationIndex() {
        for (int sum = 0; sum <= static_cast<int>(kMaxSum); ++sum) {
            for (int length = 0; length <= static_cast<int>(kMaxRunLength); ++length) {
                const auto masks = CombinationMasks(sum, length);
                table[static_cast<std::size_t>(sum)][static_cast<std::size_t>(length)] = -1;
                if (masks.empty() || length == 0) continue;
                RunCombinations run;
                run.count = static_cast<int>(masks.size());
                for (std::size_t i = 0; i < masks.size(); ++i) run.masks[i] = masks[i];
                for (unsigned set = 0; set < 512; ++set) {
                    for (std::size_t i = 0; i < masks.size(); ++i) {
                        if ((masks[i] >> 1) & set)
                            run.meeting[set] = static_cast<std::uint16_t>(run.meeting[set] | 1u << i);
                    }
                }
                table[static_cast<std::size_t>(sum)][static_cast<std::size_t>(length)] =
                    static_cast<int>(tables.size());
                tables.push_back(run);
            }
        }
    }
};

const CombinationIndex& Combinations() {
    static const CombinationIndex index;
    return index;
}

}  // namespace

const RunCombinations* LogicSolver::CombinationsFor(int sum, int length) {
    if (sum < 0 || sum > static_cast<int>(kMaxSum) || length < 0 || length > static_cast<int>(kMaxRunLength)) {
        return nullptr;
    }
    const CombinationIndex& index = Combinations();
    const int at = index.table[static_cast<std::size_t>(sum)][static_cast<std::size_t>(length)];
    return at < 0 ? nullptr : &index.tables[static_cast<std::size_t>(at)];
}

LogicSolver::LogicSolver(const TBoard& board) { Load(board); }

void LogicSolver::Load(const TBoard& board) {
    cellOf_.assign(board.cellCount, -1);
    runOf_.assign(board.constraints.size(), -1);
    boardIndex_.clear();
    dom_.clear();
    cellRuns_.clear();
    runs_.clear();
    known_.clear();
    secondSolution_ = false;
    broken_ = false;
    emptied_ = -1;
    deductions_ = {};
    for (unsigned index = 0; index < board.cellCount; ++index) {
        const int value = board.cells[index];
        if (value < 0) continue;
        const int cell = static_cast<int>(boardIndex_.size());
        cellOf_[index] = cell;
        boardIndex_.push_back(index);
        dom_.push_back(static_cast<Domain>(value == 0 ? kAllDigits : value <= 9 ? 1u << value : 0u));
        std::array<int, 2> runs{-1, -1};
        for (int direction : {kDown, kAcross}) {
            const int link = board.links[index][direction];
            if (link == kNoLink) continue;
            int& run = runOf_[static_cast<std::size_t>(link)];
            if (run < 0) {
                run = static_cast<int>(runs_.size());
                const Constraint& constraint = board.constraints[static_cast<std::size_t>(link)];
                Run info;
                info.sum = static_cast<int>(constraint.sum);
                info.length = static_cast<int>(constraint.length);
                info.constraint = link;
                runs_.push_back(info);
            }
            Run& info = runs_[static_cast<std::size_t>(run)];
            if (info.cellCount >= static_cast<int>(kMaxRunLength)) {
                broken_ = true;
                continue;
            }
            info.cells[static_cast<std::size_t>(info.cellCount++)] = cell;
            runs[static_cast<std::size_t>(direction)] = run;
        }
        cellRuns_.push_back(runs);
    }
    // A clue whose run has another number of cells than it says cannot be met at all.
    for (Run& run : runs_) {
        if (run.cellCount != run.length) broken_ = true;
        run.combinations = CombinationsFor(run.sum, run.length);
    }
    cellCount_ = boardIndex_.size();
    trial_.assign(cellCount_, 0);
    supported_.assign(cellCount_, 0);
    inSolution_.assign(cellCount_, 0);
    queued_.assign(runs_.size(), 0);
    queue_.clear();
    queue_.reserve(runs_.size());
}

unsigned LogicSolver::Candidates(unsigned index) const {
    if (index >= cellOf_.size() || cellOf_[index] < 0) return 0;
    return dom_[static_cast<std::size_t>(cellOf_[index])];
}

void LogicSolver::Restrict(unsigned index, unsigned mask) {
    if (index >= cellOf_.size() || cellOf_[index] < 0) return;
    Domain& d = dom_[static_cast<std::size_t>(cellOf_[index])];
    d = static_cast<Domain>(d & mask & kAllDigits);
}

void LogicSolver::KnowSolution(const std::vector<int>& digits) {
    known_.assign(cellCount_, 0);
    for (std::size_t cell = 0; cell < cellCount_; ++cell) {
        const unsigned index = boardIndex_[cell];
        const int digit = index < digits.size() ? digits[index] : 0;
        known_[cell] = static_cast<Domain>(digit >= 1 && digit <= 9 ? 1u << digit : 0u);
    }
}

int LogicSolver::FilledCount() const {
    return static_cast<int>(std::count_if(dom_.begin(), dom_.end(), [](Domain d) { return Single(d); }));
}

bool LogicSolver::Contradiction() const {
    return broken_ || std::find(dom_.begin(), dom_.end(), Domain{0}) != dom_.end();
}

void LogicSolver::Enqueue(int run) {
    if (run < 0 || queued_[static_cast<std::size_t>(run)]) return;
    queued_[static_cast<std::size_t>(run)] = 1;
    queue_.push_back(run);
}

void LogicSolver::EnqueueRunsOf(int cell) {
    for (int run : cellRuns_[static_cast<std::size_t>(cell)]) Enqueue(run);
}

void LogicSolver::EnqueueAll() {
    for (int run = 0; run < static_cast<int>(runs_.size()); ++run) Enqueue(run);
}

void LogicSolver::ClearQueue() {
    for (int run : queue_) queued_[static_cast<std::size_t>(run)] = 0;
    queue_.clear();
}

bool LogicSolver::Narrow(int tier, const Run& run, const Domain* dom, unsigned* out) const {
    return tier == kTierCombinations ? NarrowByCombinations(run, dom, out) : NarrowExactly(run, dom, out);
}

// A cell keeps the digits of the combinations that still fit the run: every placed digit
// belongs to the combination and every cell can take one of its digits. A placed digit
// leaves the run's other cells first, so a digit placed twice empties both cells.
bool LogicSolver::NarrowByCombinations(const Run& run, const Domain* dom, unsigned* out) const {
    const int n = run.cellCount;
    unsigned placed = 0;
    unsigned placedTwice = 0;
    for (int k = 0; k < n; ++k) {
        const unsigned d = dom[run.cells[static_cast<std::size_t>(k)]];
        if (!Single(d)) continue;
        placedTwice |= placed & d;
        placed |= d;
    }
    unsigned fixed = 0;
    for (int k = 0; k < n; ++k) {
        const unsigned d = dom[run.cells[static_cast<std::size_t>(k)]];
        out[k] = Single(d) ? d & ~placedTwice : d & ~placed;
        if (Single(out[k])) fixed |= out[k];
    }
    unsigned fitting = 0;
    if (const RunCombinations* combinations = run.combinations) {
        unsigned meeting = (1u << combinations->count) - 1;
        for (int k = 0; k < n; ++k) meeting &= combinations->meeting[out[k] >> 1];
        for (unsigned rest = fixed; rest; rest &= rest - 1) {
            meeting &= combinations->meeting[(rest & (0u - rest)) >> 1];
        }
        for (; meeting; meeting &= meeting - 1)
            fitting |= combinations->masks[static_cast<std::size_t>(std::countr_zero(meeting))];
    }
    bool changed = false;
    for (int k = 0; k < n; ++k) {
        out[k] &= fitting;
        changed = changed || out[k] != dom[run.cells[static_cast<std::size_t>(k)]];
    }
    return changed;
}

namespace {

// Sets of digits, one bit per subset of 1..9: bit s stands for the digits k + 1 whose bit
// k is set in s. Adding digit d to every set of a family that lacks it moves each bit up
// by 2^(d-1), which never crosses a word for d <= 6 and moves whole words above that, so
// a run's reachable digit sets advance cell by cell in a few word operations.
using DigitSets = std::array<std::uint64_t, 8>;

constexpr std::uint64_t kLacking[6] = {0x5555555555555555ull, 0x3333333333333333ull, 0x0F0F0F0F0F0F0F0Full,
                                       0x00FF00FF00FF00FFull, 0x0000FFFF0000FFFFull, 0x00000000FFFFFFFFull};

// kWithSum[s]: the sets whose digits add up to s.
constexpr auto kWithSum = [] {
    std::array<DigitSets, kMaxSum + 1> sets{};
    for (unsigned subset = 0; subset < 512; ++subset) {
        unsigned sum = 0;
        for (unsigned k = 0; k < 9; ++k) sum += (subset >> k & 1) ? k + 1 : 0;
        sets[sum][subset >> 6] |= std::uint64_t{1} << (subset & 63);
    }
    return sets;
}();

// to |= every set of `from` lacking digit d, with d added.
inline void AddDigit(const DigitSets& from, int d, DigitSets& to) {
    const int k = d - 1;
    if (k < 6) {
        for (int w = 0; w < 8; ++w) to[w] |= (from[w] & kLacking[k]) << (1 << k);
    } else {
        const int step = 1 << (k - 6);
        for (int w = 0; w < 8; ++w) {
            if (!(w & step)) to[w | step] |= from[w];
        }
    }
}

// The sets lacking digit d whose union with d lies in `from`.
inline DigitSets RemoveDigit(const DigitSets& from, int d) {
    DigitSets out{};
    const int k = d - 1;
    if (k < 6) {
        for (int w = 0; w < 8; ++w) out[w] = (from[w] >> (1 << k)) & kLacking[k];
    } else {
        const int step = 1 << (k - 6);
        for (int w = 0; w < 8; ++w) {
            if (!(w & step)) out[w] = from[w | step];
        }
    }
    return out;
}

// Trials narrow the same long runs from the same candidates again and again (every trial
// starts from the same state), so their results are remembered, by clue, length and
// candidates, in a small table per thread.
struct NarrowMemo {
    std::uint64_t key[2] = {};
    std::uint64_t result[2] = {};
};
thread_local std::array<NarrowMemo, 4096> narrowMemo;

}  // namespace

// A cell keeps a digit only when some complete filling of the run (distinct digits, the
// clue's sum, each cell from its candidates) puts it there.
bool LogicSolver::NarrowExactly(const Run& run, const Domain* dom, unsigned* out) const {
    const int n = run.cellCount;
    if (n <= 3) return NarrowShortRun(run, dom, out);
    // Sum, length and nine bits per cell; the top bit tells a used entry from an empty one.
    std::uint64_t key[2] = {static_cast<std::uint64_t>(run.sum) | static_cast<std::uint64_t>(n) << 6,
                            std::uint64_t{1} << 63};
    for (int k = 0; k < n; ++k) {
        const std::uint64_t digits = dom[run.cells[static_cast<std::size_t>(k)]] >> 1;
        const int bit = 10 + 9 * k;  // cells 0..5 fill the first word exactly
        key[bit / 64] |= digits << (bit % 64);
    }
    NarrowMemo& memo = narrowMemo[((key[0] ^ key[1] * 0x9E3779B97F4A7C15ull) * 0xFF51AFD7ED558CCDull) >> 52];
    if (memo.key[0] == key[0] && memo.key[1] == key[1]) {
        bool changed = false;
        for (int k = 0; k < n; ++k) {
            const int bit = 9 * k;
            std::uint64_t digits = memo.result[bit / 64] >> (bit % 64);
            if (bit % 64 > 55) digits |= memo.result[1] << (64 - bit % 64);
            out[k] = static_cast<unsigned>(digits & 0x1FF) << 1;
            changed = changed || out[k] != dom[run.cells[static_cast<std::size_t>(k)]];
        }
        return changed;
    }
    const bool changed = NarrowLongRun(run, dom, out);
    memo.key[0] = key[0];
    memo.key[1] = key[1];
    memo.result[0] = memo.result[1] = 0;
    for (int k = 0; k < n; ++k) {
        const int bit = 9 * k;
        const std::uint64_t digits = out[k] >> 1;
        memo.result[bit / 64] |= digits << (bit % 64);
        if (bit % 64 > 55) memo.result[1] |= digits >> (64 - bit % 64);
    }
    return changed;
}

// The digit sets that cells 0..k can take are grown forwards; walking back from the sets
// with the clue's sum keeps, per cell, the digits that lead from a reachable set to a
// complete one.
bool LogicSolver::NarrowLongRun(const Run& run, const Domain* dom, unsigned* out) const {
    const int n = run.cellCount;
    std::array<DigitSets, kMaxRunLength + 1> reached{};
    reached[0][0] = 1;
    for (int k = 0; k < n; ++k) {
        for (unsigned rest = dom[run.cells[static_cast<std::size_t>(k)]]; rest; rest &= rest - 1) {
            AddDigit(reached[static_cast<std::size_t>(k)], std::countr_zero(rest),
                     reached[static_cast<std::size_t>(k) + 1]);
        }
    }
    DigitSets completing{};
    for (int w = 0; w < 8; ++w) {
        completing[w] = reached[static_cast<std::size_t>(n)][w] & kWithSum[static_cast<std::size_t>(run.sum)][w];
    }
    for (int k = n - 1; k >= 0; --k) {
        const auto cell = static_cast<std::size_t>(run.cells[static_cast<std::size_t>(k)]);
        const DigitSets& before = reached[static_cast<std::size_t>(k)];
        DigitSets earlier{};
        unsigned keep = 0;
        for (unsigned rest = dom[cell]; rest; rest &= rest - 1) {
            const int digit = std::countr_zero(rest);
            const DigitSets from = RemoveDigit(completing, digit);
            std::uint64_t any = 0;
            for (int w = 0; w < 8; ++w) {
                const std::uint64_t both = from[w] & before[w];
                earlier[w] |= both;
                any |= both;
            }
            if (any) keep |= 1u << digit;
        }
        out[k] = keep;
        completing = earlier;
    }
    bool changed = false;
    for (int k = 0; k < n; ++k) changed = changed || out[k] != dom[run.cells[static_cast<std::size_t>(k)]];
    return changed;
}

// Runs of up to three cells, the most common ones, are cheaper to fill out digit by
// digit: the last digit follows from the sum.
bool LogicSolver::NarrowShortRun(const Run& run, const Domain* dom, unsigned* out) const {
    const int n = run.cellCount;
    unsigned in[3] = {};
    for (int k = 0; k < n; ++k) {
        in[k] = dom[run.cells[static_cast<std::size_t>(k)]];
        out[k] = 0;
    }
    auto fits = [](int digit, unsigned mask) { return digit >= 1 && digit <= 9 && (mask >> digit & 1); };
    if (n == 1) {
        if (fits(run.sum, in[0])) out[0] = 1u << run.sum;
    } else if (n == 2) {
        for (unsigned a = in[0]; a; a &= a - 1) {
            const int first = std::countr_zero(a);
            const int second = run.sum - first;
            if (second == first || !fits(second, in[1])) continue;
            out[0] |= 1u << first;
            out[1] |= 1u << second;
        }
    } else if (n == 3) {
        for (unsigned a = in[0]; a; a &= a - 1) {
            const int first = std::countr_zero(a);
            for (unsigned b = in[1] & ~(1u << first); b; b &= b - 1) {
                const int second = std::countr_zero(b);
                const int third = run.sum - first - second;
                if (third == first || third == second || !fits(third, in[2])) continue;
                out[0] |= 1u << first;
                out[1] |= 1u << second;
                out[2] |= 1u << third;
            }
        }
    }
    bool changed = false;
    for (int k = 0; k < n; ++k) changed = changed || out[k] != in[k];
    return changed;
}

bool LogicSolver::Propagate(int tier, Domain* dom) {
    unsigned out[kMaxRunLength];
    while (!queue_.empty()) {
        const int index = queue_.back();
        queue_.pop_back();
        queued_[static_cast<std::size_t>(index)] = 0;
        const Run& run = runs_[static_cast<std::size_t>(index)];
        if (!Narrow(tier, run, dom, out)) continue;
        if (dom == dom_.data()) {
            // A narrowing the combination rule makes just as well needs no exact reasoning.
            unsigned easy[kMaxRunLength];
            const bool byCombinations = tier == kTierCombinations || (Narrow(kTierCombinations, run, dom, easy) &&
                                                                      std::equal(out, out + run.cellCount, easy));
            ++deductions_[byCombinations ? kTierCombinations : kTierExactRuns];
        }
        for (int k = 0; k < run.cellCount; ++k) {
            const int cell = run.cells[static_cast<std::size_t>(k)];
            if (out[k] == dom[cell]) continue;
            dom[cell] = static_cast<Domain>(out[k]);
            if (out[k] == 0) {
                emptied_ = cell;
                emptiedBy_ = run.constraint;
                ClearQueue();
                return false;
            }
            for (int other : cellRuns_[static_cast<std::size_t>(cell)]) {
                if (other != index) Enqueue(other);
            }
        }
        // Exact narrowing leaves nothing more to take from the same run; the combination
        // rule may, once a cell it narrowed to one digit has to leave the others.
        if (tier == kTierCombinations) Enqueue(index);
    }
    return true;
}

// Places `digit` in `cell` on a copy of the candidates and applies tier 2. When that
// stands, every cell it narrowed to one digit keeps that digit through any trial of its
// own (a trial from a larger state can only end larger), so those need no trial now.
bool LogicSolver::Trial(int cell, Domain digit) {
    std::copy(dom_.begin(), dom_.end(), trial_.begin());
    trial_[static_cast<std::size_t>(cell)] = digit;
    EnqueueRunsOf(cell);
    if (!Propagate(kTierExactRuns, trial_.data())) return false;
    const bool complete = std::all_of(trial_.begin(), trial_.end(), [](Domain d) { return Single(d); });
    if (complete && !known_.empty() && trial_ != known_) secondSolution_ = true;
    std::vector<Domain>& mark = complete ? inSolution_ : supported_;
    for (std::size_t k = 0; k < cellCount_; ++k) {
        if (Single(trial_[k])) mark[k] = static_cast<Domain>(mark[k] | trial_[k]);
    }
    return true;
}

bool LogicSolver::Solve(int maxTier) {
    if (Contradiction()) return false;
    EnqueueAll();
    if (!Propagate(std::min(maxTier, static_cast<int>(kTierExactRuns)), dom_.data())) return false;
    if (maxTier < kTierTrials) return Filled();

    // A complete trial is a solution of the current candidates; its digits can never be
    // removed while the candidates only shrink by sound deductions.
    if (known_.empty()) {
        std::fill(inSolution_.begin(), inSolution_.end(), Domain{0});
    } else {
        std::copy(known_.begin(), known_.end(), inSolution_.begin());
    }
    for (bool changed = true; changed && !secondSolution_;) {
        changed = false;
        std::fill(supported_.begin(), supported_.end(), Domain{0});
        for (std::size_t cell = 0; cell < cellCount_; ++cell) {
            for (unsigned rest = dom_[cell]; rest != 0; rest &= rest - 1) {
                const auto digit = static_cast<Domain>(rest & (0u - rest));
                if (Single(dom_[cell]) || !(dom_[cell] & digit)) continue;
                if ((supported_[cell] | inSolution_[cell]) & digit) continue;
                if (Trial(static_cast<int>(cell), digit)) {
                    if (secondSolution_) return false;
                    continue;
                }
                dom_[cell] = static_cast<Domain>(dom_[cell] & ~digit);
                ++deductions_[kTierTrials];
                EnqueueRunsOf(static_cast<int>(cell));
                if (!Propagate(kTierExactRuns, dom_.data())) return false;
                // What earlier trials of this pass left standing may not stand on fewer
                // candidates; the next pass tries it again.
                changed = true;
            }
        }
    }
    return Filled();
}

bool LogicSolver::Step(int maxTier, LogicStep& step) {
    step = LogicStep{};
    if (Contradiction()) return false;
    unsigned out[kMaxRunLength];
    for (int tier = kTierCombinations; tier <= std::min(maxTier, static_cast<int>(kTierExactRuns)); ++tier) {
        for (const Run& run : runs_) {
            if (!Narrow(tier, run, dom_.data(), out)) continue;
            step.tier = tier;
            step.run = run.constraint;
            for (int k = 0; k < run.cellCount; ++k) {
                const auto cell = static_cast<std::size_t>(run.cells[static_cast<std::size_t>(k)]);
                if (out[k] == dom_[cell]) continue;
                step.changes[static_cast<std::size_t>(step.changeCount++)] = {boardIndex_[cell], dom_[cell] & ~out[k],
                                                                              out[k]};
                dom_[cell] = static_cast<Domain>(out[k]);
            }
            return true;
        }
    }
    if (maxTier < kTierTrials) return false;
    for (std::size_t cell = 0; cell < cellCount_; ++cell) {
        if (Single(dom_[cell])) continue;
        for (unsigned rest = dom_[cell]; rest != 0; rest &= rest - 1) {
            const auto digit = static_cast<Domain>(rest & (0u - rest));
            if (Trial(static_cast<int>(cell), digit)) continue;
            step.tier = kTierTrials;
            step.trialCell = boardIndex_[cell];
            step.trialDigit = std::countr_zero(static_cast<unsigned>(digit));
            step.emptiedCell = boardIndex_[static_cast<std::size_t>(emptied_)];
            step.failedRun = emptiedBy_;
            step.changeCount = 1;
            const auto left = static_cast<Domain>(dom_[cell] & ~digit);
            step.changes[0] = {boardIndex_[cell], digit, left};
            dom_[cell] = left;
            return true;
        }
    }
    return false;
}

bool LogicSolver::Peek(int constraint, int tier, LogicStep& step) const {
    step = LogicStep{};
    if (constraint < 0 || static_cast<std::size_t>(constraint) >= runOf_.size() ||
        runOf_[static_cast<std::size_t>(constraint)] < 0 || tier < kTierCombinations || tier > kTierExactRuns ||
        Contradiction()) {
        return false;
    }
    const Run& run = runs_[static_cast<std::size_t>(runOf_[static_cast<std::size_t>(constraint)])];
    unsigned out[kMaxRunLength];
    if (!Narrow(tier, run, dom_.data(), out)) return false;
    step.tier = tier;
    step.run = constraint;
    for (int k = 0; k < run.cellCount; ++k) {
        const auto cell = static_cast<std::size_t>(run.cells[static_cast<std::size_t>(k)]);
        if (out[k] == dom_[cell]) continue;
        step.changes[static_cast<std::size_t>(step.changeCount++)] = {boardIndex_[cell], dom_[cell] & ~out[k], out[k]};
    }
    return true;
}

PuzzleGrade GradePuzzle(const TBoard& board, int maxTier) {
    PuzzleGrade grade;
    LogicSolver solver(board);
    int before = solver.FilledCount();
    grade.filled[0] = before;
    for (int tier = kTierCombinations; tier <= std::min(maxTier, static_cast<int>(kTierTrials)); ++tier) {
        const bool solved = solver.Solve(tier);
        if (solver.Contradiction()) {
            grade.contradiction = true;
            break;
        }
        const int now = solver.FilledCount();
        grade.filled[static_cast<std::size_t>(tier)] = now - before;
        before = now;
        if (solved) {
            grade.tier = tier;
            break;
        }
    }
    grade.unfilled = solver.WhiteCount() - before;
    grade.deductions = solver.Deductions();
    return grade;
}

}  // namespace engine
