// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The play screen's help line at the bottom of the board.
#include <memory>
#include <string>

namespace platform {
class ImageFont;
}  // namespace platform

// The play screen's help line: its last line's top, the distance between its
// lines, and the width it may fill.
inline constexpr int HelpLineY = 565, HelpLineGap = 25, HelpLineWidth = 760;
// A help text laid out so that it stays on the dark ground below the paper
// (white on cream cannot be read): lines after the first are wrapped across
// the whole width when there are too many of them. Measured in that font.
std::string KeepBelowPaper(const std::string& message, const std::shared_ptr<platform::ImageFont>& font);

// The help line of a solved puzzle, and why its time is not a best time when it is
// not (the hints it took are told under the end panel).
std::string FinishedMessage();
