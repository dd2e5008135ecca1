#include <algorithm>
#include <bit>
#include <cstring>

#include "Assign.h"
#include "tallyfold/engine/Diagnostics.h"
#include "tallyfold/engine/DigitFiller.h"

namespace engine {
namespace {

using Domain = std::uint16_t;

bool Single(Domain d) { return d != 0 && (d & (d - 1)) == 0; }

// Counts solutions by search over digit domains, keeping every run generalised arc
// consistent: a digit stays in a cell only while some combination of the run's clue,
// placed as a whole, can put it there. Pruning never drops a digit that occurs in a
// solution, so counts agree with a plain cell-by-cell enumeration.
//
// Cells still open after propagation often fall apart into groups that share no run.
// Those are counted one by one and the counts multiplied; searching them together would
// multiply the work instead, which is what makes sparse boards explode.
class ClueSolver {
 public:
  ClueSolver(const TBoard& board, std::uint64_t effort);

  bool OutOfEffort() const { return outOfEffort_; }

  // Number of solutions, at most `limit`; remembers the first one met.
  int Count(int limit);

  // The solution Count met first.
  void FirstFound(std::vector<int>& digits) const;

  // The first solution in cell order with digits from 1 upwards; call after Count found
  // at least one. False when the effort ran out.
  bool FirstInOrder(std::vector<int>& digits);

  unsigned BoardIndex(int cell) const { return boardIndex_[static_cast<std::size_t>(cell)]; }
  int CellCount() const { return n_; }

 private:
  struct Run {
    int sum = 0;
    int length = 0;
    int cellCount = 0;
    int direction = kDown;
    std::array<int, kMaxRunLength> cells{};
  };

  // Domains at each search depth. Levels are made on first use, each in its own buffer,
  // so a pointer to one stays valid while deeper ones are added.
  Domain* Level(int depth) {
    while (levels_.size() <= static_cast<std::size_t>(depth)) {
      levels_.emplace_back(static_cast<std::size_t>(n_), Domain{0});
    }
    return levels_[static_cast<std::size_t>(depth)].data();
  }
  void EnqueueRunsOf(int cell);
  void Enqueue(int run);
  bool Propagate(Domain* dom);
  bool Revise(int run, Domain* dom);
  bool Spend(std::uint64_t units);
  bool DigitCountsCanAgree(const Domain* dom);
  int CountScope(int depth, std::size_t scopeBegin, std::size_t scopeEnd, int limit);
  int CountComponent(int depth, std::size_t begin, std::size_t end, int limit);

  int n_ = 0;
  bool broken_ = false;  // a white cell the board cannot fill: no solution at all
  bool twoRunsEach_ = true;  // every white cell in one down and one across run
  std::vector<unsigned> boardIndex_;
  std::vector<std::array<int, 2>> cellRuns_;
  std::vector<Run> runs_;
  std::vector<std::vector<Domain>> levels_;
  std::vector<int> queue_;
  std::vector<std::uint8_t> queued_;
  // Scopes and saved first solutions live on these stacks instead of per-call vectors.
  std::vector<int> cellStack_;
  std::vector<Domain> saveStack_;
  std::size_t saveTop_ = 0;
  std::vector<unsigned> seen_;
  unsigned stamp_ = 0;
  std::vector<Domain> solution_;  // per cell: the first solution of the scopes counted
  std::uint64_t effortLeft_;
  bool outOfEffort_ = false;
  bool rootConsistent_ = false;
};

ClueSolver::ClueSolver(const TBoard& board, std::uint64_t effort) : effortLeft_(effort) {
  std::vector<int> runOf(board.constraints.size(), -1);
  for (unsigned index = 0; index < board.cellCount; ++index) {
    const int value = board.cells[index];
    if (value < 0) continue;
    const int cell = n_++;
    boardIndex_.push_back(index);
    std::array<int, 2> runs{-1, -1};
    for (int direction : {kDown, kAcross}) {
      const int link = board.links[index][direction];
      if (link == kNoLink) {
        if (value == 0) broken_ = true;
        twoRunsEach_ = false;
        continue;
      }
      int& run = runOf[static_cast<std::size_t>(link)];
      if (run < 0) {
        run = static_cast<int>(runs_.size());
        const Constraint& constraint = board.constraints[static_cast<std::size_t>(link)];
        Run info;
        info.sum = static_cast<int>(constraint.sum);
        info.length = static_cast<int>(constraint.length);
        info.direction = direction;
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
  for (const Run& run : runs_) {
    if (run.cellCount != run.length) broken_ = true;
  }

  const auto cells = static_cast<std::size_t>(n_);
  cellStack_.reserve(4 * cells);
  saveStack_.resize(4 * cells);
  seen_.assign(cells, 0);
  solution_.assign(cells, 0);
  queued_.assign(runs_.size(), 0);
  queue_.reserve(runs_.size());
  if (broken_) return;

  Domain* root = Level(0);
  for (int cell = 0; cell < n_; ++cell) {
    const int value = board.cells[BoardIndex(cell)];
    root[cell] = static_cast<Domain>(value > 0 ? 1u << value : kAllDigits);
  }
  for (int run = 0; run < static_cast<int>(runs_.size()); ++run) Enqueue(run);
  rootConsistent_ = Propagate(root);
}

bool ClueSolver::Spend(std::uint64_t units) {
  if (units > effortLeft_) {
    effortLeft_ = 0;
    outOfEffort_ = true;
    return false;
  }
  effortLeft_ -= units;
  return true;
}

void ClueSolver::Enqueue(int run) {
  if (run < 0 || queued_[static_cast<std::size_t>(run)]) return;
  queued_[static_cast<std::size_t>(run)] = 1;
  queue_.push_back(run);
}

void ClueSolver::EnqueueRunsOf(int cell) {
  Enqueue(cellRuns_[static_cast<std::size_t>(cell)][kDown]);
  Enqueue(cellRuns_[static_cast<std::size_t>(cell)][kAcross]);
}

bool ClueSolver::Propagate(Domain* dom) {
  bool consistent = true;
  while (!queue_.empty()) {
    const int run = queue_.back();
    queue_.pop_back();
    queued_[static_cast<std::size_t>(run)] = 0;
    if (consistent && !Revise(run, dom)) consistent = false;
  }
  return consistent && !outOfEffort_;
}

bool ClueSolver::Revise(int runIndex, Domain* dom) {
  const Run& run = runs_[static_cast<std::size_t>(runIndex)];
  unsigned fixedDigits = 0;
  int fixedSum = 0;
  int open[kMaxRunLength];
  int m = 0;
  for (int k = 0; k < run.cellCount; ++k) {
    const int cell = run.cells[static_cast<std::size_t>(k)];
    const Domain d = dom[cell];
    if (d == 0) return false;
    if (Single(d)) {
      if (fixedDigits & d) return false;
      fixedDigits |= d;
      fixedSum += std::countr_zero(d);
    } else {
      open[m++] = cell;
    }
  }
  if (m == 0) return Spend(1) && fixedSum == run.sum;

  unsigned support[kMaxRunLength] = {};
  unsigned masks[kMaxRunLength];
  std::uint64_t work = 1;
  for (std::uint16_t combo : CombinationMasks(run.sum, run.length)) {
    if ((combo & fixedDigits) != fixedDigits) continue;
    const unsigned digits = combo & ~fixedDigits;
    unsigned reachable = 0;
    bool everyCellFits = true;
    bool everyCellTakesAny = true;
    for (int j = 0; j < m; ++j) {
      masks[j] = dom[open[j]] & digits;
      if (masks[j] == 0) {
        everyCellFits = false;
        break;
      }
      reachable |= masks[j];
      if (masks[j] != digits) everyCellTakesAny = false;
    }
    if (!everyCellFits || reachable != digits) continue;
    if (everyCellTakesAny) {
      for (int j = 0; j < m; ++j) support[j] |= digits;
      continue;
    }

    work += 1 + static_cast<std::uint64_t>(m) / 2;
    if (!MatchingSupport(masks, m, digits, support)) continue;
  }
  if (!Spend(work)) return false;

  for (int j = 0; j < m; ++j) {
    const int cell = open[j];
    const auto narrowed = static_cast<Domain>(dom[cell] & support[j]);
    if (narrowed == dom[cell]) continue;
    if (narrowed == 0) return false;
    dom[cell] = narrowed;
    const auto& runs = cellRuns_[static_cast<std::size_t>(cell)];
    Enqueue(runs[0] == runIndex ? runs[1] : runs[0]);
  }
  return true;
}

// Counts the solutions of the cells cellStack_[scopeBegin, scopeEnd) at Level(depth),
// which is propagated; cells outside the scope share no run with its open cells. On a
// result of 1 or more, solution_ holds the first solution met for the scope.
// Every white cell lies in one across and one down run, so each digit occurs as often in
// the across runs as in the down runs. A run's digit set is one of its combinations, so
// per direction the count of a digit lies between the runs that must hold it and those
// that may. Runs alone cannot see a conflict here (rows short of a 1 where the columns
// are short of a 2, say), and without this check the search would wander through every
// placement before giving up.
bool ClueSolver::DigitCountsCanAgree(const Domain* dom) {
  if (!twoRunsEach_) return true;
  int must[2][10] = {};
  int may[2][10] = {};
  for (const Run& run : runs_) {
    unsigned fixed = 0;
    unsigned possible = 0;
    for (int k = 0; k < run.cellCount; ++k) {
      const Domain d = dom[run.cells[static_cast<std::size_t>(k)]];
      possible |= d;
      if (Single(d)) fixed |= d;
    }
    unsigned always = possible;
    unsigned sometimes = 0;
    for (std::uint16_t combo : CombinationMasks(run.sum, run.length)) {
      if ((combo & fixed) != fixed || (combo & ~possible) != 0) continue;
      always &= combo;
      sometimes |= combo;
    }
    if (sometimes == 0) return false;
    for (unsigned bits = always; bits; bits &= bits - 1) ++must[run.direction][std::countr_zero(bits)];
    for (unsigned bits = sometimes; bits; bits &= bits - 1) ++may[run.direction][std::countr_zero(bits)];
  }
  for (int digit = 1; digit <= 9; ++digit) {
    if (must[kDown][digit] > may[kAcross][digit] || must[kAcross][digit] > may[kDown][digit]) {
      return false;
    }
  }
  return true;
}

int ClueSolver::CountScope(int depth, std::size_t scopeBegin, std::size_t scopeEnd, int limit) {
  if (!Spend(1 + runs_.size() / 2 + (scopeEnd - scopeBegin) / 2)) return 0;
  Domain* dom = Level(depth);
  if (!DigitCountsCanAgree(dom)) return 0;
  const std::size_t base = cellStack_.size();
  for (std::size_t k = scopeBegin; k < scopeEnd; ++k) {
    const int cell = cellStack_[k];
    if (Single(dom[cell])) {
      solution_[static_cast<std::size_t>(cell)] = dom[cell];
    } else {
      cellStack_.push_back(cell);
    }
  }
  const std::size_t openEnd = cellStack_.size();
  if (openEnd == base) return 1;

  // Split the open cells into groups joined by shared runs, each laid out after openEnd.
  ++stamp_;
  for (std::size_t k = base; k < openEnd; ++k) {
    const int first = cellStack_[k];
    if (seen_[static_cast<std::size_t>(first)] == stamp_) continue;
    seen_[static_cast<std::size_t>(first)] = stamp_;
    std::size_t next = cellStack_.size();
    cellStack_.push_back(first);
    while (next < cellStack_.size()) {
      const int cell = cellStack_[next++];
      for (int run : cellRuns_[static_cast<std::size_t>(cell)]) {
        if (run < 0) continue;
        const Run& info = runs_[static_cast<std::size_t>(run)];
        for (int j = 0; j < info.cellCount; ++j) {
          const int other = info.cells[static_cast<std::size_t>(j)];
          if (Single(dom[other]) || seen_[static_cast<std::size_t>(other)] == stamp_) continue;
          seen_[static_cast<std::size_t>(other)] = stamp_;
          cellStack_.push_back(other);
        }
      }
    }
    cellStack_.push_back(-1);  // group separator
  }

  int total = 1;
  std::size_t begin = openEnd;
  while (begin < cellStack_.size()) {
    std::size_t end = begin;
    while (cellStack_[end] >= 0) ++end;
    // Once the product has reached the limit, the rest only need to be solvable.
    const int count = CountComponent(depth, begin, end, total >= limit ? 1 : limit);
    if (count == 0 || outOfEffort_) {
      total = 0;
      break;
    }
    total = std::min(limit, total * count);
    begin = end + 1;
  }
  cellStack_.resize(base);
  return total;
}

// Branches on the most constrained cell of one group of open cells.
int ClueSolver::CountComponent(int depth, std::size_t begin, std::size_t end, int limit) {
  Domain* dom = Level(depth);
  int branch = -1;
  int smallest = 10;
  for (std::size_t k = begin; k < end; ++k) {
    const int cell = cellStack_[k];
    const int size = BitCount(dom[cell]);
    if (size < smallest) {
      branch = cell;
      smallest = size;
      if (size == 2) break;
    }
  }

  const std::size_t width = end - begin;
  const std::size_t saved = saveTop_;
  saveTop_ += width;
  if (saveStack_.size() < saveTop_) saveStack_.resize(2 * saveTop_);
  int found = 0;
  Domain* next = Level(depth + 1);
  while (dom[branch] != 0) {
    const auto value = static_cast<Domain>(dom[branch] & (0u - dom[branch]));
    std::memcpy(next, dom, sizeof(Domain) * static_cast<std::size_t>(n_));
    next[branch] = value;
    EnqueueRunsOf(branch);
    if (Propagate(next)) {
      const int count = CountScope(depth + 1, begin, end, limit - found);
      if (outOfEffort_) break;
      if (count > 0 && found == 0) {
        for (std::size_t k = 0; k < width; ++k) {
          saveStack_[saved + k] = solution_[static_cast<std::size_t>(cellStack_[begin + k])];
        }
      }
      found += count;
      if (found >= limit) break;
    }
    if (outOfEffort_) break;
    // The digit is done with; taking it out here narrows the remaining siblings.
    dom[branch] = static_cast<Domain>(dom[branch] & ~value);
    if (dom[branch] == 0) break;
    EnqueueRunsOf(branch);
    if (!Propagate(dom)) break;
  }
  if (found > 0) {
    for (std::size_t k = 0; k < width; ++k) {
      solution_[static_cast<std::size_t>(cellStack_[begin + k])] = saveStack_[saved + k];
    }
  }
  saveTop_ = saved;
  return outOfEffort_ ? 0 : found;
}

int ClueSolver::Count(int limit) {
  if (broken_ || !rootConsistent_ || limit <= 0) return 0;
  std::vector<Domain> root(Level(0), Level(0) + n_);
  cellStack_.clear();
  for (int cell = 0; cell < n_; ++cell) cellStack_.push_back(cell);
  const int found = CountScope(0, 0, cellStack_.size(), limit);
  cellStack_.clear();
  std::copy(root.begin(), root.end(), Level(0));
  return found;
}

void ClueSolver::FirstFound(std::vector<int>& digits) const {
  digits.resize(solution_.size());
  for (std::size_t cell = 0; cell < solution_.size(); ++cell) {
    digits[cell] = std::countr_zero(static_cast<unsigned>(solution_[cell]));
  }
}

// Settles the cells in order, each on its smallest digit that still leaves a solution.
// A known solution that agrees with every choice so far vouches for its own digit, so
// only smaller digits need a search of their own.
bool ClueSolver::FirstInOrder(std::vector<int>& digits) {
  std::vector<Domain> known = solution_;
  Domain* state = Level(0);
  for (int cell = 0; cell < n_; ++cell) {
    while (!Single(state[cell])) {
      const auto value = static_cast<Domain>(state[cell] & (0u - state[cell]));
      bool take = value == known[static_cast<std::size_t>(cell)];
      if (!take) {
        Domain* trial = Level(1);
        std::memcpy(trial, state, sizeof(Domain) * static_cast<std::size_t>(n_));
        trial[cell] = value;
        EnqueueRunsOf(cell);
        if (Propagate(trial)) {
          cellStack_.clear();
          for (int c = 0; c < n_; ++c) cellStack_.push_back(c);
          if (CountScope(1, 0, cellStack_.size(), 1) > 0) {
            known = solution_;
            take = true;
          }
          cellStack_.clear();
        }
        if (outOfEffort_) return false;
      }
      state[cell] = take ? value : static_cast<Domain>(state[cell] & ~value);
      EnqueueRunsOf(cell);
      if (!Propagate(state)) return false;  // cannot happen while `known` fits the state
    }
  }
  digits.resize(static_cast<std::size_t>(n_));
  for (int cell = 0; cell < n_; ++cell) {
    digits[static_cast<std::size_t>(cell)] = std::countr_zero(static_cast<unsigned>(state[cell]));
  }
  return true;
}

}  // namespace

void FillObviousTest(TBoard& board, std::vector<unsigned>* placed) {
  bool productive = true;
  while (productive) {
    productive = false;
    for (unsigned index = 0; index < board.cellCount; ++index) {
      if (board.cells[index] != kEmpty) continue;
      const unsigned candidates = CellCandidates(board, index);
      if (candidates == 0 || (candidates & (candidates - 1)) != 0) continue;
      if (!PlaceDigit(board, index, std::countr_zero(candidates))) {
        DiagnosticErr() << "FillObviousTest: PlaceDigit failed!\n";
      }
      if (placed) placed->push_back(index);
      productive = true;
    }
  }
}

bool CountSolutions(const TBoard& board, int& count, bool store, TBoard* out,
                    std::uint64_t effort) {
  if (count > 1) return true;
  BuildCombinations();
  ClueSolver solver(board, effort);
  const int wanted = 2 - count;
  const int found = solver.Count(wanted);
  if (solver.OutOfEffort()) return false;

  if (store && out && count == 0 && found > 0) {
    std::vector<int> digits;
    if (found == 1 && wanted > 1) {
      solver.FirstFound(digits);  // the only solution is also the first
    } else if (!solver.FirstInOrder(digits)) {
      return false;
    }
    *out = board;
    for (Constraint& constraint : out->constraints) constraint.used = 0;
    for (int cell = 0; cell < solver.CellCount(); ++cell) {
      const unsigned index = solver.BoardIndex(cell);
      const int digit = digits[static_cast<std::size_t>(cell)];
      out->cells[index] = digit;
      for (int direction : {kDown, kAcross}) {
        if (Constraint* constraint = out->Link(index, direction)) constraint->used |= 1u << digit;
      }
    }
  }
  count += found;
  return true;
}

}  // namespace engine
