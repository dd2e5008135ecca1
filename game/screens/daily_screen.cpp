// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/screens/daily_screen.h"

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/util/datetime.h"
#include "framework/widgets/button.h"
#include "framework/widgets/focus_ring.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/pointer.h"
#include "framework/widgets/sprite.h"
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

std::string TextOr(const std::string& key, const std::string& fallback) {
    std::string text = ScreenText(key);
    return text.empty() ? fallback : text;
}

std::string ReplaceAll(std::string text, const std::string& what, const std::string& with) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

int DaysInMonth(int year, int month) {
    int days = 28;
    while (days < 31 && TCivilDate{year, month, days + 1}.Valid()) ++days;
    return days;
}

// "Friday 11 December 2026".
std::string LongDate(TCivilDate date) {
    if (!date.Valid()) return "";
    const int weekday = static_cast<int>(((date.DayNumber() % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    const int language = DateLanguage();
    return std::string(LongDayNames[language][weekday]) + " " + std::to_string(date.Day) + " " +
           LongMonthNames[language][date.Month - 1] + " " + std::to_string(date.Year);
}

}  // namespace

void DrawTick(float left, float top, float size) {
    platform::SetColor(palette::Landed.R, palette::Landed.G, palette::Landed.B);
    for (float t = 0; t < 3; t += 1) {
        platform::DrawLine(left + size * 0.1f, top + size * 0.55f + t, left + size * 0.4f, top + size * 0.85f + t);
        platform::DrawLine(left + size * 0.4f, top + size * 0.85f + t, left + size * 0.95f, top + size * 0.15f + t);
    }
}

int TDailyScreen::Load() {
    LoadBackground(*this);
    HeaderLoad("dailyheader", 400, 50, 1);
    Menu = OkMenu();
    PlayMenu = NewScreenMenu(RowStep - 44);
    for (const char* name : {"play0", "play1", "play2"}) AddButton(PlayMenu, "playsmall", name, 0);
    PlayMenu->MakeColumn(RowStep - 44);
    PlayMenu->SetX(612);
    PlayMenu->SetY(static_cast<float>(RowsY + 18));
    // The arrows choose the day on the calendar; Tab walks the buttons.
    Focus = TFocusRing::Create();
    Focus->UseLeftRight = 0;
    Focus->UseUpDown = 0;
    Focus->AddMenu(PlayMenu);
    Focus->AddMenu(Menu);
    const TCoreLocalTime now = CoreLocalTime();
    Today = {now.Year, now.Month, now.Day};
    if (!Today.Valid()) Today = {1970, 1, 1};
    Chosen = Today;
    Month = DailyMonthResults(PlayModel().History().Records, Today.Year, Today.Month);
    PuzzlesOf(Chosen);
    UseSparkleTrail();
    Game->FadeMusic = 0;
    GlowHeader(*this);
    return 0;
}

int TDailyScreen::Start() { return StartMenuScreen(*this); }

const std::array<TDailyPuzzle, DailyLevels>& TDailyScreen::PuzzlesOf(TCivilDate date) {
    auto found = Made.find(date);
    if (found != Made.end()) return found->second;
    std::array<TDailyPuzzle, DailyLevels> puzzles;
    for (int level = 0; level < DailyLevels; ++level) MakeDailyPuzzle(date, level, puzzles[level]);
    // Making them can take a moment: no burst of logic steps after it.
    if (Game && Game->FixedRateLogic) Game->FixedRateLogic->Init();
    return Made.emplace(date, puzzles).first->second;
}

bool TDailyScreen::Choose(TCivilDate date) {
    if (!date.Valid() || date.Year != Today.Year || date.Month != Today.Month || date > Today) return false;
    Chosen = date;
    PuzzlesOf(Chosen);
    return true;
}

void TDailyScreen::Play(int difficulty) {
    const auto& puzzles = PuzzlesOf(Chosen);
    if (difficulty < 0 || difficulty >= DailyLevels || !puzzles[difficulty].Made) return;
    Game->Mouse->Off();
    PlayModel().Puzzle.CustomMode = 0;
    PlayDailyPuzzle(PlayCore(), puzzles[difficulty]);
    GoToScreen(TScreenId::Game);
    Game->Mouse->On();
    StartPuzzleTimer();
}

int TDailyScreen::FirstColumn() const {
    const TCivilDate first{Today.Year, Today.Month, 1};
    return static_cast<int>(((first.DayNumber() % 7) + 10) % 7);  // Monday 0; 1970-01-01 was a Thursday
}

TCivilDate TDailyScreen::DayAt(int px, int py) const {
    const int column = (px - CalendarX) / DayW, row = (py - CalendarY) / DayH;
    if (px < CalendarX || py < CalendarY || column > 6 || row > 5) return {};
    const int day = row * 7 + column - FirstColumn() + 1;
    if (day < 1 || day > DaysInMonth(Today.Year, Today.Month)) return {};
    return {Today.Year, Today.Month, day};
}

int TDailyScreen::Logic() {
    TScreen::Logic();
    if (Header) Header->ManageGlow();
    PlayMenu->Manage(0, 0);
    if (Menu->Clicked("ok")) GoToScreen(TScreenId::Title);
    for (int level = 0; level < DailyLevels; ++level)
        if (PlayMenu->Clicked("play" + std::to_string(level)) || KeyHit(platform::vk::KEY_0 + 1 + level)) Play(level);
    if (Game->Mouse->h1) {
        const TCivilDate day = DayAt(Game->Mouse->x, Game->Mouse->y);
        if (day.Valid() && Choose(day)) Game->Mouse->ClearMouseHit();
    }
    const long long chosen = Chosen.DayNumber();
    if (KeyHit(platform::vk::LEFT)) Choose(TCivilDate::FromDayNumber(chosen - 1));
    if (KeyHit(platform::vk::RIGHT)) Choose(TCivilDate::FromDayNumber(chosen + 1));
    if (KeyHit(platform::vk::UP)) Choose(TCivilDate::FromDayNumber(chosen - 7));
    if (KeyHit(platform::vk::DOWN)) Choose(TCivilDate::FromDayNumber(chosen + 7));
    return 0;
}

void TDailyScreen::DrawDay(int day, float dx, float dy) {
    const TCivilDate date{Today.Year, Today.Month, day};
    const auto& best = Month[static_cast<std::size_t>(day - 1)];
    const bool solved = best[0] || best[1] || best[2];
    if (solved) {
        platform::SetColor(40, 120, 40);
        platform::SetAlpha(0.7f);
        platform::DrawRect(dx + 2, dy + 2, DayW - 4, DayH - 4);
        platform::SetAlpha(1.0f);
    }
    if (date == Chosen || date == Today) {
        if (date == Chosen)
            platform::SetColor(255, 255, 255);
        else
            platform::SetColor(palette::Heading.R, palette::Heading.G, palette::Heading.B);
        for (float t = 0; t < (date == Chosen ? 3.0f : 1.0f); t += 1) {
            platform::DrawLine(dx + 1 + t, dy + 1 + t, dx + DayW - 2 - t, dy + 1 + t);
            platform::DrawLine(dx + 1 + t, dy + DayH - 2 - t, dx + DayW - 2 - t, dy + DayH - 2 - t);
            platform::DrawLine(dx + 1 + t, dy + 1 + t, dx + 1 + t, dy + DayH - 2 - t);
            platform::DrawLine(dx + DayW - 2 - t, dy + 1 + t, dx + DayW - 2 - t, dy + DayH - 2 - t);
        }
    }
    // Days still to come cannot be played yet.
    const int shade = date > Today ? 110 : 255;
    platform::SetColor(shade, shade, shade);
    DrawTextCentred(std::to_string(day), dx + DayW / 2.0f, dy + 7, 0, 1);
    if (solved) DrawTick(dx + DayW - 15, dy + 3, 12);
}

void TDailyScreen::DrawCalendar() {
    platform::SetImageFont(Resources.Font20);
    platform::SetColor(palette::Heading.R, palette::Heading.G, palette::Heading.B);
    const float middle = CalendarX + 3.5f * DayW;
    DrawTextCentred(std::string(LongMonthNames[DateLanguage()][Today.Month - 1]) + " " + std::to_string(Today.Year),
                    middle, CalendarY - 62, 1, 1);
    platform::SetImageFont(Resources.Font18);
    for (int column = 0; column < 7; ++column)
        DrawTextCentred(ShortDayNames[DateLanguage()][(column + 1) % 7], CalendarX + column * DayW + DayW / 2.0f,
                        CalendarY - 28, 0, 1);
    const int first = FirstColumn();
    for (int day = 1; day <= DaysInMonth(Today.Year, Today.Month); ++day) {
        const int cell = first + day - 1;
        DrawDay(day, static_cast<float>(CalendarX + (cell % 7) * DayW),
                static_cast<float>(CalendarY + (cell / 7) * DayH));
    }
}

void TDailyScreen::DrawThumbnail(const TDailyPuzzle& puzzle, float left, float top, float side) {
    if (!puzzle.Made) return;
    const float cell = side / static_cast<float>(puzzle.Size);
    platform::SetColor(230, 230, 220);
    platform::DrawRect(left, top, side, side);
    platform::SetColor(30, 30, 40);
    for (int gx = 0; gx < puzzle.Size; ++gx)
        for (int gy = 0; gy < puzzle.Size; ++gy)
            if (puzzle.Solution[gx][gy] == BlackCell)
                platform::DrawRect(left + gx * cell, top + gy * cell, cell + 0.5f, cell + 0.5f);
}

void TDailyScreen::DrawPuzzleRows() {
    const auto& puzzles = PuzzlesOf(Chosen);
    platform::SetImageFont(Resources.Font20);
    platform::SetColor(palette::Heading.R, palette::Heading.G, palette::Heading.B);
    DrawTextLeft(ReplaceAll(TextOr("Daily Puzzles Of", "Puzzles of {date}"), "{date}", LongDate(Chosen)), RowsX,
                 RowsY - 38, 1, 1);
    const TDailyMonth& month = Month;
    for (int level = 0; level < DailyLevels; ++level) {
        const float top = static_cast<float>(RowsY + level * RowStep);
        DrawThumbnail(puzzles[level], RowsX, top + 4, 72);
        platform::SetColor(palette::Text.R, palette::Text.G, palette::Text.B);
        platform::SetImageFont(Resources.Font20);
        const int size = DailySize(level);
        DrawTextLeft(std::to_string(size) + " \u00d7 " + std::to_string(size) + "  " + DifficultyName(level),
                     RowsX + 86, top + 8, 1, 1);
        const int best = month[static_cast<std::size_t>(Chosen.Day - 1)][static_cast<std::size_t>(level)];
        platform::SetImageFont(Resources.Font18);
        if (best) {
            DrawTextLeft(ReplaceAll(TextOr("Daily Solved", "Solved in {time}"), "{time}", FormatMinutesSeconds(best)),
                         RowsX + 106, top + 42, 1, 1);
            DrawTick(RowsX + 86, top + 42, 16);
        } else {
            platform::SetColor(180, 180, 180);
            DrawTextLeft(TextOr("Daily Not Solved", "Not solved yet"), RowsX + 86, top + 42, 1, 1);
        }
    }
}

int TDailyScreen::Draw() {
    DrawBackground(*this, x, y);
    auto back = ScreenPicture("blackback");
    back->image->MidHandle();
    platform::DrawImage(back->image, 400, 284);
    if (Header) Header->Draw();
    DrawCalendar();
    DrawPuzzleRows();
    platform::SetImageFont(Resources.Font18);
    platform::SetColor(200, 200, 200);
    DrawTextCentred(TextOr("Daily Keys", "Arrow keys choose a day, 1 2 3 play its puzzles."), 400, 446, 1, 1);
    TColor::Restore();
    Menu->Draw(0, 0);
    PlayMenu->Draw(0, 0);
    return 0;
}

int TDailyScreen::SetEscDestination() {
    Game->DestinationTScreen = ScreenOrExit(TScreenId::Title);
    return 0;
}
