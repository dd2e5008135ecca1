// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

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
      if (board.links[i][direction] != kNoLink) runs.cells[static_cast<std::size_t>(board.links[i][direction])].push_back(i);
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
        Masks m(board.cellCount, 0);
        for (unsigned i = 0; i < board.cellCount; ++i) m[i] = solution[i] > 0 ? kAllDigits : 0;
        std::vector<bool> placed(board.cellCount, false);

        int status = -1;
        std::istringstream out(RunExplain(path, status));
        EXPECT_EQ(status, 0);
        std::string line, last;
        while (std::getline(out, line)) {
          last = line;
          if (line == "solved" || line == "stuck") break;
          std::istringstream words(line);
          std::string kind, digits, tierWord, colon;
          unsigned row = 0, column = 0;
          int claimed = 0;
          ASSERT_TRUE(words >> kind >> row >> column >> digits >> tierWord >> claimed) << line;
          ASSERT_EQ(tierWord, "tier") << line;
          ASSERT_TRUE(claimed >= 1 && claimed <= 3) << line;
          ASSERT_NE(line.find(": "), std::string::npos) << line;
          ASSERT_GT(line.size(), line.find(": ") + 10) << "a sentence follows: " << line;
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
          EXPECT_TRUE(Justified(claimed, runs, m, cell, removed)) << "tier " << claimed << " cannot make " << line;
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
  EXPECT_EQ(wrong({{5, 1}}), "5: This 1 cannot be right: none of the ways to make the 16 across in two cells at row 1 uses 1.");
  EXPECT_EQ(wrong({{5, 7}, {6, 7}, {10, 8}}), "6: This 7 cannot be right: its across run already has another 7.");
  EXPECT_EQ(wrong({{6, 7}}), "6: This 7 cannot be right: none of the ways to make the 17 down in two cells at column 2 uses 7.");
  EXPECT_EQ(wrong({{5, 9}}), "5: This 9 cannot be right: the 16 across in two cells at row 1 has no 7 to pair with it.");
  EXPECT_EQ(wrong({{9, 8}, {10, 9}}), "9: This 8 cannot be right: none of the ways to make the 16 down in two cells at column 1 uses 8.");

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
  EXPECT_EQ(ExplainSentence(e, player, texts), "1 - 16 across in zwei cells at row 1");
  EXPECT_EQ(e.cells, (std::vector<unsigned>{5, 6}));
}
