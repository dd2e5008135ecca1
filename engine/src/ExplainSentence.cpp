// SPDX-License-Identifier: GPL-3.0-or-later
// The words of explained steps: sentence templates, run and cell names, and the
// sentences themselves.
#include <algorithm>
#include <functional>
#include <map>

#include "tallyfold/engine/Explainer.h"

namespace engine {

namespace {

const std::map<std::string, std::string>& DefaultTexts() {
    static const std::map<std::string, std::string> texts = {
        {"Explain Run", "{sum} {direction} in {count} cells {place}"},
        {"Explain Run One", "{sum} {direction} in one cell {place}"},
        {"Explain At Row", "at row {row}"},
        {"Explain At Column", "at column {column}"},
        {"Explain At Cell", "at row {row}, column {column}"},
        {"Explain Across", "across"},
        {"Explain Down", "down"},
        {"Explain Counts", "one,two,three,four,five,six,seven,eight,nine"},
        {"Explain Or", "or"},
        {"Explain And", "and"},
        {"Explain Combinations", "The {run} can only be {combinations}."},
        {"Explain Digits Only", "The {run} can only use {digits}."},
        {"Explain Out Placed", "Not {combinations}, without the {digits} already there."},
        {"Explain Out Cell", "Not {combinations}: {cell} cannot be {digits}."},
        {"Explain This Cell", "this cell"},
        {"Explain Partner Cell", "the other cell"},
        {"Explain Cell At", "the cell at row {row}, column {column}"},
        {"Explain In Run", "The {run} already holds {digits}."},
        {"Explain In Cross", "The {run} already holds {digits}."},
        {"Explain Cross Lacks", "None of the ways to make the {run} uses {digits}."},
        {"Explain Earlier", "Earlier steps ruled out {digits} here."},
        {"Explain Exact Place", "Every way to fill the {run} from what its cells can still hold puts {digit} here."},
        {"Explain Exact Remove", "No way to fill the {run} from what its cells can still hold puts {digits} here."},
        {"Explain Subset", "In the {run}, {cells} can only hold {digits} between them, so its other cells cannot."},
        {"Explain Band Row", "row {from}"},
        {"Explain Band Rows", "rows {from} to {to}"},
        {"Explain Band Column", "column {from}"},
        {"Explain Band Columns", "columns {from} to {to}"},
        {"Explain Area In",
         "The {direction} runs of {band} add up to {total}, the {cross} runs lying wholly within it to {crossing}."},
        {"Explain Area Out",
         "The {direction} runs of {band} add up to {total}, the {cross} runs reaching into it to {crossing}."},
        {"Explain Area Known In", "The other cells outside those {cross} runs hold {known}."},
        {"Explain Area Known Out", "The other cells of those {cross} runs outside {band} hold {known}."},
        {"Explain Area Left", "This is the one open cell left over: {equation}."},
        {"Explain Area Pair",
         "This cell and {cell} are the open cells left over, so they hold {equation} between them, and {cell} can only "
         "be {others}."},
        {"Explain Area Pair Run", "They share a run, so they cannot both be {half}."},
        {"Explain Trial", "If this cell were {digit}, the {run} would leave {cell} with no digit at all."},
        {"Explain Trial Run", "If this cell were {digit}, the {run} could not be filled."},
        {"Explain Other Cell", "the cell at row {row}, column {column}"},
        {"Explain So Place", "So this cell is {digit}."},
        {"Explain So Remove", "So this cell cannot be {digits}."},
        {"Explain Wrong Repeated", "This {digit} cannot be right: its {direction} run already has another {digit}."},
        {"Explain Wrong No Combination",
         "This {digit} cannot be right: none of the ways to make the {run} uses {digit}."},
        {"Explain Wrong Not With Others",
         "This {digit} cannot be right: none of the ways to make the {run} uses it beside {digits}."},
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

    // "1 + 2 + 9"
    static std::string Sum(unsigned mask) {
        std::string sum;
        for (int d = 1; d <= 9; ++d) {
            if (mask >> d & 1) sum += (sum.empty() ? "" : " + ") + std::to_string(d);
        }
        return sum;
    }

    std::string Sums(const std::vector<unsigned>& masks) const {
        std::vector<std::string> parts;
        for (unsigned mask : masks) parts.push_back(Sum(mask));
        return Join(parts, "Explain Or");
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

    unsigned Columns() const { return board_.columns == 0 ? 1 : board_.columns; }

    // Sentences are for players, who count rows and columns from 1 as the game's
    // other messages do; only the tool's machine-readable lines count from 0.

    // Where the run's clue stands: its row for an across run, its column for a down run,
    // and both when another run of that line has the same clue.
    std::string Place(const ExplainedRun& run) const {
        const unsigned row = run.clueCell / Columns(), column = run.clueCell % Columns();
        bool twin = false;
        for (std::size_t c = 0; c < board_.constraints.size(); ++c) {
            const Constraint& other = board_.constraints[c];
            if (static_cast<int>(c) == run.constraint || other.direction != run.direction ||
                static_cast<int>(other.sum) != run.sum) {
                continue;
            }
            twin =
                twin || (run.direction == kAcross ? other.clue / Columns() == row : other.clue % Columns() == column);
        }
        const char* key = twin ? "Explain At Cell" : run.direction == kAcross ? "Explain At Row" : "Explain At Column";
        return Fill(Text(key), {{"row", std::to_string(row + 1)}, {"column", std::to_string(column + 1)}});
    }

    std::string RunName(const ExplainedRun& run) const {
        return Fill(Text(run.length == 1 ? "Explain Run One" : "Explain Run"), {{"sum", std::to_string(run.sum)},
                                                                                {"direction", Direction(run.direction)},
                                                                                {"count", Count(run.length)},
                                                                                {"place", Place(run)}});
    }

    std::string CellName(unsigned cell, const char* key = "Explain Other Cell") const {
        return Fill(Text(key),
                    {{"row", std::to_string(cell / Columns() + 1)}, {"column", std::to_string(cell % Columns() + 1)}});
    }

    // A cell of a run, as seen from the explained cell.
    std::string CellInRun(unsigned cell, const Explanation& e) const {
        if (cell == e.cell) return Text("Explain This Cell");
        if (e.run.length == 2) return Text("Explain Partner Cell");
        return CellName(cell, "Explain Cell At");
    }

    std::string Band(const AreaTotals& area) const {
        const char* key = area.direction == kAcross
                              ? (area.from == area.to ? "Explain Band Row" : "Explain Band Rows")
                              : (area.from == area.to ? "Explain Band Column" : "Explain Band Columns");
        return Fill(Text(key), {{"from", std::to_string(area.from + 1)}, {"to", std::to_string(area.to + 1)}});
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

// The sentences of a tier-1 step: the combinations that fit, each one left out with its
// reason, and why this cell lacks digits of the ones that fit.
void CombinationSentences(const Explanation& e, const Words& words,
                          const std::function<std::string(const std::string&, std::map<std::string, std::string>)>& say,
                          std::vector<std::string>& sentences) {
    if (e.kind == ExplainKind::Place || (e.removed & ~e.inRun) != 0) {
        unsigned all = 0;
        for (unsigned mask : e.combinations) all |= mask;
        const bool listed = e.combinations.size() <= 4;
        if (listed) {
            sentences.push_back(say("Explain Combinations", {{"combinations", words.Sums(e.combinations)}}));
        } else {
            sentences.push_back(say("Explain Digits Only", {{"digits", words.DigitList(all, "Explain And")}}));
        }
        // Grouped by reason, in the order the reasons first come up.
        std::vector<std::pair<ExcludedCombination, std::vector<unsigned>>> reasons;
        for (const ExcludedCombination& out : e.excluded) {
            if (!listed && (out.combination & ~all) == 0) continue;  // "can only use" already covers it
            auto same = std::find_if(reasons.begin(), reasons.end(), [&](const auto& r) {
                return r.first.lacks == out.lacks && (out.lacks != 0 || r.first.cell == out.cell);
            });
            if (same == reasons.end()) {
                reasons.push_back({out, {}});
                same = reasons.end() - 1;
            }
            same->second.push_back(out.combination);
        }
        for (const auto& [reason, masks] : reasons) {
            if (reason.lacks != 0) {
                sentences.push_back(say(
                    "Explain Out Placed",
                    {{"combinations", words.Sums(masks)}, {"digits", words.DigitList(reason.lacks, "Explain And")}}));
            } else {
                unsigned digits = 0;
                for (unsigned mask : masks) digits |= mask & ~e.runHolds;
                sentences.push_back(say("Explain Out Cell", {{"combinations", words.Sums(masks)},
                                                             {"cell", words.CellInRun(reason.cell, e)},
                                                             {"digits", words.DigitList(digits, "Explain Or")}}));
            }
        }
    }
    if (e.inRun) sentences.push_back(say("Explain In Run", {{"digits", words.DigitList(e.inRun, "Explain And")}}));
    if (e.inCross) {
        sentences.push_back(say("Explain In Cross", {{"digits", words.DigitList(e.inCross, "Explain And")},
                                                     {"run", words.RunName(e.crossRun)},
                                                     {"direction", words.Direction(e.crossRun.direction)}}));
    }
    if (e.crossLacks && e.kind == ExplainKind::Place) {
        sentences.push_back(say("Explain Cross Lacks", {{"digits", words.DigitList(e.crossLacks, "Explain Or")},
                                                        {"run", words.RunName(e.crossRun)}}));
    }
    if (e.earlier && e.kind == ExplainKind::Place) {
        sentences.push_back(say("Explain Earlier", {{"digits", words.DigitList(e.earlier, "Explain And")}}));
    }
}

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
        values["place"] = words.Place(e.run);
    }
    auto say = [&](const std::string& key, std::map<std::string, std::string> extra) {
        std::map<std::string, std::string> all = values;
        for (auto& [name, value] : extra) all[name] = value;
        return Words::Fill(words.Text(key), all);
    };
    std::vector<std::string> sentences;
    switch (e.reason) {
        case ExplainReason::Combinations:
            CombinationSentences(e, words, say, sentences);
            break;
        case ExplainReason::ExactFillings:
            sentences.push_back(say(e.kind == ExplainKind::Place ? "Explain Exact Place" : "Explain Exact Remove", {}));
            break;
        case ExplainReason::Subset: {
            std::vector<std::string> cells;
            for (unsigned cell : e.subset) cells.push_back(words.CellName(cell, "Explain Cell At"));
            sentences.push_back(say("Explain Subset", {{"cells", words.Join(cells, "Explain And")},
                                                       {"digits", words.DigitList(e.digits, "Explain And")}}));
            break;
        }
        case ExplainReason::AreaSum: {
            std::map<std::string, std::string> area = {
                {"direction", words.Direction(e.area.direction)},
                {"cross", words.Direction(e.area.direction == kAcross ? kDown : kAcross)},
                {"band", words.Band(e.area)},
                {"total", std::to_string(e.area.total)},
                {"crossing", std::to_string(e.area.crossing)},
                {"known", std::to_string(e.area.known)}};
            sentences.push_back(say(e.area.outside ? "Explain Area Out" : "Explain Area In", area));
            if (e.area.known != 0)
                sentences.push_back(say(e.area.outside ? "Explain Area Known Out" : "Explain Area Known In", area));
            const int left =
                (e.area.outside ? e.area.crossing - e.area.total : e.area.total - e.area.crossing) - e.area.known;
            std::string equation = e.area.outside
                                       ? std::to_string(e.area.crossing) + " - " + std::to_string(e.area.total)
                                       : std::to_string(e.area.total) + " - " + std::to_string(e.area.crossing);
            if (e.area.known != 0) equation += " - " + std::to_string(e.area.known);
            area["equation"] = equation + " = " + std::to_string(left);
            if (!e.area.pair) {
                sentences.push_back(say("Explain Area Left", area));
                break;
            }
            area["cell"] = words.CellName(e.area.partner, "Explain Cell At");
            area["others"] = words.DigitList(e.area.partnerDigits, "Explain Or");
            sentences.push_back(say("Explain Area Pair", area));
            if (e.area.shareRun && left % 2 == 0 && (e.removed >> (left / 2) & 1)) {
                sentences.push_back(say("Explain Area Pair Run", {{"half", std::to_string(left / 2)}}));
            }
            break;
        }
        case ExplainReason::Trial: {
            // What fails is a run, or a cell of it other than this one; never this cell itself.
            const bool ownCell = e.otherCell == e.cell || e.failedRun.constraint < 0;
            if (e.failedRun.constraint >= 0 && ownCell) {
                sentences.push_back(say("Explain Trial Run", {{"digit", words.DigitList(e.removed, "Explain Or")},
                                                              {"run", words.RunName(e.failedRun)}}));
            } else {
                sentences.push_back(say("Explain Trial", {{"digit", words.DigitList(e.removed, "Explain Or")},
                                                          {"run", words.RunName(e.failedRun)},
                                                          {"cell", words.CellName(e.otherCell)}}));
            }
            break;
        }
        case ExplainReason::Repeated:
            return say("Explain Wrong Repeated", {});
        case ExplainReason::NoCombination:
            return say("Explain Wrong No Combination", {});
        case ExplainReason::NotWithOthers:
            return say("Explain Wrong Not With Others", {{"digits", words.DigitList(e.digits, "Explain And")}});
        case ExplainReason::NoPartner:
            return say("Explain Wrong No Partner", {});
        case ExplainReason::RunCannotBeFilled:
            return say("Explain Wrong Cannot Fill", {});
        case ExplainReason::NotTheSolution:
            return say("Explain Wrong Solution", {});
    }
    sentences.push_back(say(e.kind == ExplainKind::Place ? "Explain So Place" : "Explain So Remove", {}));
    std::string text;
    for (const std::string& s : sentences) text += (text.empty() ? "" : " ") + s;
    return text;
}

}  // namespace engine
