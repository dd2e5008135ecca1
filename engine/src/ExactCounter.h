// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tallyfold/engine/Board.h"

namespace engine {

// Counts the solutions of a board up to a limit and finds its first solution in index
// order, the way a plain cell-by-cell enumeration would see them, but without its cost.
//
// Exactness rests on three rules: every pruning step removes only digits that occur in no
// solution of the state it works on; a search that is stopped early (a restart, a race
// lost) tells nothing and is thrown away, except for the states it settled completely;
// and independent groups of cells are counted on their own copies of the domains.
//
// Speed comes from run propagation (a digit stays only while some combination of the
// run's clue, placed as a whole, puts it there), splitting into independent groups with
// a memo of settled groups, and several complete searches raced under growing budgets:
// open descriptions make every single search order heavy-tailed, each in other places.
class ExactCounter {
public:
    using Domain = std::uint16_t;

    // `effort` bounds the work (run revisions and search nodes) of the whole object.
    ExactCounter(const TBoard& board, std::uint64_t effort);

    // Solutions up to `limit`, or -1 when the effort ran out.
    int Count(int limit);

    // After Count found at least one solution: the first one in index order, with digits
    // tried from 1 upwards. False when the effort ran out.
    bool FirstInIndexOrder(std::vector<int>& digits);

    // A solution seen by the last successful Count.
    void Witness(std::vector<int>& digits) const;

    // Lowers what is left of the effort to at most `most`.
    void CapEffort(std::uint64_t most) { effortLeft_ = effortLeft_ < most ? effortLeft_ : most; }

    int CellCount() const { return n_; }
    unsigned BoardIndex(int cell) const { return boardIndex_[static_cast<std::size_t>(cell)]; }

private:
    struct Run {
        int sum = 0;
        int length = 0;
        int cellCount = 0;
        int direction = kDown;
        std::array<int, kMaxRunLength> cells{};
    };
    struct CacheEntry {
        std::uint64_t hash = 0;
        std::uint32_t keyOffset = 0;
        std::uint32_t keyLength = 0;
        std::uint32_t witnessOffset = 0;
        int count = 0;
        bool exact = false;
    };
    enum class Heuristic { kFailures, kActivity };

    // Thrown at a search node when the current attempt's budget is spent.
    struct Cutoff {};
    // Thrown at a search node when the object's whole effort is spent.
    struct OutOfEffort {};
    // Thrown when a state that holds a known solution fails propagation: a bug, never an
    // answer.
    struct Inconsistent {};

    Domain* Level(int depth);
    void Enqueue(int run);
    void EnqueueRunsOf(int cell);
    bool Propagate(Domain* dom);
    bool Revise(int run, Domain* dom);
    void EnterNode();

    std::size_t Split(const Domain* dom, std::size_t begin, std::size_t end);
    bool DigitCountsCanAgree(const Domain* dom, std::size_t begin, std::size_t end);
    int BranchCell(const Domain* dom, std::size_t begin, std::size_t end) const;

    std::uint64_t PushKey(const Domain* dom, std::size_t begin, std::size_t end);
    std::int32_t Find(std::uint64_t hash, std::size_t keyBegin, std::size_t keyEnd) const;
    void Store(std::uint64_t hash, std::size_t keyBegin, std::size_t keyEnd, int count, bool exact, std::size_t begin,
               std::size_t end);

    int Race(int depth, std::size_t begin, std::size_t end, int limit, bool lex, bool knownFeasible);
    int CountScope(int depth, std::size_t begin, std::size_t end, int limit);
    int CountGroup(int depth, std::size_t begin, std::size_t end, int limit);
    bool OrderedScope(int depth, std::size_t begin, std::size_t end);
    bool OrderedGroup(int depth, std::size_t begin, std::size_t end);
    void FirstScope(int depth, std::size_t begin, std::size_t end);
    void FirstGroup(int depth, std::size_t begin, std::size_t end);

    // Board structure: white cells numbered in index order.
    int n_ = 0;
    bool broken_ = false;
    bool rootConsistent_ = false;
    std::vector<unsigned> boardIndex_;
    std::vector<std::array<int, 2>> cellRuns_;
    std::vector<Run> runs_;

    // Domains per search depth; each level its own buffer, made on first use.
    std::vector<std::vector<Domain>> levels_;
    std::vector<int> queue_;
    std::vector<std::uint8_t> queued_;

    // Cell groups and memo keys live on stacks, not in per-call vectors.
    std::vector<int> cells_;
    std::vector<std::uint16_t> keys_;
    std::vector<Domain> saved_;
    std::vector<unsigned> seen_;
    unsigned stamp_ = 0;
    std::vector<unsigned> runSeen_;
    unsigned runStamp_ = 0;

    // Settled groups: key words and witnesses in one arena, entries, open-addressing table.
    std::vector<std::uint16_t> cacheWords_;
    std::vector<CacheEntry> entries_;
    std::vector<std::int32_t> table_;

    std::vector<Domain> solution_;  // per cell: the solution met by the last count
    std::vector<Domain> witness_;   // per cell: a solution that agrees with the settled prefix
    std::vector<Domain> result_;    // per cell: the first solution in index order

    // Branching: runs that failed often, cells whose domains shrank often (recently).
    Heuristic heuristic_ = Heuristic::kFailures;
    bool learning_ = true;
    std::vector<double> failures_;
    std::vector<double> activity_;
    double bump_ = 1.0;
    std::uint32_t seed_ = 0;

    std::uint64_t effortLeft_;
    std::uint64_t attemptLeft_ = ~std::uint64_t{0};
};

}  // namespace engine
