// SPDX-License-Identifier: GPL-3.0-or-later
// What the play screen's help line says and how it is laid out.
#include "game/screens/help_line.h"
#include "game/screens/session.h"

#include "framework/core/globals.h"
#include "framework/text/game_text.h"
#include "framework/util/strings.h"
#include "framework/widgets/font.h"
#include "game/core/core.h"
#include "game/core/high_scores.h"
#include "game/screens/paper.h"
#include "game/screens/screen_common.h"
#include "tallyfold/platform/display.h"

std::string KeepBelowPaper(const std::string& message, const std::shared_ptr<platform::ImageFont>& font) {
    auto lines = SplitLines(message);
    // Lines grow upwards from the bottom one; those whose top stays below the paper.
    const int room = (HelpLineY - (PaperSheet.y + PaperSheet.h)) / HelpLineGap + 1;
    if (static_cast<int>(lines.size()) <= room) return message;
    // The lines after the first are joined and wrapped again across the
    // screen's whole width, which the paper above leaves free.
    std::string body;
    for (size_t i = 1; i < lines.size(); ++i) {
        if (!body.empty() && body.back() != ' ') body += ' ';
        body += lines[i];
    }
    platform::SetImageFont(font);
    const auto wrapped = WordWrapLines({body}, HelpLineWidth, nullptr, 1.0f);
    if (static_cast<int>(wrapped.size()) + 1 >= static_cast<int>(lines.size())) return message;
    std::string text = lines[0];
    for (const auto& line : wrapped) text += "\r\n" + line;
    return text;
}

std::string FinishedMessage() {
    std::string message = ScreenText("Finished Puzzle Message");
    // A time the best times do not take, and help that was counted, are said on
    // the same line, so the player never wonders where the name question went.
    const std::string reason = PlayModel().NoBestTimeReason();
    if (!reason.empty()) message += "\r\n" + ScreenText(reason);
    return message;
}
