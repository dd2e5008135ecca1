// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/screens/statistics_screen.h"

#include <algorithm>

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/widgets/button.h"
#include "framework/widgets/focus_ring.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/sprite.h"
#include "game/core/core.h"
#include "game/core/services.h"
#include "game/screens/menu_screen.h"
#include "game/screens/palette.h"
#include "game/screens/screen_common.h"
#include "game/screens/screens.h"
#include "game/screens/session.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"

using namespace menu_screen;

namespace {

constexpr const char* SizeNames[StatisticsSizes] = {"6x6", "7x7", "9x9", "12x12", "14x14"};
constexpr int Sizes[StatisticsSizes] = {6, 7, 9, 12, 14};

std::string TextOr(const std::string& key, const std::string& fallback) {
    std::string text = ScreenText(key);
    return text.empty() ? fallback : text;
}

std::string Fill(std::string text, const std::string& what, const std::string& with) {
    const std::size_t at = text.find(what);
    if (at != std::string::npos) text.replace(at, what.size(), with);
    return text;
}

// Right edges of the table's columns after the level's name.
constexpr int Columns[] = {200, 280, 336, 416, 500, 576, 668, 748};

}  // namespace

int TStatisticsScreen::Load() {
    LoadBackground(*this);
    HeaderLoad("statisticsheader", 400, 50, 1);
    SizeMenu = NewScreenMenu(10);
    for (const char* size : SizeNames) AddButton(SizeMenu, std::string(size) + "button", size, 0);
    SizeMenu->MakeRow(15);
    SizeMenu->SetY(108);
    SizePictures.clear();
    for (const auto& button : SizeMenu->Items) SizePictures.push_back(button->image);
    Menu = OkMenu();
    // Left and Right keep showing the next size; Tab and Up and Down walk the buttons.
    Focus = TFocusRing::Create();
    Focus->UseLeftRight = 0;
    Focus->AddMenu(SizeMenu);
    Focus->AddMenu(Menu);
    UseSparkleTrail();
    Game->FadeMusic = 0;
    GlowHeader(*this);
    Refresh();
    ShowSize(SizeIndex);
    return 0;
}

void TStatisticsScreen::Refresh() {
    const TCoreLocalTime now = CoreLocalTime();
    Stats = ComputeStatistics(PlayModel().History().Records, {now.Year, now.Month, now.Day});
}

void TStatisticsScreen::ShowSize(int index) {
    SizeIndex = std::clamp(index, 0, StatisticsSizes - 1);
    if (!SizeMenu) return;
    // The shown size's button wears its highlighted picture, as on the best times.
    for (std::size_t i = 0; i < SizeMenu->Items.size() && i < SizePictures.size(); ++i) {
        auto& button = SizeMenu->Items[i];
        button->image =
            static_cast<int>(i) == SizeIndex && button->ImageMouseOver ? button->ImageMouseOver : SizePictures[i];
    }
}

int TStatisticsScreen::Start() { return StartMenuScreen(*this); }

int TStatisticsScreen::Kill() {
    if (SizeMenu) SizeMenu->Kill();
    SizeMenu = nullptr;
    SizePictures.clear();
    return TScreen::Kill();
}

int TStatisticsScreen::Logic() {
    TScreen::Logic();
    if (Header) Header->ManageGlow();
    SizeMenu->Manage(0, 0);
    if (Menu->Clicked("ok")) GoToScreen(TScreenId::Title);
    for (int i = 0; i < StatisticsSizes; ++i)
        if (SizeMenu->Clicked(SizeNames[i])) ShowSize(i);
    if (KeyHit(platform::vk::LEFT)) ShowSize((SizeIndex + StatisticsSizes - 1) % StatisticsSizes);
    if (KeyHit(platform::vk::RIGHT)) ShowSize((SizeIndex + 1) % StatisticsSizes);
    return 0;
}

void TStatisticsScreen::DrawTable() {
    platform::SetImageFont(Resources.Font18);
    platform::SetColor(palette::Heading.R, palette::Heading.G, palette::Heading.B);
    const char* keys[] = {"Stat Started", "Stat Finished", "Stat Rate",      "Stat Best",
                          "Stat Average", "Stat Reveals",  "Stat Explained", "Stat Solution"};
    const char* fallbacks[] = {"Started", "Finished", "Rate", "Best", "Average", "Reveals", "Explained", "Solution"};
    const auto titleY = static_cast<float>(TableY);
    DrawTextLeft(TextOr("Stat Level", "Level"), 56, titleY, 1, 1);
    for (int c = 0; c < 8; ++c)
        DrawTextRight(TextOr(keys[c], fallbacks[c]), static_cast<float>(Columns[c]), titleY, 1, 1);
    for (int level = 0; level < StatisticsLevels; ++level) {
        const auto& s = Stats.Levels[static_cast<std::size_t>(SizeIndex)][static_cast<std::size_t>(level)];
        const auto rowY = static_cast<float>(TableY + (level + 1) * RowHeight);
        platform::SetColor(palette::Text.R, palette::Text.G, palette::Text.B);
        DrawTextLeft(DifficultyName(level), 56, rowY, 1, 1);
        const std::string none = "-";
        const std::string cells[] = {std::to_string(s.Started),
                                     std::to_string(s.Finished),
                                     s.Started ? std::to_string(s.FinishPercent()) + "%" : none,
                                     s.Finished ? FormatMinutesSeconds(s.BestMs) : none,
                                     s.Finished ? FormatMinutesSeconds(s.AverageMs()) : none,
                                     std::to_string(s.Reveals),
                                     std::to_string(s.Explains),
                                     std::to_string(s.SolutionShown)};
        for (int c = 0; c < 8; ++c) DrawTextRight(cells[c], static_cast<float>(Columns[c]), rowY, 1, 1);
    }
    platform::SetColor(palette::Heading.R, palette::Heading.G, palette::Heading.B);
    std::string streak = TextOr("Stat Streak", "Daily streak: {current} now, {longest} at the longest");
    streak = Fill(Fill(streak, "{current}", std::to_string(Stats.Streaks.Current)), "{longest}",
                  std::to_string(Stats.Streaks.Longest));
    DrawTextCentred(streak, 400, static_cast<float>(TableY + 4 * RowHeight + 10), 1, 1);
}

void TStatisticsScreen::DrawChart() {
    const auto& times = Stats.RecentTimes[static_cast<std::size_t>(SizeIndex)];
    platform::SetImageFont(Resources.Font18);
    platform::SetColor(palette::Text.R, palette::Text.G, palette::Text.B);
    const int size = Sizes[SizeIndex];
    const std::string sizeText = std::to_string(size) + " \u00d7 " + std::to_string(size);
    if (times.empty()) {
        DrawTextCentred(Fill(TextOr("Stat No Times", "No {size} puzzle finished yet."), "{size}", sizeText), 400,
                        ChartY + ChartH / 2.0f - 10, 1, 1);
        return;
    }
    std::string title = TextOr("Stat Chart", "Times of the last {count} finished {size} puzzles");
    title = Fill(Fill(title, "{count}", std::to_string(times.size())), "{size}", sizeText);
    DrawTextCentred(title, 400, ChartY - 30, 1, 1);
    const int longest = std::max(1, *std::max_element(times.begin(), times.end()));
    // The axis and the longest time beside its top.
    platform::SetColor(200, 200, 200);
    platform::DrawLine(ChartX, ChartY + ChartH, ChartX + ChartW, ChartY + ChartH);
    platform::DrawLine(ChartX, ChartY, ChartX, ChartY + ChartH);
    DrawTextRight(FormatMinutesSeconds(longest), ChartX - 6, ChartY - 4, 0, 1);
    const float slot = static_cast<float>(ChartW) / RecentTimesShown;
    for (std::size_t i = 0; i < times.size(); ++i) {
        const float h = std::max(1.0f, static_cast<float>(ChartH) * static_cast<float>(times[i]) / longest);
        const float left = ChartX + 3 + static_cast<float>(i) * slot;
        const bool best = times[i] == *std::min_element(times.begin(), times.end());
        if (best)
            platform::SetColor(palette::Landed.R, palette::Landed.G, palette::Landed.B);
        else
            platform::SetColor(120, 170, 230);
        platform::DrawRect(left, ChartY + ChartH - h, slot - 5, h);
    }
}

int TStatisticsScreen::Draw() {
    DrawBackground(*this, x, y);
    auto back = ScreenPicture("blackback");
    back->image->MidHandle();
    platform::DrawImage(back->image, 400, 284);
    if (Header) Header->Draw();
    SizeMenu->Draw(0, 0);
    DrawTable();
    DrawChart();
    // A history that cannot be read or written is left alone; the player hears why here.
    const std::string& unsaved = PlayModel().History().NotSavedReason;
    if (!unsaved.empty()) {
        platform::SetImageFont(Resources.Font16);
        platform::SetColor(palette::Warning.R, palette::Warning.G, palette::Warning.B);
        DrawTextCentred(TextOr("Stat Not Saved", "Your play history is not saved this time:") + " " + unsaved, 400,
                        ChartY + ChartH + 8, 1, 1);
    }
    TColor::Restore();
    Menu->Draw(0, 0);
    return 0;
}

int TStatisticsScreen::SetEscDestination() {
    Game->DestinationTScreen = ScreenOrExit(TScreenId::Title);
    return 0;
}
