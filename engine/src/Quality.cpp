// SPDX-License-Identifier: GPL-3.0-or-later
#include "tallyfold/engine/Quality.h"

#include <algorithm>
#include <cmath>

namespace engine {
namespace {

// Each tier owns a band of this width, so the band says the tier and the place in the
// band how long the solve is within it.
constexpr double kTierBand = 100;

double Share(int part, int whole) { return whole > 0 ? static_cast<double>(part) / whole : 0; }

}  // namespace

PuzzleMetrics MeasureRuns(const TBoard& board) {
    PuzzleMetrics metrics;
    double total = 0, squares = 0;
    for (const Constraint& run : board.constraints) {
        if (run.length == 0) continue;
        ++metrics.runs;
        if (run.length == 2) ++metrics.twoCellRuns;
        if (run.length >= kLongRun) ++metrics.longRuns;
        if (CombinationMasks(static_cast<int>(run.sum), static_cast<int>(run.length)).size() == 1) {
            ++metrics.singleCombinationClues;
        }
        total += run.length;
        squares += static_cast<double>(run.length) * run.length;
    }
    if (metrics.runs > 0) {
        const double mean = total / metrics.runs;
        metrics.lengthSpread = std::sqrt(std::max(0.0, squares / metrics.runs - mean * mean));
    }
    return metrics;
}

PuzzleMetrics MeasurePuzzle(const TBoard& board) {
    PuzzleMetrics metrics = MeasureRuns(board);
    const PuzzleGrade grade = GradePuzzle(board);
    metrics.tier = grade.contradiction ? kTierGuessing : grade.tier;
    metrics.deductions = grade.deductions;
    metrics.unfilled = grade.unfilled;
    return metrics;
}

double DifficultyScore(const PuzzleMetrics& m) {
    // A person feels a trial far more than an exact filling, and an exact filling far more
    // than a combination looked up; the counts of the lower tiers only order puzzles that
    // need nothing above them. The weighed count x is brought into the band by x / (x + k),
    // which keeps the order of any two counts, so that no long easy solve passes a short
    // harder one and the band never fills up. Each k is about a typical count of its tier.
    double weighed = 0, typical = 1;
    switch (m.tier) {
        case kTierCombinations:
            weighed = m.deductions[1];
            typical = 80;
            break;
        case kTierExactRuns:
            weighed = 2.0 * m.deductions[2] + m.deductions[1] / 20.0;
            typical = 30;
            break;
        case kTierTrials:
            weighed = 10.0 * m.deductions[3] + m.deductions[2];
            typical = 60;
            break;
        default:
            weighed = m.unfilled;
            typical = 30;
            break;
    }
    const double within = kTierBand * weighed / (weighed + typical);
    const double score = kTierBand * (std::clamp(m.tier, 1, 4) - 1) + within;
    // One decimal; rounding must not carry a score into the next band.
    return std::min(std::round(score * 10) / 10, kTierBand * std::clamp(m.tier, 1, 4) - 0.1);
}

int DifficultyStars(double score, unsigned rows, unsigned columns, int level) {
    // Upper bounds of the first four fifths of the scores of 40 generated puzzles of each
    // size and level (tallyfold-engine generate N N LEVEL --count 40 --seed 5000); a board
    // of another size takes the nearest size's row.
    struct Row {
        unsigned size;
        double cut[3][4];
    };
    static constexpr Row kRows[] = {
        {6, {{24.5, 25.0, 25.9, 26.6}, {133.6, 139.1, 143.6, 147.5}, {136.8, 225.0, 225.9, 231.0}}},
        {7, {{31.6, 33.3, 34.4, 36.0}, {137.2, 146.0, 149.7, 158.2}, {225.9, 229.4, 233.3, 244.4}}},
        {9, {{45.2, 45.6, 46.3, 47.4}, {156.5, 158.8, 161.0, 162.8}, {251.2, 253.8, 257.7, 265.7}}},
        {12, {{60.4, 61.4, 62.4, 63.1}, {162.4, 165.1, 170.4, 173.1}, {257.4, 260.5, 264.3, 272.7}}},
        {14, {{68.1, 68.9, 69.2, 69.8}, {165.1, 168.9, 174.1, 177.6}, {258.3, 262.3, 267.0, 273.7}}},
    };

    const unsigned size = std::max(rows, columns);
    const Row* row = &kRows[0];
    for (const Row& candidate : kRows) {
        if (std::abs(static_cast<int>(candidate.size) - static_cast<int>(size)) <
            std::abs(static_cast<int>(row->size) - static_cast<int>(size))) {
            row = &candidate;
        }
    }
    const int at = std::clamp(level, 1, 3) - 1;
    int stars = 1;
    for (double cut : row->cut[at]) {
        if (score > cut) ++stars;
    }
    return stars;
}

double QualityScore(const PuzzleMetrics& m, unsigned rows, unsigned columns, int level) {
    // Weights, each term roughly within one point over the puzzles a size yields:
    // - two-cell runs are the filler's stock in trade and a solver's least interesting
    //   clue: minus 4 per share of all runs;
    // - a mix of run lengths reads as made by hand: plus half the standard deviation;
    // - on boards of 12 x 12 and more, long runs (seven cells and more) are what a big
    //   board is for: plus 0.6 each, up to four;
    // - a clue only one set of digits makes is a give-away: minus 5 per share of clues;
    // - the level's own reasoning should come as a chain, not once: medium adds 0.15 per
    //   exact-filling deduction, hard one point per trial, both counts capped so that the
    //   shape terms still matter.
    double quality =
        -4.0 * Share(m.twoCellRuns, m.runs) + 0.5 * m.lengthSpread - 5.0 * Share(m.singleCombinationClues, m.runs);
    if (static_cast<unsigned long>(rows) * columns >= 144) quality += 0.6 * std::min(m.longRuns, 4);
    if (level == 2) quality += 0.15 * std::min(m.deductions[2], 20);
    if (level == 3) quality += 1.0 * std::min(m.deductions[3], 8) + 0.05 * std::min(m.deductions[2], 20);
    return quality;
}

std::string LayoutKey(const TBoard& board) {
    std::string key(board.cellCount, '.');
    for (unsigned i = 0; i < board.cellCount; ++i) {
        if (board.cells[i] < 0) key[i] = '#';
    }
    return key;
}

}  // namespace engine
