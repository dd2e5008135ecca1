// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExactCounter.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "Assign.h"

namespace engine {
namespace {

using Domain = ExactCounter::Domain;

bool Single(Domain d) { return d != 0 && (d & (d - 1)) == 0; }

// Searches start small and restart with fresh tie-breaks; budgets follow the Luby
// sequence (1 1 2 1 1 2 4 ...) times this many nodes, which wastes at most a log factor
// against the best fixed budget and needs no tuning per board.
constexpr std::uint64_t kBudgetUnit = 32;

std::uint64_t Luby(std::uint64_t i) {
    for (;;) {
        unsigned k = 1;
        while ((std::uint64_t{1} << k) - 1 < i) ++k;
        if (i == (std::uint64_t{1} << k) - 1) return std::uint64_t{1} << (k - 1);
        i -= (std::uint64_t{1} << (k - 1)) - 1;
    }
}

// The race's answer when the index-order search settled the first solution itself.
constexpr int kOrderedFound = -1;

// Settled groups are kept until their keys and witnesses fill this many words; then the
// memo starts afresh. It only saves work, so forgetting is always safe.
constexpr std::size_t kCacheWordLimit = std::size_t{1} << 22;

// Narrows the domains of one run's cells (in[k] -> out[k]) to the digits that some
// placement of one of the clue's combinations puts there. False when none fits.
bool ReviseRun(int sum, int length, int count, const Domain* in, Domain* out) {
    unsigned fixedDigits = 0;
    int fixedSum = 0;
    int open[kMaxRunLength];
    int m = 0;
    for (int k = 0; k < count; ++k) {
        const Domain d = in[k];
        out[k] = d;
        if (d == 0) return false;
        if (Single(d)) {
            if (fixedDigits & d) return false;
            fixedDigits |= d;
            fixedSum += std::countr_zero(d);
        } else {
            open[m++] = k;
        }
    }
    if (m == 0) return fixedSum == sum;

    unsigned support[kMaxRunLength] = {};
    unsigned masks[kMaxRunLength];
    for (std::uint16_t combo : CombinationMasks(sum, length)) {
        if ((combo & fixedDigits) != fixedDigits) continue;
        const unsigned digits = combo & ~fixedDigits;
        unsigned reachable = 0;
        bool everyCellFits = true;
        bool everyCellTakesAny = true;
        for (int j = 0; j < m; ++j) {
            masks[j] = in[open[j]] & digits;
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
        MatchingSupport(masks, m, digits, support);
    }
    for (int j = 0; j < m; ++j) {
        const auto narrowed = static_cast<Domain>(in[open[j]] & support[j]);
        if (narrowed == 0) return false;
        out[open[j]] = narrowed;
    }
    return true;
}

// A run's revision depends only on its clue and its cells' domains, and the same few
// states come back again and again during a search (and across the boards of one
// generation request), so results are remembered per thread in a direct-mapped table.
class RevisionMemo {
public:
    bool Revise(int sum, int length, int count, const Domain* in, Domain* out) {
        std::uint64_t k0 = 0;
        std::uint64_t k1 = static_cast<std::uint64_t>(sum) << 18 | static_cast<std::uint64_t>(length) << 24 |
                           static_cast<std::uint64_t>(count) << 28;
        for (int k = 0; k < count; ++k) {
            const std::uint64_t bits = in[k] >> 1;
            if (k < 7) {
                k0 |= bits << (9 * k);
            } else {
                k1 |= bits << (9 * (k - 7));
            }
        }
        std::uint64_t h = k0 * 0x9E3779B97F4A7C15ull ^ k1 * 0xC2B2AE3D27D4EB4Full;
        h ^= h >> 29;
        Entry& entry = table_[h & (table_.size() - 1)];
        if (entry.k0 == k0 && entry.k1 == k1) {
            if (entry.v1 >> 63) return false;
            for (int k = 0; k < count; ++k) {
                const std::uint64_t bits = k < 7 ? entry.v0 >> (9 * k) : entry.v1 >> (9 * (k - 7));
                out[k] = static_cast<Domain>((bits & 0x1FF) << 1);
            }
            return true;
        }
        const bool ok = ReviseRun(sum, length, count, in, out);
        entry.k0 = k0;
        entry.k1 = k1;
        entry.v0 = 0;
        entry.v1 = ok ? 0 : std::uint64_t{1} << 63;
        for (int k = 0; ok && k < count; ++k) {
            const std::uint64_t bits = out[k] >> 1;
            if (k < 7) {
                entry.v0 |= bits << (9 * k);
            } else {
                entry.v1 |= bits << (9 * (k - 7));
            }
        }
        return ok;
    }

private:
    // k0 of a real key never has bit 63 set (seven 9-bit fields), so ~0 marks "empty".
    struct Entry {
        std::uint64_t k0 = ~std::uint64_t{0};
        std::uint64_t k1 = 0;
        std::uint64_t v0 = 0;
        std::uint64_t v1 = 0;
    };
    std::vector<Entry> table_ = std::vector<Entry>(std::size_t{1} << 16);
};

RevisionMemo& Memo() {
    static thread_local RevisionMemo memo;
    return memo;
}

std::uint32_t Mix(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

}  // namespace

ExactCounter::ExactCounter(const TBoard& board, std::uint64_t effort) : effortLeft_(effort) {
    std::vector<int> runOf(board.constraints.size(), -1);
    for (unsigned index = 0; index < board.cellCount; ++index) {
        const int value = board.cells[index];
        if (value < 0) continue;
        const int cell = n_++;
        boardIndex_.push_back(index);
        std::array<int, 2> runs{-1, -1};
        for (int direction : {kDown, kAcross}) {
            const int link = board.links[index][direction];
            // A white cell outside a run in either direction can never be filled.
            if (link == kNoLink) {
                broken_ = true;
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
    queued_.assign(runs_.size(), 0);
    runSeen_.assign(runs_.size(), 0);
    failures_.assign(runs_.size(), 1.0);
    seen_.assign(cells, 0);
    activity_.assign(cells, 0.0);
    solution_.assign(cells, 0);
    witness_.assign(cells, 0);
    result_.assign(cells, 0);
    table_.assign(1024, -1);
    if (broken_) return;

    Domain* root = Level(0);
    for (int cell = 0; cell < n_; ++cell) {
        const int value = board.cells[BoardIndex(cell)];
        root[cell] = static_cast<Domain>(value > 0 ? 1u << value : kAllDigits);
    }
    for (int run = 0; run < static_cast<int>(runs_.size()); ++run) Enqueue(run);
    rootConsistent_ = Propagate(root);
}

ExactCounter::Domain* ExactCounter::Level(int depth) {
    while (levels_.size() <= static_cast<std::size_t>(depth)) {
        levels_.emplace_back(static_cast<std::size_t>(n_), Domain{0});
    }
    return levels_[static_cast<std::size_t>(depth)].data();
}

void ExactCounter::Enqueue(int run) {
    if (run < 0 || queued_[static_cast<std::size_t>(run)]) return;
    queued_[static_cast<std::size_t>(run)] = 1;
    queue_.push_back(run);
}

void ExactCounter::EnqueueRunsOf(int cell) {
    Enqueue(cellRuns_[static_cast<std::size_t>(cell)][kDown]);
    Enqueue(cellRuns_[static_cast<std::size_t>(cell)][kAcross]);
}

bool ExactCounter::Propagate(Domain* dom) {
    bool consistent = true;
    while (!queue_.empty()) {
        const int run = queue_.back();
        queue_.pop_back();
        queued_[static_cast<std::size_t>(run)] = 0;
        if (consistent && !Revise(run, dom)) {
            consistent = false;
            if (learning_) failures_[static_cast<std::size_t>(run)] += 1.0;
        }
    }
    return consistent;
}

bool ExactCounter::Revise(int runIndex, Domain* dom) {
    if (effortLeft_ > 0) --effortLeft_;
    const Run& run = runs_[static_cast<std::size_t>(runIndex)];
    Domain in[kMaxRunLength];
    Domain out[kMaxRunLength];
    for (int k = 0; k < run.cellCount; ++k) in[k] = dom[run.cells[static_cast<std::size_t>(k)]];
    if (!Memo().Revise(run.sum, run.length, run.cellCount, in, out)) return false;
    for (int k = 0; k < run.cellCount; ++k) {
        if (out[k] == in[k]) continue;
        const int cell = run.cells[static_cast<std::size_t>(k)];
        dom[cell] = out[k];
        if (learning_) activity_[static_cast<std::size_t>(cell)] += bump_;
        const auto& runs = cellRuns_[static_cast<std::size_t>(cell)];
        Enqueue(runs[kDown] == runIndex ? runs[kAcross] : runs[kDown]);
    }
    return true;
}

void ExactCounter::EnterNode() {
    if (effortLeft_ == 0) throw OutOfEffort{};
    --effortLeft_;
    if (attemptLeft_ == 0) throw Cutoff{};
    --attemptLeft_;
    if (learning_) {
        // Recent shrinking weighs more than old: the bump grows instead of every activity
        // decaying.
        bump_ *= 1.001;
        if (bump_ > 1e100) {
            for (double& a : activity_) a *= 1e-100;
            bump_ *= 1e-100;
        }
    }
}

// Appends the groups of open cells among cells_[begin, end) that share runs, each sorted
// and followed by -1; returns where they start.
std::size_t ExactCounter::Split(const Domain* dom, std::size_t begin, std::size_t end) {
    const std::size_t start = cells_.size();
    ++stamp_;
    for (std::size_t k = begin; k < end; ++k) {
        const int first = cells_[k];
        if (Single(dom[first]) || seen_[static_cast<std::size_t>(first)] == stamp_) continue;
        seen_[static_cast<std::size_t>(first)] = stamp_;
        const std::size_t group = cells_.size();
        cells_.push_back(first);
        for (std::size_t next = group; next < cells_.size(); ++next) {
            const int cell = cells_[next];
            for (int runIndex : cellRuns_[static_cast<std::size_t>(cell)]) {
                const Run& run = runs_[static_cast<std::size_t>(runIndex)];
                for (int j = 0; j < run.cellCount; ++j) {
                    const int other = run.cells[static_cast<std::size_t>(j)];
                    if (Single(dom[other]) || seen_[static_cast<std::size_t>(other)] == stamp_) continue;
                    seen_[static_cast<std::size_t>(other)] = stamp_;
                    cells_.push_back(other);
                }
            }
        }
        std::sort(cells_.begin() + static_cast<std::ptrdiff_t>(group), cells_.end());
        cells_.push_back(-1);
    }
    return start;
}

// Every open cell of a group lies in one down and one across run of the group, so the
// down runs and the across runs hold the same digits between them: the same total, and
// each digit as often. A run's digits are one of its combinations, so per direction the
// count of a digit lies between the runs that must hold it and those that may. Runs on
// their own cannot see such a conflict (rows short of a 1 where the columns are short of
// a 2), and without this check a search wanders through every placement before it
// gives up.
bool ExactCounter::DigitCountsCanAgree(const Domain* dom, std::size_t begin, std::size_t end) {
    int must[2][10] = {};
    int may[2][10] = {};
    int remaining[2] = {0, 0};
    ++runStamp_;
    for (std::size_t k = begin; k < end; ++k) {
        for (int runIndex : cellRuns_[static_cast<std::size_t>(cells_[k])]) {
            if (runSeen_[static_cast<std::size_t>(runIndex)] == runStamp_) continue;
            runSeen_[static_cast<std::size_t>(runIndex)] = runStamp_;
            const Run& run = runs_[static_cast<std::size_t>(runIndex)];
            unsigned fixed = 0;
            unsigned possible = 0;
            int fixedSum = 0;
            for (int j = 0; j < run.cellCount; ++j) {
                const Domain d = dom[run.cells[static_cast<std::size_t>(j)]];
                if (Single(d)) {
                    fixed |= d;
                    fixedSum += std::countr_zero(d);
                } else {
                    possible |= d;
                }
            }
            unsigned always = kAllDigits;
            unsigned sometimes = 0;
            for (std::uint16_t combo : CombinationMasks(run.sum, run.length)) {
                if ((combo & fixed) != fixed || (combo & ~fixed & ~possible) != 0) continue;
                always &= combo;
                sometimes |= combo;
            }
            if (sometimes == 0) return false;
            remaining[run.direction] += run.sum - fixedSum;
            for (unsigned bits = always & ~fixed; bits; bits &= bits - 1) {
                ++must[run.direction][std::countr_zero(bits)];
            }
            for (unsigned bits = sometimes & ~fixed; bits; bits &= bits - 1) {
                ++may[run.direction][std::countr_zero(bits)];
            }
        }
    }
    if (remaining[kDown] != remaining[kAcross]) return false;
    for (int digit = 1; digit <= 9; ++digit) {
        if (must[kDown][digit] > may[kAcross][digit] || must[kAcross][digit] > may[kDown][digit]) {
            return false;
        }
    }
    return true;
}

// Fewest digits first, weighed by how often the cell's runs failed (or how often its
// domain shrank, in the other heuristic); near-ties go by a seed that changes per attempt.
int ExactCounter::BranchCell(const Domain* dom, std::size_t begin, std::size_t end) const {
    int best = -1;
    double bestScore = 0;
    std::uint32_t bestNoise = 0;
    for (std::size_t k = begin; k < end; ++k) {
        const int cell = cells_[k];
        const auto c = static_cast<std::size_t>(cell);
        const double size = BitCount(dom[cell]);
        const double score = heuristic_ == Heuristic::kFailures
                                 ? size / (failures_[static_cast<std::size_t>(cellRuns_[c][kDown])] +
                                           failures_[static_cast<std::size_t>(cellRuns_[c][kAcross])])
                                 : size / (activity_[c] + 1.0);
        const std::uint32_t noise = Mix(static_cast<std::uint32_t>(cell) * 0x9E3779B9u ^ seed_);
        if (best < 0 || score < bestScore * 0.999 || (score <= bestScore * 1.001 && noise > bestNoise)) {
            best = cell;
            bestScore = score;
            bestNoise = noise;
        }
    }
    return best;
}

// The memo key of a group: its cells with their domains, then the digits already placed
// in each run it touches (they decide what the runs still need).
std::uint64_t ExactCounter::PushKey(const Domain* dom, std::size_t begin, std::size_t end) {
    std::uint64_t hash = 0xCBF29CE484222325ull;
    auto push = [&](std::uint16_t word) {
        keys_.push_back(word);
        hash = (hash ^ word) * 0x100000001B3ull;
    };
    ++runStamp_;
    for (std::size_t k = begin; k < end; ++k) {
        const int cell = cells_[k];
        push(static_cast<std::uint16_t>(cell));
        push(dom[cell]);
    }
    for (std::size_t k = begin; k < end; ++k) {
        for (int runIndex : cellRuns_[static_cast<std::size_t>(cells_[k])]) {
            if (runSeen_[static_cast<std::size_t>(runIndex)] == runStamp_) continue;
            runSeen_[static_cast<std::size_t>(runIndex)] = runStamp_;
            const Run& run = runs_[static_cast<std::size_t>(runIndex)];
            unsigned fixed = 0;
            for (int j = 0; j < run.cellCount; ++j) {
                const Domain d = dom[run.cells[static_cast<std::size_t>(j)]];
                if (Single(d)) fixed |= d;
            }
            push(static_cast<std::uint16_t>(fixed));
        }
    }
    return hash ^ (hash >> 32);
}

std::int32_t ExactCounter::Find(std::uint64_t hash, std::size_t keyBegin, std::size_t keyEnd) const {
    const std::size_t mask = table_.size() - 1;
    const std::size_t length = keyEnd - keyBegin;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::int32_t index = table_[slot];
        if (index < 0) return -1;
        const CacheEntry& entry = entries_[static_cast<std::size_t>(index)];
        if (entry.hash == hash && entry.keyLength == length &&
            std::equal(keys_.begin() + static_cast<std::ptrdiff_t>(keyBegin),
                       keys_.begin() + static_cast<std::ptrdiff_t>(keyEnd), cacheWords_.begin() + entry.keyOffset)) {
            return index;
        }
    }
}

void ExactCounter::Store(std::uint64_t hash, std::size_t keyBegin, std::size_t keyEnd, int count, bool exact,
                         std::size_t begin, std::size_t end) {
    if (const std::int32_t index = Find(hash, keyBegin, keyEnd); index >= 0) {
        CacheEntry& entry = entries_[static_cast<std::size_t>(index)];
        // Both are true statements about the same group; keep the stronger.
        if (!entry.exact && (exact || count > entry.count)) {
            entry.count = count;
            entry.exact = exact;
        }
        return;
    }
    const std::size_t words = (keyEnd - keyBegin) + (count > 0 ? end - begin : 0);
    if (cacheWords_.size() + words > kCacheWordLimit) {
        cacheWords_.clear();
        entries_.clear();
        std::fill(table_.begin(), table_.end(), -1);
    }
    if (2 * (entries_.size() + 1) > table_.size()) {
        table_.assign(2 * table_.size(), -1);
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            std::size_t slot = entries_[i].hash & (table_.size() - 1);
            while (table_[slot] >= 0) slot = (slot + 1) & (table_.size() - 1);
            table_[slot] = static_cast<std::int32_t>(i);
        }
    }
    CacheEntry entry;
    entry.hash = hash;
    entry.keyOffset = static_cast<std::uint32_t>(cacheWords_.size());
    entry.keyLength = static_cast<std::uint32_t>(keyEnd - keyBegin);
    cacheWords_.insert(cacheWords_.end(), keys_.begin() + static_cast<std::ptrdiff_t>(keyBegin),
                       keys_.begin() + static_cast<std::ptrdiff_t>(keyEnd));
    entry.witnessOffset = static_cast<std::uint32_t>(cacheWords_.size());
    if (count > 0) {
        for (std::size_t k = begin; k < end; ++k) {
            cacheWords_.push_back(solution_[static_cast<std::size_t>(cells_[k])]);
        }
    }
    entry.count = count;
    entry.exact = exact;
    std::size_t slot = hash & (table_.size() - 1);
    while (table_[slot] >= 0) slot = (slot + 1) & (table_.size() - 1);
    table_[slot] = static_cast<std::int32_t>(entries_.size());
    entries_.push_back(entry);
}

// Settles one question about the state at `depth` over cells_[begin, end): how many
// solutions (up to limit; a witness in solution_), or, for `lex`, also the first
// solution in index order (kOrderedFound, result_ filled). Complete searches take turns
// under growing budgets: two branching heuristics, restarted with new tie-breaks, and for
// `lex` the index-order search. Whichever finishes first answers; the others' work is
// lost but for the groups they settled. With `knownFeasible` only the index-order search
// runs, briefly, and 1 means "no shortcut found".
int ExactCounter::Race(int depth, std::size_t begin, std::size_t end, int limit, bool lex, bool knownFeasible) {
    const std::size_t cellsMark = cells_.size();
    const std::size_t keysMark = keys_.size();
    const std::size_t savedMark = saved_.size();
    auto abandon = [&] {
        cells_.resize(cellsMark);
        keys_.resize(keysMark);
        saved_.resize(savedMark);
        for (int run : queue_) queued_[static_cast<std::size_t>(run)] = 0;
        queue_.clear();
        learning_ = true;
        attemptLeft_ = ~std::uint64_t{0};
    };
    std::uint64_t orderedBudget = 0;
    for (std::uint64_t round = 1;; ++round) {
        const std::uint64_t budget = kBudgetUnit * Luby(round);
        if (lex && budget > orderedBudget) {
            // The index-order search does the same work every time, so it only runs again when
            // its budget has grown.
            orderedBudget = budget;
            attemptLeft_ = budget;
            learning_ = false;
            try {
                const bool found = OrderedScope(depth, begin, end);
                abandon();
                return found ? kOrderedFound : 0;
            } catch (const Cutoff&) {
                abandon();
            } catch (...) {
                abandon();
                throw;
            }
        }
        if (knownFeasible) {
            if (orderedBudget >= 4 * kBudgetUnit) return 1;
            continue;
        }
        for (Heuristic heuristic : {Heuristic::kFailures, Heuristic::kActivity}) {
            heuristic_ = heuristic;
            attemptLeft_ = budget;
            ++seed_;
            try {
                const int count = CountScope(depth, begin, end, limit);
                abandon();
                return count;
            } catch (const Cutoff&) {
                abandon();
            } catch (...) {
                abandon();
                throw;
            }
        }
    }
}

int ExactCounter::CountScope(int depth, std::size_t begin, std::size_t end, int limit) {
    const Domain* dom = Level(depth);
    for (std::size_t k = begin; k < end; ++k) {
        const auto cell = static_cast<std::size_t>(cells_[k]);
        if (Single(dom[cell])) solution_[cell] = dom[cell];
    }
    const std::size_t groups = Split(dom, begin, end);
    int total = 1;
    for (std::size_t group = groups; group < cells_.size();) {
        std::size_t groupEnd = group;
        while (cells_[groupEnd] >= 0) ++groupEnd;
        // Once the product has reached the limit, the other groups only need a solution.
        const int count = CountGroup(depth, group, groupEnd, total >= limit ? 1 : limit);
        if (count == 0) {
            total = 0;
            break;
        }
        total = std::min(limit, total * count);
        group = groupEnd + 1;
    }
    cells_.resize(groups);
    return total;
}

// Counts one group by branching on a cell; every value is tried on a copy of the
// domains, so the group's own level, and with it every other group, stays as it was.
int ExactCounter::CountGroup(int depth, std::size_t begin, std::size_t end, int limit) {
    EnterNode();
    const Domain* dom = Level(depth);
    const std::size_t keyBegin = keys_.size();
    const std::uint64_t hash = PushKey(dom, begin, end);
    if (const std::int32_t index = Find(hash, keyBegin, keys_.size()); index >= 0) {
        const CacheEntry* known = &entries_[static_cast<std::size_t>(index)];
        if (known->exact || known->count >= limit) {
            const int count = std::min(known->count, limit);
            if (count > 0) {
                for (std::size_t k = begin; k < end; ++k) {
                    solution_[static_cast<std::size_t>(cells_[k])] = cacheWords_[known->witnessOffset + (k - begin)];
                }
            }
            keys_.resize(keyBegin);
            return count;
        }
    }

    int found = 0;
    const std::size_t savedBegin = saved_.size();
    if (DigitCountsCanAgree(dom, begin, end)) {
        const int branch = BranchCell(dom, begin, end);
        Domain* work = Level(depth + 1);
        Domain* child = Level(depth + 2);
        std::memcpy(work, dom, sizeof(Domain) * static_cast<std::size_t>(n_));
        while (work[branch] != 0) {
            const auto value = static_cast<Domain>(work[branch] & (0u - work[branch]));
            std::memcpy(child, work, sizeof(Domain) * static_cast<std::size_t>(n_));
            child[branch] = value;
            EnqueueRunsOf(branch);
            if (Propagate(child)) {
                const int count = CountScope(depth + 2, begin, end, limit - found);
                if (count > 0 && found == 0) {
                    for (std::size_t k = begin; k < end; ++k) {
                        saved_.push_back(solution_[static_cast<std::size_t>(cells_[k])]);
                    }
                }
                found += count;
                if (found >= limit) break;
            }
            // Every solution with this digit is counted; the siblings may lose it.
            work[branch] = static_cast<Domain>(work[branch] & ~value);
            if (work[branch] == 0) break;
            EnqueueRunsOf(branch);
            if (!Propagate(work)) break;
        }
    }
    if (found > 0) {
        for (std::size_t k = begin; k < end; ++k) {
            solution_[static_cast<std::size_t>(cells_[k])] = saved_[savedBegin + (k - begin)];
        }
    }
    saved_.resize(savedBegin);
    Store(hash, keyBegin, keys_.size(), found, found < limit, begin, end);
    keys_.resize(keyBegin);
    return found;
}

// The plain enumeration's own order (first open cell, digits upwards), with the same
// propagation and groups; true with the first solution in result_.
bool ExactCounter::OrderedScope(int depth, std::size_t begin, std::size_t end) {
    const Domain* dom = Level(depth);
    for (std::size_t k = begin; k < end; ++k) {
        const auto cell = static_cast<std::size_t>(cells_[k]);
        if (Single(dom[cell])) result_[cell] = dom[cell];
    }
    const std::size_t groups = Split(dom, begin, end);
    bool found = true;
    for (std::size_t group = groups; group < cells_.size();) {
        std::size_t groupEnd = group;
        while (cells_[groupEnd] >= 0) ++groupEnd;
        if (!OrderedGroup(depth, group, groupEnd)) {
            found = false;
            break;
        }
        group = groupEnd + 1;
    }
    cells_.resize(groups);
    return found;
}

bool ExactCounter::OrderedGroup(int depth, std::size_t begin, std::size_t end) {
    EnterNode();
    const Domain* dom = Level(depth);
    const std::size_t keyBegin = keys_.size();
    const std::uint64_t hash = PushKey(dom, begin, end);
    const std::int32_t known = Find(hash, keyBegin, keys_.size());
    if (known >= 0 && entries_[static_cast<std::size_t>(known)].count == 0) {
        keys_.resize(keyBegin);
        return false;
    }
    const int first = cells_[begin];
    Domain* work = Level(depth + 1);
    Domain* child = Level(depth + 2);
    std::memcpy(work, dom, sizeof(Domain) * static_cast<std::size_t>(n_));
    if (!DigitCountsCanAgree(dom, begin, end)) work[first] = 0;
    while (work[first] != 0) {
        const auto value = static_cast<Domain>(work[first] & (0u - work[first]));
        std::memcpy(child, work, sizeof(Domain) * static_cast<std::size_t>(n_));
        child[first] = value;
        EnqueueRunsOf(first);
        if (Propagate(child) && OrderedScope(depth + 2, begin, end)) {
            keys_.resize(keyBegin);
            return true;
        }
        work[first] = static_cast<Domain>(work[first] & ~value);
        if (work[first] == 0) break;
        EnqueueRunsOf(first);
        if (!Propagate(work)) break;
    }
    Store(hash, keyBegin, keys_.size(), 0, true, begin, end);
    keys_.resize(keyBegin);
    return false;
}

// Settles the first solution group by group. Groups are independent, so the first
// solution of the whole is made of each group's first.
void ExactCounter::FirstScope(int depth, std::size_t begin, std::size_t end) {
    const Domain* dom = Level(depth);
    for (std::size_t k = begin; k < end; ++k) {
        const auto cell = static_cast<std::size_t>(cells_[k]);
        if (Single(dom[cell])) result_[cell] = dom[cell];
    }
    const std::size_t groups = Split(dom, begin, end);
    for (std::size_t group = groups; group < cells_.size();) {
        std::size_t groupEnd = group;
        while (cells_[groupEnd] >= 0) ++groupEnd;
        FirstGroup(depth, group, groupEnd);
        group = groupEnd + 1;
    }
    cells_.resize(groups);
}

// witness_ holds a solution of this group's state. Its first cell takes the smallest
// digit that leaves a solution: one question settles all digits below the witness's at
// once; a solution found there becomes the new witness and the question is asked again
// below it.
void ExactCounter::FirstGroup(int depth, std::size_t begin, std::size_t end) {
    const int first = cells_[begin];
    Domain* work = Level(depth + 1);
    Domain* child = Level(depth + 2);
    std::memcpy(work, Level(depth), sizeof(Domain) * static_cast<std::size_t>(n_));
    for (;;) {
        const Domain known = witness_[static_cast<std::size_t>(first)];
        const auto below = static_cast<Domain>(work[first] & (known - 1));
        if (below == 0) break;
        std::memcpy(child, work, sizeof(Domain) * static_cast<std::size_t>(n_));
        child[first] = below;
        EnqueueRunsOf(first);
        if (Propagate(child)) {
            const int answer = Race(depth + 2, begin, end, 1, true, false);
            if (answer == kOrderedFound) return;
            if (answer > 0) {
                for (std::size_t k = begin; k < end; ++k) {
                    const auto cell = static_cast<std::size_t>(cells_[k]);
                    witness_[cell] = solution_[cell];
                }
                continue;
            }
        }
        work[first] = static_cast<Domain>(work[first] & ~below);
        EnqueueRunsOf(first);
        if (!Propagate(work)) throw Inconsistent{};
    }
    std::memcpy(child, work, sizeof(Domain) * static_cast<std::size_t>(n_));
    child[first] = witness_[static_cast<std::size_t>(first)];
    EnqueueRunsOf(first);
    if (!Propagate(child)) throw Inconsistent{};
    if (Race(depth + 2, begin, end, 1, true, true) == kOrderedFound) return;
    FirstScope(depth + 2, begin, end);
}

int ExactCounter::Count(int limit) {
    if (broken_ || !rootConsistent_ || limit <= 0) return 0;
    cells_.clear();
    for (int cell = 0; cell < n_; ++cell) cells_.push_back(cell);
    try {
        const int count = Race(0, 0, cells_.size(), limit, false, false);
        cells_.clear();
        return count;
    } catch (const OutOfEffort&) {
        cells_.clear();
        return -1;
    }
}

bool ExactCounter::FirstInIndexOrder(std::vector<int>& digits) {
    witness_ = solution_;
    std::fill(result_.begin(), result_.end(), Domain{0});
    cells_.clear();
    for (int cell = 0; cell < n_; ++cell) cells_.push_back(cell);
    try {
        FirstScope(0, 0, cells_.size());
    } catch (const OutOfEffort&) {
        cells_.clear();
        return false;
    } catch (const Inconsistent&) {
        cells_.clear();
        return false;
    }
    cells_.clear();
    digits.resize(static_cast<std::size_t>(n_));
    for (int cell = 0; cell < n_; ++cell) {
        digits[static_cast<std::size_t>(cell)] =
            std::countr_zero(static_cast<unsigned>(result_[static_cast<std::size_t>(cell)]));
    }
    return true;
}

void ExactCounter::Witness(std::vector<int>& digits) const {
    digits.resize(static_cast<std::size_t>(n_));
    for (int cell = 0; cell < n_; ++cell) {
        digits[static_cast<std::size_t>(cell)] =
            std::countr_zero(static_cast<unsigned>(solution_[static_cast<std::size_t>(cell)]));
    }
}

}  // namespace engine
