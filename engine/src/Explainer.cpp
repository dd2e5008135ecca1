// SPDX-License-Identifier: GPL-3.0-or-later
#include "tallyfold/engine/Explainer.h"

#include <algorithm>
#include <bit>
#include <map>

namespace engine {

namespace {

bool Single(unsigned d) { return d != 0 && (d & (d - 1)) == 0; }
int DigitOf(unsigned single) { return std::countr_zero(single); }

}  // namespace

Explainer::Explainer(const TBoard& board) : solver_(board) {
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
  for (std::size_t c = 0; c < runs_.size(); ++c) {
    if (runs_[c].direction == direction &&
        std::find(runCells_[c].begin(), runCells_[c].end(), cell) != runCells_[c].end()) {
      return runs_[c];
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

void Explainer::Describe(const LogicStep& step, const std::vector<unsigned>& before) {
  std::vector<Explanation> found;
  for (int k = 0; k < step.changeCount; ++k) {
    const CandidateChange& change = step.changes[static_cast<std::size_t>(k)];
    Explanation e;
    e.tier = step.tier;
    e.cell = change.cell;
    e.removed = change.removed;
    e.left = change.left;
    e.kind = Single(change.left) ? ExplainKind::Place : ExplainKind::Remove;
    if (e.kind == ExplainKind::Place) e.digit = DigitOf(change.left);
    if (step.tier == kTierTrials) {
      e.reason = ExplainReason::Trial;
      e.otherCell = step.emptiedCell;
      e.cells = {step.trialCell, step.emptiedCell};
      found.push_back(std::move(e));
      continue;
    }
    e.run = Run(step.run);
    e.crossRun = RunOf(change.cell, e.run.direction == kAcross ? kDown : kAcross);
    e.cells = runCells_[static_cast<std::size_t>(step.run)];
    if (step.tier == kTierExactRuns) {
      e.reason = ExplainReason::ExactFillings;
      found.push_back(std::move(e));
      continue;
    }
    // Which of the run's combinations still fit, and why this cell lacks the digits of
    // theirs that it lacks: that is what a player checks the step by.
    e.reason = ExplainReason::Combinations;
    const unsigned placed = PlacedIn(e.run, change.cell, before);
    const std::vector<unsigned>& cells = runCells_[static_cast<std::size_t>(step.run)];
    unsigned fitting = 0;
    for (std::uint16_t mask : CombinationMasks(e.run.sum, e.run.length)) {
      if ((mask & placed) != placed) continue;
      bool fits = true;
      for (unsigned cell : cells) fits = fits && (before[cell] & mask) != 0;
      if (!fits) continue;
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
    found.push_back(std::move(e));
  }
  std::stable_partition(found.begin(), found.end(),
                        [](const Explanation& e) { return e.kind == ExplainKind::Place; });
  for (Explanation& e : found) pending_.push_back(std::move(e));
}

bool Explainer::Next(int maxTier, Explanation& out) {
  if (pending_.empty()) {
    std::vector<unsigned> before;
    for (const std::vector<unsigned>& cells : runCells_) {
      for (unsigned cell : cells) {
        if (cell >= before.size()) before.resize(cell + 1, 0);
        before[cell] = solver_.Candidates(cell);
      }
    }
    LogicStep step;
    if (!solver_.Step(maxTier, step)) return false;
    Describe(step, before);
    if (pending_.empty()) return false;
  }
  out = std::move(pending_.front());
  pending_.pop_front();
  return true;
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

namespace {

const std::map<std::string, std::string>& DefaultTexts() {
  static const std::map<std::string, std::string> texts = {
      {"Explain Run", "{sum} {direction} in {count} cells"},
      {"Explain Run One", "{sum} {direction} in one cell"},
      {"Explain Across", "across"},
      {"Explain Down", "down"},
      {"Explain Counts", "one,two,three,four,five,six,seven,eight,nine"},
      {"Explain Or", "or"},
      {"Explain And", "and"},
      {"Explain Combinations", "The {run} can only be {combinations}."},
      {"Explain Digits Only", "The {run} can only use {digits}."},
      {"Explain In Run", "This run already holds {digits}."},
      {"Explain In Cross", "This cell's {direction} run already holds {digits}."},
      {"Explain Cross Lacks", "None of the ways to make this cell's {run} uses {digits}."},
      {"Explain Earlier", "Earlier steps ruled out {digits} here."},
      {"Explain Exact Place", "Every way to fill the {run} from what its cells can still hold puts {digit} here."},
      {"Explain Exact Remove", "No way to fill the {run} from what its cells can still hold puts {digits} here."},
      {"Explain Trial", "If this cell were {digit}, the runs would leave {cell} with no digit at all."},
      {"Explain Other Cell", "the cell at row {row}, column {column}"},
      {"Explain So Place", "So this cell is {digit}."},
      {"Explain So Remove", "So this cell cannot be {digits}."},
      {"Explain Wrong Repeated", "This {digit} cannot be right: its {direction} run already has another {digit}."},
      {"Explain Wrong No Combination", "This {digit} cannot be right: none of the ways to make the {run} uses {digit}."},
      {"Explain Wrong Not With Others", "This {digit} cannot be right: none of the ways to make the {run} uses it beside {digits}."},
      {"Explain Wrong No Partner", "This {digit} cannot be right: the {run} has no {partner} to pair with it."},
      {"Explain Wrong Cannot Fill", "This {digit} cannot be right: with it, the {run} cannot be filled."},
      {"Explain Wrong Solution", "This {digit} cannot be right: the puzzle's one solution has another digit here."},
  };
  return texts;
}

class Words {
 public:
  Words(const ExplainTexts& texts, const TBoard& board) : texts_(texts), board_(board) {}

  std::string Text(const std::string& key) const {
    if (texts_) {
      std::string own = texts_(key);
      if (!own.empty()) return own;
    }
    const auto found = DefaultTexts().find(key);
    return found == DefaultTexts().end() ? std::string() : found->second;
  }

  // "1", "1 or 2", "1, 2 or 3"
  std::string DigitList(unsigned mask, const std::string& joinKey) const {
    std::vector<std::string> parts;
    for (int d = 1; d <= 9; ++d) {
      if (mask >> d & 1) parts.push_back(std::to_string(d));
    }
    return Join(parts, joinKey);
  }

  std::string Join(const std::vector<std::string>& parts, const std::string& joinKey) const {
    std::string text;
    for (std::size_t k = 0; k < parts.size(); ++k) {
      if (k > 0) text += k + 1 == parts.size() ? " " + Text(joinKey) + " " : ", ";
      text += parts[k];
    }
    return text;
  }

  std::string Count(int n) const {
    const std::string list = Text("Explain Counts");
    std::size_t start = 0;
    for (int k = 1; k <= 9; ++k) {
      const std::size_t end = list.find(',', start);
      if (k == n) return list.substr(start, end == std::string::npos ? std::string::npos : end - start);
      if (end == std::string::npos) break;
      start = end + 1;
    }
    return std::to_string(n);
  }

  std::string Direction(int direction) const {
    return Text(direction == kAcross ? "Explain Across" : "Explain Down");
  }

  std::string RunName(const ExplainedRun& run) const {
    return Fill(Text(run.length == 1 ? "Explain Run One" : "Explain Run"),
                {{"sum", std::to_string(run.sum)}, {"direction", Direction(run.direction)}, {"count", Count(run.length)}});
  }

  std::string CellName(unsigned cell) const {
    const unsigned columns = board_.columns == 0 ? 1 : board_.columns;
    return Fill(Text("Explain Other Cell"),
                {{"row", std::to_string(cell / columns)}, {"column", std::to_string(cell % columns)}});
  }

  static std::string Fill(std::string text, const std::map<std::string, std::string>& values) {
    std::string out;
    for (std::size_t k = 0; k < text.size();) {
      const std::size_t close = text[k] == '{' ? text.find('}', k) : std::string::npos;
      if (close != std::string::npos) {
        const auto found = values.find(text.substr(k + 1, close - k - 1));
        if (found != values.end()) {
          out += found->second;
          k = close + 1;
          continue;
        }
      }
      out += text[k++];
    }
    return out;
  }

 private:
  const ExplainTexts& texts_;
  const TBoard& board_;
};

}  // namespace

std::string ExplainSentence(const Explanation& e, const TBoard& board, const ExplainTexts& texts) {
  const Words words(texts, board);
  std::map<std::string, std::string> values = {
      {"digit", std::to_string(e.digit)},
      {"digits", words.DigitList(e.removed, "Explain Or")},
      {"partner", std::to_string(e.partner)},
  };
  if (e.run.constraint >= 0) {
    values["run"] = words.RunName(e.run);
    values["direction"] = words.Direction(e.run.direction);
    values["sum"] = std::to_string(e.run.sum);
    values["count"] = words.Count(e.run.length);
  }
  auto say = [&](const std::string& key, std::map<std::string, std::string> extra = {}) {
    std::map<std::string, std::string> all = values;
    for (auto& [name, value] : extra) all[name] = value;
    return Words::Fill(words.Text(key), all);
  };
  std::vector<std::string> sentences;
  switch (e.reason) {
    case ExplainReason::Combinations: {
      if (e.kind == ExplainKind::Place || (e.removed & ~e.inRun) != 0) {
        if (e.combinations.size() <= 4) {
          std::vector<std::string> parts;
          for (unsigned mask : e.combinations) {
            std::string sum;
            for (int d = 1; d <= 9; ++d) {
              if (mask >> d & 1) sum += (sum.empty() ? "" : " + ") + std::to_string(d);
            }
            parts.push_back(sum);
          }
          sentences.push_back(say("Explain Combinations", {{"combinations", words.Join(parts, "Explain Or")}}));
        } else {
          unsigned all = 0;
          for (unsigned mask : e.combinations) all |= mask;
          sentences.push_back(say("Explain Digits Only", {{"digits", words.DigitList(all, "Explain And")}}));
        }
      }
      if (e.inRun) sentences.push_back(say("Explain In Run", {{"digits", words.DigitList(e.inRun, "Explain And")}}));
      if (e.inCross) {
        sentences.push_back(say("Explain In Cross", {{"digits", words.DigitList(e.inCross, "Explain And")},
                                                     {"direction", words.Direction(e.crossRun.direction)}}));
      }
      if (e.crossLacks && e.kind == ExplainKind::Place) {
        sentences.push_back(say("Explain Cross Lacks", {{"digits", words.DigitList(e.crossLacks, "Explain Or")},
                                                        {"run", words.RunName(e.crossRun)}}));
      }
      if (e.earlier && e.kind == ExplainKind::Place) {
        sentences.push_back(say("Explain Earlier", {{"digits", words.DigitList(e.earlier, "Explain And")}}));
      }
      break;
    }
    case ExplainReason::ExactFillings:
      sentences.push_back(say(e.kind == ExplainKind::Place ? "Explain Exact Place" : "Explain Exact Remove"));
      break;
    case ExplainReason::Trial:
      sentences.push_back(say("Explain Trial", {{"digit", words.DigitList(e.removed, "Explain Or")},
                                                {"cell", words.CellName(e.otherCell)}}));
      break;
    case ExplainReason::Repeated:
      return say("Explain Wrong Repeated");
    case ExplainReason::NoCombination:
      return say("Explain Wrong No Combination");
    case ExplainReason::NotWithOthers:
      return say("Explain Wrong Not With Others", {{"digits", words.DigitList(e.digits, "Explain And")}});
    case ExplainReason::NoPartner:
      return say("Explain Wrong No Partner");
    case ExplainReason::RunCannotBeFilled:
      return say("Explain Wrong Cannot Fill");
    case ExplainReason::NotTheSolution:
      return say("Explain Wrong Solution");
  }
  sentences.push_back(say(e.kind == ExplainKind::Place ? "Explain So Place" : "Explain So Remove"));
  std::string text;
  for (const std::string& s : sentences) text += (text.empty() ? "" : " ") + s;
  return text;
}

}  // namespace engine
