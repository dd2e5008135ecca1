// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <bit>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "Support.h"
#include "tallyfold/engine/Engine.h"
#include "tallyfold/engine/Explainer.h"

using namespace engine;

namespace {

// The rules each tier may use, read the plain way: a run's candidates checked against
// every set of digits, a run's fillings enumerated cell by cell.
using Masks = std::vector<unsigned>;
using Run = std::vector<unsigned>;  // cells in order; sum kept apart

struct Runs {
    std::vector<Run> cells;
    std::vector<int> sums;
};

Runs RunsOf(const TBoard& board) {
    Runs runs;
    runs.cells.resize(board.constraints.size());
    for (const Constraint& c : board.constraints) runs.sums.push_back(static_cast<int>(c.sum));
    for (unsigned i = 0; i < board.cellCount; ++i) {
        for (int direction : {kDown, kAcross}) {
            if (board.links[i][direction] != kNoLink)
                runs.cells[static_cast<std::size_t>(board.links[i][direction])].push_back(i);
        }
    }
    return runs;
}

bool One(unsigned m) { return std::popcount(m) == 1; }

// Tier 1: placed digits leave the other cells; a cell keeps the digits of the sets of
// the clue's sum and the run's length that hold every placed digit and meet every cell.
void CombinationsRule(const Run& run, int sum, Masks& m) {
    const Masks before = m;
    unsigned placed = 0;
    for (unsigned a : run) {
        for (unsigned b : run) {
            if (a != b && One(before[a])) m[b] &= ~before[a];
        }
    }
    for (unsigned cell : run) placed |= One(m[cell]) ? m[cell] : 0;
    unsigned fitting = 0;
    for (unsigned set = 2; set < 1024; set += 2) {
        int total = 0;
        for (int d = 1; d <= 9; ++d) total += (set >> d & 1) ? d : 0;
        bool fits = std::popcount(set) == static_cast<int>(run.size()) && total == sum && (set & placed) == placed;
        for (unsigned cell : run) fits = fits && (m[cell] & set);
        if (fits) fitting |= set;
    }
    for (unsigned cell : run) m[cell] &= fitting;
}

void Fill(const Run& run, int sum, const Masks& m, std::size_t k, unsigned used, int total, std::vector<int>& digits,
          Masks& support) {
    if (k == run.size()) {
        if (total == sum) {
            for (std::size_t j = 0; j < k; ++j) support[run[j]] |= 1u << digits[j];
        }
        return;
    }
    for (int d = 1; d <= 9; ++d) {
        if (!(m[run[k]] >> d & 1) || (used >> d & 1)) continue;
        digits[k] = d;
        Fill(run, sum, m, k + 1, used | 1u << d, total + d, digits, support);
    }
}

// Tier 2: a cell keeps the digits some complete filling of the run puts there.
void ExactRule(const Run& run, int sum, Masks& m) {
    Masks support(m.size(), 0);
    std::vector<int> digits(run.size());
    Fill(run, sum, m, 0, 0, 0, digits, support);
    for (unsigned cell : run) m[cell] &= support[cell];
}

// Tier 2 to its end; false when a cell is left without digits.
bool ExactToTheEnd(const Runs& runs, Masks& m) {
    for (Masks before; before != m;) {
        before = m;
        for (std::size_t r = 0; r < runs.cells.size(); ++r) ExactRule(runs.cells[r], runs.sums[r], m);
    }
    for (std::size_t r = 0; r < runs.cells.size(); ++r) {
        for (unsigned cell : runs.cells[r]) {
            if (m[cell] == 0) return false;
        }
    }
    return true;
}

// Whether the tier can take `removed` out of `cell` from the candidates m.
bool Justified(int tier, const Runs& runs, const Masks& m, unsigned cell, unsigned removed) {
    if (tier == 3) {
        for (int d = 1; d <= 9; ++d) {
            if (!(removed >> d & 1)) continue;
            Masks trial = m;
            trial[cell] = 1u << d;
            if (ExactToTheEnd(runs, trial)) return false;
        }
        return true;
    }
    for (std::size_t r = 0; r < runs.cells.size(); ++r) {
        const Run& run = runs.cells[r];
        if (std::find(run.begin(), run.end(), cell) == run.end()) continue;
        Masks after = m;
        tier == 1 ? CombinationsRule(run, runs.sums[r], after) : ExactRule(run, runs.sums[r], after);
        if ((after[cell] & removed) == 0) return true;
    }
    return false;
}

std::string RunExplain(const std::string& path, int& status) {
    const std::string command = std::string(TALLYFOLD_ENGINE_TOOL) + " explain " + path + " 2>/dev/null";
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    const int result = pclose(pipe);
    status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    return out;
}

}  // namespace

// The tool's path through generated puzzles of every size and level, replayed on
// candidates of our own: each line is a deduction its tier's rule makes, no placement
// disagrees with the solution, no removal takes the solution's digit, and the
// placements alone fill the board.
TEST(ExplainTool, PathsOfGeneratedPuzzlesAreSoundAndComplete) {
    enginetest::CapturedDiagnostics quiet;
    // Other test runs on this machine use the same temporary folder.
    const std::string path = testing::TempDir() + "tallyfold_explain_" + std::to_string(getpid()) + ".txt";
    int puzzles = 0, lines = 0;
    std::array<int, 4> byTier{};
    for (unsigned size : {6u, 7u, 9u, 12u, 14u}) {
        const std::uint32_t seeds = size <= 9 ? 6 : 1;
        for (int level = 1; level <= 3; ++level) {
            for (std::uint32_t seed = 1; seed <= seeds; ++seed) {
                SCOPED_TRACE("size " + std::to_string(size) + " level " + std::to_string(level) + " seed " +
                             std::to_string(seed));
                std::vector<std::uint8_t> cells(size * size);
                int tier = 0;
                ASSERT_TRUE(GenerateLevelPuzzle(size, size, level, 0, cells, seed * 7 + level, &tier));
                std::vector<int> solution(cells.begin(), cells.end());
                for (int& v : solution) v = v == 0xFF ? -1 : v;
                const enginetest::Description d = enginetest::DescribeGrid(size, size, solution);
                {
                    std::ofstream file(path);
                    file << d.dimensions << '\n' << d.unfillable << '\n' << d.count << '\n' << d.records << '\n';
                }
                TBoard board;
                ASSERT_TRUE(enginetest::Parse(d, board));
                const Runs runs = RunsOf(board);
                for (const char* mode : {"", "--grouped "}) {
                    SCOPED_TRACE(mode);
                    Masks m(board.cellCount, 0);
                    for (unsigned i = 0; i < board.cellCount; ++i) m[i] = solution[i] > 0 ? kAllDigits : 0;
                    std::vector<bool> placed(board.cellCount, false);

                    int status = -1;
                    std::istringstream out(RunExplain(mode + path, status));
                    EXPECT_EQ(status, 0);
                    std::string line, last;
                    while (std::getline(out, line)) {
                        if (line.empty() && *mode) continue;  // the end of a hint
                        last = line;
                        if (line == "solved" || line == "stuck") break;
                        std::istringstream words(line);
                        std::string kind, digits, tierWord, colon;
                        unsigned row = 0, column = 0;
                        int claimed = 0;
                        ASSERT_TRUE(words >> kind >> row >> column >> digits >> tierWord >> claimed) << line;
                        ASSERT_EQ(tierWord, "tier") << line;
                        ASSERT_TRUE(claimed >= 1 && claimed <= 3) << line;
                        const std::size_t nameAt = line.find(": "), sentenceAt = line.find(": ", nameAt + 2);
                        ASSERT_NE(sentenceAt, std::string::npos) << line;
                        const std::string name = line.substr(nameAt + 2, sentenceAt - nameAt - 2);
                        const std::map<std::string, int> names = {
                            {"single cell left", 1}, {"unique combination", 1}, {"combination elimination", 1},
                            {"cross-reference", 1},  {"placed digit", 1},       {"subset", 2},
                            {"exact run", 2},        {"area sum", 3},           {"trial", 3}};
                        ASSERT_EQ(names.count(name), 1u) << line;
                        ASSERT_EQ(names.at(name), claimed) << line;
                        ASSERT_GT(line.size(), sentenceAt + 10) << "a sentence follows: " << line;
                        ASSERT_TRUE(row < size && column < size) << line;
                        const unsigned cell = row * size + column;
                        ASSERT_GT(solution[cell], 0) << line;
                        unsigned mask = 0;
                        for (char c : digits) mask |= 1u << (c - '0');
                        const unsigned removed = kind == "place" ? m[cell] & ~mask : mask;
                        if (kind == "place") {
                            ASSERT_EQ(digits.size(), 1u) << line;
                            EXPECT_EQ(digits[0] - '0', solution[cell]) << line;
                            placed[cell] = true;
                        } else {
                            ASSERT_EQ(kind, "remove") << line;
                            EXPECT_FALSE(mask >> solution[cell] & 1) << line;
                        }
                        ASSERT_NE(removed, 0u) << "a line that changes nothing: " << line;
                        // An area sum takes several runs at once; the other test adds it up.
                        if (name != "area sum") {
                            EXPECT_TRUE(Justified(claimed, runs, m, cell, removed))
                                << "tier " << claimed << " cannot make " << line;
                        }
                        m[cell] &= ~removed;
                        ++byTier[static_cast<std::size_t>(claimed)];
                        ++lines;
                    }
                    EXPECT_EQ(last, "solved");
                    for (unsigned i = 0; i < board.cellCount; ++i) {
                        if (solution[i] > 0) {
                            EXPECT_TRUE(placed[i]) << "cell " << i << " never placed";
                        }
                    }
                }
                ++puzzles;
            }
        }
    }
    EXPECT_EQ(puzzles, 3 * (3 * 6 + 2));
    EXPECT_GT(byTier[2], 0);
    EXPECT_GT(byTier[3], 0);
    std::remove(path.c_str());

    int status = -1;
    {
        std::ofstream file(path);
        file << "1 3\n\n0\n";
    }
    EXPECT_EQ(RunExplain(path, status), "");
    EXPECT_EQ(status, 2);
    // Two solutions: nothing can be placed, and the path says so.
    {
        std::ofstream file(path);
        file << "3 3\n0 1 2 3 6\n4\n1 3 2 0 0\n2 3 2 0 0\n3 0 0 3 2\n6 0 0 3 2\n";
    }
    const std::string twoWays = RunExplain(path, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(twoWays.substr(twoWays.rfind('\n', twoWays.size() - 2) + 1), "stuck\n");
    std::remove(path.c_str());
}

// A wrong digit is named before anything is reasoned from it, with the shortest reason.
TEST(Explainer, WrongDigitsAreNamedWithTheirReason) {
    // A 2 x 2 puzzle in a frame of black cells: 7 9 over 9 8, clues 16 and 17 both ways.
    const std::vector<int> grid = {-1, -1, -1, -1, -1, 7, 9, -1, -1, 9, 8, -1, -1, -1, -1, -1};
    TBoard board;
    BoardFromDigits(grid, 4, 4, board);
    const std::vector<int>& solution = grid;

    auto wrong = [&](std::vector<std::pair<unsigned, int>> entries) {
        TBoard player = board;
        for (auto [cell, digit] : entries) player.cells[cell] = digit;
        Explanation e;
        if (!FindWrongDigit(player, solution, e)) return std::string("none");
        return std::to_string(e.cell) + ": " + ExplainSentence(e, player);
    };
    EXPECT_EQ(wrong({{5, 7}, {6, 9}}), "none");
    EXPECT_EQ(wrong({{5, 9}, {6, 9}}), "5: This 9 cannot be right: its across run already has another 9.");
    EXPECT_EQ(wrong({{5, 1}}),
              "5: This 1 cannot be right: none of the ways to make the 16 across in two cells at row 2 uses 1.");
    EXPECT_EQ(wrong({{5, 7}, {6, 7}, {10, 8}}), "6: This 7 cannot be right: its across run already has another 7.");
    EXPECT_EQ(wrong({{6, 7}}),
              "6: This 7 cannot be right: none of the ways to make the 17 down in two cells at column 3 uses 7.");
    EXPECT_EQ(wrong({{5, 9}}),
              "5: This 9 cannot be right: the 16 across in two cells at row 2 has no 7 to pair with it.");
    EXPECT_EQ(wrong({{9, 8}, {10, 9}}),
              "9: This 8 cannot be right: none of the ways to make the 16 down in two cells at column 2 uses 8.");

    // Texts of the caller's own replace the built-in ones, part by part.
    Explanation e;
    TBoard player = board;
    player.cells[5] = 1;
    ASSERT_TRUE(FindWrongDigit(player, solution, e));
    const ExplainTexts texts = [](const std::string& key) -> std::string {
        if (key == "Explain Wrong No Combination") return "{digit} - {run}";
        if (key == "Explain Counts") return "eins,zwei";
        return "";
    };
    EXPECT_EQ(ExplainSentence(e, player, texts), "1 - 16 across in zwei cells at row 2");
    EXPECT_EQ(e.cells, (std::vector<unsigned>{5, 6}));
}

namespace {

struct Generated {
    TBoard board;
    std::vector<int> solution;
};

Generated Generate(unsigned size, int level, std::uint32_t seed) {
    Generated g;
    std::vector<std::uint8_t> cells(size * size);
    if (!GenerateLevelPuzzle(size, size, level, 0, cells, seed)) return g;
    g.solution.assign(cells.begin(), cells.end());
    for (int& v : g.solution) v = v == 0xFF ? -1 : v;
    BoardFromDigits(g.solution, size, size, g.board);
    for (int& v : g.board.cells) v = v > 0 ? kEmpty : v;
    return g;
}

std::string SumText(unsigned set) {
    std::string text;
    for (int d = 1; d <= 9; ++d) {
        if (set >> d & 1) text += (text.empty() ? "" : " + ") + std::to_string(d);
    }
    return text;
}

// Whether the sentence lists the combination as a whole, not as the start of a longer one.
bool Lists(const std::string& sentence, unsigned set) {
    const std::string text = SumText(set);
    for (std::size_t at = sentence.find(text); at != std::string::npos; at = sentence.find(text, at + 1)) {
        const char after = at + text.size() < sentence.size() ? sentence[at + text.size()] : '.';
        const char before = at > 0 ? sentence[at - 1] : ' ';
        if (before == ' ' &&
            (after == ',' || after == '.' || after == ':' || sentence.compare(at + text.size(), 3, " or") == 0)) {
            return true;
        }
    }
    return false;
}

std::string CellText(const TBoard& board, unsigned cell) {
    return "the cell at row " + std::to_string(cell / board.columns + 1) + ", column " +
           std::to_string(cell % board.columns + 1);
}

std::string RunText(const TBoard& board, int constraint) {
    const Constraint& c = board.constraints[static_cast<std::size_t>(constraint)];
    return std::to_string(c.sum) + (c.direction == kAcross ? " across" : " down");
}

}  // namespace

// Every step of the paths of generated puzzles, read against candidates of our own: the
// sentence lists exactly the combinations that still fit (found here by trying every set
// of digits), each one it leaves out comes with a reason that holds, each run is named
// with its place, a trial never names its own cell, subsets and area sums add up, and
// the path places the solution's digits only, to the end.
TEST(Explainer, SentencesGiveEveryReasonAndPathsStayCorrect) {
    std::array<int, kTechniqueCount> used{};
    int steps = 0, combinationSentences = 0, leftOut = 0, pairs = 0;
    for (unsigned size : {6u, 7u, 9u, 12u, 14u}) {
        for (int level = 1; level <= 3; ++level) {
            for (std::uint32_t seed = 1; seed <= (size <= 9 ? 3u : 1u); ++seed) {
                SCOPED_TRACE("size " + std::to_string(size) + " level " + std::to_string(level) + " seed " +
                             std::to_string(seed));
                const Generated g = Generate(size, level, 5000 + seed * 31 + static_cast<std::uint32_t>(level));
                ASSERT_FALSE(g.solution.empty());
                const TBoard& board = g.board;
                const Runs runs = RunsOf(board);
                Masks m(board.cellCount, 0);
                for (unsigned i = 0; i < board.cellCount; ++i) m[i] = g.solution[i] > 0 ? kAllDigits : 0;
                Explainer explainer(board);
                Explanation e;
                while (explainer.Next(kTierTrials, e)) {
                    ++steps;
                    const std::string sentence = ExplainSentence(e, board);
                    SCOPED_TRACE(sentence);
                    ++used[static_cast<std::size_t>(e.technique)];
                    ASSERT_EQ(TechniqueTier(e.technique), e.tier);
                    ASSERT_NE(e.removed, 0u);
                    ASSERT_EQ(m[e.cell] & e.removed, e.removed) << "removes what was already gone";
                    ASSERT_FALSE(e.removed >> g.solution[e.cell] & 1) << "removes the solution's digit";
                    if (e.kind == ExplainKind::Place) {
                        ASSERT_EQ(e.digit, g.solution[e.cell]);
                    }
                    ASSERT_EQ(sentence.find("this run"), std::string::npos);
                    ASSERT_EQ(sentence.find("This run"), std::string::npos);
                    if (e.run.constraint >= 0) {
                        ASSERT_NE(sentence.find(RunText(board, e.run.constraint) + " in "), std::string::npos);
                        ASSERT_TRUE(sentence.find(" at row ") != std::string::npos ||
                                    sentence.find(" at column ") != std::string::npos);
                    }
                    const ::Run* run =
                        e.run.constraint >= 0 ? &runs.cells[static_cast<std::size_t>(e.run.constraint)] : nullptr;
                    switch (e.technique) {
                        case Technique::Trial: {
                            ASSERT_EQ(sentence.find(CellText(board, e.cell)), std::string::npos)
                                << "a trial names its own cell";
                            ASSERT_GE(e.failedRun.constraint, 0);
                            ASSERT_NE(sentence.find(RunText(board, e.failedRun.constraint)), std::string::npos);
                            break;
                        }
                        case Technique::Subset: {
                            ASSERT_TRUE(run != nullptr);
                            unsigned digits = 0;
                            for (unsigned cell : e.subset) {
                                ASSERT_NE(std::find(run->begin(), run->end(), cell), run->end());
                                ASSERT_NE(cell, e.cell);
                                digits |= m[cell];
                                ASSERT_NE(sentence.find(CellText(board, cell)), std::string::npos);
                            }
                            ASSERT_TRUE(e.subset.size() == 2 || e.subset.size() == 3);
                            ASSERT_EQ(std::popcount(digits), static_cast<int>(e.subset.size()));
                            ASSERT_EQ(e.removed & ~digits, 0u);
                            break;
                        }
                        case Technique::AreaSum: {
                            // The band's own runs, the crossing runs, and the cells left over, counted here.
                            const int own = e.area.direction;
                            auto inBand = [&](unsigned cell) {
                                const unsigned line = own == kAcross ? cell / board.columns : cell % board.columns;
                                return line >= e.area.from && line <= e.area.to;
                            };
                            int total = 0, crossing = 0, known = 0, leftOver = 0;
                            std::vector<unsigned> over;
                            for (std::size_t r = 0; r < runs.cells.size(); ++r) {
                                const ::Run& cells = runs.cells[r];
                                const long in = std::count_if(cells.begin(), cells.end(), inBand);
                                if (in == 0) continue;
                                if (board.constraints[r].direction == own) {
                                    total += runs.sums[r];
                                    continue;
                                }
                                const bool whole = in == static_cast<long>(cells.size());
                                if (e.area.outside) {
                                    crossing += runs.sums[r];
                                    for (unsigned cell : cells) {
                                        if (!inBand(cell)) over.push_back(cell);
                                    }
                                } else if (whole) {
                                    crossing += runs.sums[r];
                                } else {
                                    for (unsigned cell : cells) {
                                        if (inBand(cell)) over.push_back(cell);
                                    }
                                }
                            }
                            for (unsigned cell : over) {
                                leftOver += g.solution[cell];
                                if (cell != e.cell && !(e.area.pair && cell == e.area.partner)) {
                                    ASSERT_TRUE(One(m[cell])) << "a left-over cell still open";
                                    known += std::countr_zero(m[cell]);
                                }
                            }
                            ASSERT_NE(std::find(over.begin(), over.end(), e.cell), over.end());
                            EXPECT_EQ(total, e.area.total);
                            EXPECT_EQ(crossing, e.area.crossing);
                            EXPECT_EQ(known, e.area.known);
                            const int difference = e.area.outside ? crossing - total : total - crossing;
                            EXPECT_EQ(leftOver, difference);
                            if (e.area.pair) {
                                // Two open cells hold what is left between them: each digit taken out
                                // has no partner among the other's digits that the sentence gives.
                                const unsigned partner = e.area.partner;
                                ASSERT_NE(std::find(over.begin(), over.end(), partner), over.end());
                                ASSERT_NE(partner, e.cell);
                                EXPECT_EQ(m[partner] & ~e.area.partnerDigits, 0u) << "the other cell could hold more";
                                const bool share = board.links[e.cell][kDown] == board.links[partner][kDown] ||
                                                   board.links[e.cell][kAcross] == board.links[partner][kAcross];
                                EXPECT_EQ(share, e.area.shareRun);
                                const int pairSum = difference - known;
                                for (int d = 1; d <= 9; ++d) {
                                    if (!(e.removed >> d & 1)) continue;
                                    const int other = pairSum - d;
                                    const bool partnered = other >= 1 && other <= 9 &&
                                                           (e.area.partnerDigits >> other & 1) &&
                                                           !(share && other == d);
                                    EXPECT_FALSE(partnered) << d << " could pair with " << other;
                                }
                                EXPECT_NE(sentence.find(CellText(board, partner)), std::string::npos);
                                ++pairs;
                            }
                            EXPECT_NE(sentence.find(std::to_string(total)), std::string::npos);
                            break;
                        }
                        default:
                            break;
                    }
                    if (e.reason == ExplainReason::Combinations && sentence.find(" can only ") != std::string::npos) {
                        ++combinationSentences;
                        unsigned placed = 0;
                        for (unsigned cell : *run) placed |= cell != e.cell && One(m[cell]) ? m[cell] : 0;
                        const int sum = runs.sums[static_cast<std::size_t>(e.run.constraint)];
                        std::vector<unsigned> fitting, out;
                        unsigned fittingDigits = 0;
                        for (unsigned set = 2; set < 1024; set += 2) {
                            int total = 0;
                            for (int d = 1; d <= 9; ++d) total += (set >> d & 1) ? d : 0;
                            if (total != sum || std::popcount(set) != static_cast<int>(run->size())) continue;
                            // Each open cell needs a digit of the set that the run does not hold yet.
                            bool fits = (set & placed) == placed;
                            for (unsigned cell : *run)
                                fits = fits && (One(m[cell]) && cell != e.cell ? true : (m[cell] & set & ~placed) != 0);
                            (fits ? fitting : out).push_back(set);
                            if (fits) fittingDigits |= set;
                        }
                        const bool listed = sentence.find(" can only be ") != std::string::npos;
                        if (listed) {
                            for (unsigned set : fitting)
                                EXPECT_TRUE(Lists(sentence, set)) << SumText(set) << " fits but is not listed";
                        } else {
                            EXPECT_GT(fitting.size(), 4u);
                        }
                        for (unsigned set : out) {
                            if (!listed && (set & ~fittingDigits) == 0) continue;
                            ++leftOut;
                            EXPECT_TRUE(Lists(sentence, set)) << SumText(set) << " is left out without a word";
                            const auto reason =
                                std::find_if(e.excluded.begin(), e.excluded.end(),
                                             [&](const ExcludedCombination& x) { return x.combination == set; });
                            ASSERT_NE(reason, e.excluded.end());
                            if (reason->lacks != 0) {
                                EXPECT_EQ(reason->lacks, placed & ~set);
                                EXPECT_NE(sentence.find("already there"), std::string::npos);
                            } else {
                                EXPECT_NE(std::find(run->begin(), run->end(), reason->cell), run->end());
                                EXPECT_EQ(m[reason->cell] & set & ~placed, 0u)
                                    << "the cell named could hold " << SumText(set);
                                const std::string name = reason->cell == e.cell ? "this cell"
                                                         : run->size() == 2     ? "the other cell"
                                                                                : CellText(board, reason->cell);
                                EXPECT_NE(sentence.find("Not "), std::string::npos);
                                EXPECT_NE(sentence.find(name + " cannot be"), std::string::npos) << name;
                            }
                        }
                        // What leaves the cell: digits no fitting combination has, or digits already in the run.
                        EXPECT_EQ(e.removed & fittingDigits & ~placed, 0u);
                    }
                    m[e.cell] &= ~e.removed;
                }
                for (unsigned i = 0; i < board.cellCount; ++i) {
                    if (g.solution[i] > 0) {
                        ASSERT_EQ(m[i], 1u << g.solution[i]) << "cell " << i << " left open";
                    }
                }
            }
        }
    }
    for (Technique t : {Technique::SingleCellLeft, Technique::UniqueCombination, Technique::CombinationElimination,
                        Technique::CrossReference, Technique::PlacedDigit, Technique::Subset, Technique::ExactRun,
                        Technique::AreaSum, Technique::Trial}) {
        EXPECT_GT(used[static_cast<std::size_t>(t)], 0) << TechniqueName(t) << " never used";
    }
    EXPECT_GT(leftOut, 100);
    EXPECT_GT(pairs, 0);
    RecordProperty("steps", steps);
    RecordProperty("combinationSentences", combinationSentences);
}

// The hints the game asks for, one at a time on the board as the player leaves it
// (placed digits entered, ruled-out digits remembered), on fresh 9x9 Medium puzzles: the
// first placement comes within a few hints, no hint goes wrong, and they fill the board.
TEST(Explainer, HintsReachAPlacementSoonAndFillTheBoard) {
    std::vector<int> firstPlacement;
    for (std::uint32_t seed = 1; seed <= 30; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const Generated g = Generate(9, 2, 7000 + seed);
        ASSERT_FALSE(g.solution.empty());
        TBoard board = g.board;
        std::vector<unsigned> ruledOut(board.cellCount, 0);
        int hints = 0, first = 0;
        Hint hint;
        while (hints < 1000 && NextHint(board, ruledOut, kTierTrials, hint)) {
            ++hints;
            ASSERT_FALSE(hint.steps.empty());
            ASSERT_EQ(hint.places, hint.steps.front().kind == ExplainKind::Place);
            for (const Explanation& e : hint.steps) {
                ASSERT_EQ(e.tier, hint.tier);
                ASSERT_EQ(board.cells[e.cell], kEmpty);
                ASSERT_FALSE(e.removed >> g.solution[e.cell] & 1) << ExplainSentence(e, board);
                if (e.kind == ExplainKind::Place) {
                    ASSERT_EQ(e.digit, g.solution[e.cell]);
                    if (first == 0) first = hints;
                }
            }
            for (const Explanation& e : hint.steps) {
                if (e.kind == ExplainKind::Place) {
                    board.cells[e.cell] = e.digit;
                } else {
                    ruledOut[e.cell] |= e.removed;
                }
            }
        }
        for (unsigned i = 0; i < board.cellCount; ++i) {
            if (g.solution[i] > 0) {
                ASSERT_EQ(board.cells[i], g.solution[i]) << "cell " << i;
            }
        }
        firstPlacement.push_back(first);
    }
    std::sort(firstPlacement.begin(), firstPlacement.end());
    const int median = (firstPlacement[14] + firstPlacement[15]) / 2;
    EXPECT_LE(median, 5);
    RecordProperty("medianFirstPlacement", median);
}
