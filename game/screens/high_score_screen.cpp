// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/screens/high_score_screen.h"

#include "framework/archive/pak_manager.h"
#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/screens/fade.h"
#include "framework/text/game_text.h"
#include "framework/util/strings.h"
#include "framework/widgets/button.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/focus_ring.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/slide_line.h"
#include "framework/widgets/sprite.h"
#include "game/core/core.h"
#include "game/core/high_scores.h"
#include "game/screens/menu_screen.h"
#include "game/screens/palette.h"
#include "game/screens/screen_common.h"
#include "game/screens/screens.h"
#include "game/screens/session.h"
#include "game/screens/widgets.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/font.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"

using namespace menu_screen;

namespace {
constexpr const char* SizeNames[] = {"6x6", "7x7", "9x9", "12x12", "14x14"};
constexpr const char* LevelNames[] = {"alllevels", "easylevel", "mediumlevel", "hardlevel"};
}  // namespace

std::shared_ptr<TKakuroHighScoreList> THighScoreScreen::TableFor(const std::string& size, int level) {
    auto whole = TableForSize(size);
    if (level < 0 || !whole) return whole;
    const std::string upper = UpperCase(size);
    return PlayModel().LevelHighScoreList(std::stoi(upper.substr(0, upper.find('X'))), level);
}

void THighScoreScreen::ShowTable(const std::string& size, int level) {
    auto table = TableFor(size, level);
    if (!table) return;
    ShownSize = size;
    ShownLevel = level;
    HighScoreList = table;
    SetSlideLines();
    MarkShownSize();
}

std::shared_ptr<TKakuroHighScoreList> THighScoreScreen::TableForSize(const std::string& name) {
    const std::string size = UpperCase(name);
    if (size == "6X6") return PlayModel().HighScoreTables.HighScores6x6;
    if (size == "7X7") return PlayModel().HighScoreTables.HighScores7x7;
    if (size == "9X9") return PlayModel().HighScoreTables.HighScores9x9;
    if (size == "12X12") return PlayModel().HighScoreTables.HighScores12x12;
    if (size == "14X14") return PlayModel().HighScoreTables.HighScores14x14;
    return nullptr;
}

int THighScoreScreen::Load() {
    LoadBackground(*this);
    HeaderLoad("highscoresheader", 400, 50, 1);

    SizeMenu = NewScreenMenu(10);
    for (const char* size : SizeNames) AddButton(SizeMenu, std::string(size) + "button", size, 0);
    SizeMenu->MakeRow(15);
    SizeMenu->SetY(115);
    SizePictures.clear();
    for (const auto& button : SizeMenu->Items) SizePictures.push_back(button->image);

    LevelMenu = NewScreenMenu(10);
    for (const char* level : LevelNames) AddButton(LevelMenu, level, level, 0)->ScaleOnMOMax = 1.0f;
    LevelMenu->MakeRow(12);
    LevelMenu->SetY(LevelMenuY);
    LevelPictures.clear();
    for (const auto& button : LevelMenu->Items) LevelPictures.push_back(button->image);

    Menu = NewScreenMenu(10);
    AddButton(Menu, "oksmall", "ok", 1);
    AddButton(Menu, "clear", "clear", 0);
    Menu->MakeRow(15);
    Menu->SetY(Menu->y + 260);

    UseSparkleTrail();
    Game->FadeMusic = 0;

    // Whatever size was looked at or played last, a visit starts on the smallest board.
    ShownSize = "6x6";
    ShownLevel = -1;
    HighScoreList = PlayModel().HighScoreTables.HighScores6x6;
    SetSlideLines();
    MarkShownSize();
    Focus = TFocusRing::Create();
    Focus->AddMenu(SizeMenu);
    Focus->AddMenu(LevelMenu);
    Focus->AddMenu(Menu);
    GlowHeader(*this);
    if (ClearHighscore) ClearHighscore->Kill();
    ClearHighscore = nullptr;
    ShowingInput = 0;
    EscapeHeldAfterInput = 0;
    return 0;
}

int THighScoreScreen::Start() { return StartMenuScreen(*this); }

int THighScoreScreen::Kill() {
    // An open question must hand the Escape key back.
    if (ClearHighscore) ClearHighscore->Kill();
    ClearHighscore = nullptr;
    ShowingInput = 0;
    if (SizeMenu) SizeMenu->Kill();
    SizeMenu = nullptr;
    SizePictures.clear();
    if (LevelMenu) LevelMenu->Kill();
    LevelMenu = nullptr;
    LevelPictures.clear();
    SlideLines = nullptr;
    return TScreen::Kill();
}

int THighScoreScreen::SetSlideLines() {
    SlideLines = std::make_shared<TSlideLineList>();
    float rowY = static_cast<float>(StartY);
    w = col3 - col1;
    height = 0;
    const auto left = static_cast<float>(-w);
    const auto landed = static_cast<float>(col1);
    if (HighScoreList) {
        int n = 0;
        for (const auto& entry : HighScoreList->Entries) {
            // Waits off the left edge, so a row from the right is not seen before its turn.
            auto line = SlideLines->Add("", left, rowY, left, rowY, RowDelayMs * n);
            const float from = n % 2 == 0 ? left : static_cast<float>(ScreenWidth);
            line->AddPhaseSpecial(from, rowY, landed, rowY, SlideMs);
            line->AddPhaseSpecial(landed, rowY, landed, rowY, HoldMs);
            line->AttachObject(entry);
            rowY += RowHeight;
            height += RowHeight;
            ++n;
        }
    }
    SlideLines->Start();
    return 0;
}

int THighScoreScreen::MarkShownSize() {
    if (!SizeMenu) return 0;
    for (size_t i = 0; i < SizeMenu->Items.size() && i < SizePictures.size(); ++i) {
        auto& button = SizeMenu->Items[i];
        const bool shown = HighScoreList && TableFor(button->name, ShownLevel) == HighScoreList;
        button->image = shown && button->ImageMouseOver ? button->ImageMouseOver : SizePictures[i];
    }
    for (size_t i = 0; LevelMenu && i < LevelMenu->Items.size() && i < LevelPictures.size(); ++i) {
        auto& button = LevelMenu->Items[i];
        const bool shown = static_cast<int>(i) - 1 == ShownLevel;
        button->image = shown && button->ImageMouseOver ? button->ImageMouseOver : LevelPictures[i];
    }
    return 0;
}

int THighScoreScreen::Logic() {
    if (Header) Header->ManageGlow();

    if (ClearHighscore) {
        ShowingInput = 1;
        const int result = ClearHighscore->Manage();
        if (result == 1 && HighScoreList) {
            HighScoreList->Entries.clear();
            HighScoreList->CreateDefault();
            SetSlideLines();
        }
        if (result == 1 || result == -1) {
            ShowingInput = 0;
            ClearHighscore = nullptr;
            Game->IgnoreEscapeKey = 1;
            EscapeHeldAfterInput = 1;
        }
    } else if (EscapeHeldAfterInput && !KeyDown(platform::vk::ESCAPE)) {
        // Swallowed long enough: from now on Escape leaves the screen again.
        EscapeHeldAfterInput = 0;
        Game->IgnoreEscapeKey = 0;
    }

    if (!ShowingInput && Menu && SizeMenu) {
        if (Focus) Focus->Manage();
        Menu->Manage(0, 0);
        SizeMenu->Manage(0, 0);
        if (Menu->Clicked("ok")) GoToScreen(TScreenId::Title);
        if (Menu->Clicked("clear")) ClearHighscore = CreateYesNoDialog(ScreenText("Clear Highscore"));
        if (LevelMenu) LevelMenu->Manage(0, 0);
        for (const char* size : SizeNames)
            if (SizeMenu->Clicked(size)) ShowTable(size, ShownLevel);
        for (int level = 0; level < 4 && LevelMenu; ++level)
            if (LevelMenu->Clicked(LevelNames[level])) ShowTable(ShownSize, level - 1);
    }

    if (SlideLines) SlideLines->Manage();
    return 0;
}

void THighScoreScreen::ChooseTableFont() {
    if (TableFont) return;
    TableFont = Resources.Font34;
    TableTextDY = 0;
    // Letters that reach furthest up and down, and the table's own texts.
    const std::string sample =
        "AbdfghjklpqtyQ0123456789:" + ScreenText("Name") + ScreenText("Difficulty") + ScreenText("Time");
    auto fits = [&](const std::shared_ptr<platform::ImageFont>& font, int& above, int& below) {
        font->InkExtent(sample, above, below);
        return above + below <= RowHeight - 1;
    };
    int above = 0, below = 0;
    // The 34-pixel font, or where its letters are taller than a row the
    // largest size whose letters fit one, so no descender meets the row below.
    if (TableFont && !fits(TableFont, above, below)) {
        // Ink scales with the size: start just above where it should fit.
        const int guess = 34 * (RowHeight - 1) / std::max(1, above + below) + 1;
        for (int size = std::min(33, guess); size >= 12 && Resources.PakManager; --size) {
            auto font = Resources.PakManager->GetImageFont("calibri.ttf", size, platform::FONT_SMOOTH);
            if (font && fits(font, above, below)) {
                TableFont = font;
                break;
            }
        }
    }
    if (!TableFont) return;
    TableFont->InkExtent(sample, above, below);
    // The ink sits in the middle of its row, the spare pixel below it.
    const int spare = std::max(0, RowHeight - above - below);
    TableTextDY = spare / 2 + above - TableFont->Ascent();
}

THighScoreScreen::Rect THighScoreScreen::TableArea() {
    auto back = ScreenPicture("blackback");
    const int bw = back && back->image ? back->image->Width() : 720;
    const int bh = back && back->image ? back->image->Height() : 400;
    // The panel inside the picture, less its rim.
    return {400 - bw / 2 + PanelInset, 284 - bh / 2 + PanelInset, bw - 2 * PanelInset, bh - 2 * PanelInset - 7};
}

int THighScoreScreen::Draw() {
    platform::Cls();
    DrawBackground(*this, x, y);
    ChooseTableFont();
    platform::SetImageFont(TableFont ? TableFont : Resources.Font34);

    auto back = ScreenPicture("blackback");
    back->image->MidHandle();
    platform::DrawImage(back->image, 400, 284);
    if (Header) Header->Draw();
    if (Menu) Menu->Draw(0, 0);
    if (SizeMenu) SizeMenu->Draw(0, 0);
    if (LevelMenu) LevelMenu->Draw(0, 0);

    const auto dy = static_cast<float>(TableTextDY);
    const auto titleY = static_cast<float>(StartY - 30) + dy;
    platform::SetColor(palette::Heading.R, palette::Heading.G, palette::Heading.B);
    DrawTextLeft(ScreenText("Name"), static_cast<float>(col1), titleY, 0, 1);
    DrawTextRight(ScreenText("Difficulty"), static_cast<float>(col2), titleY, 0, 1);
    DrawTextRight(ScreenText("Time"), static_cast<float>(col3), titleY, 0, 1);

    // Rows on their way in stay inside the panel instead of crossing its rim.
    int vx, vy, vw, vh;
    platform::GetViewport(vx, vy, vw, vh);
    const Rect area = TableArea();
    platform::SetViewport(area.x, area.y, area.w, area.h);
    if (SlideLines)
        for (const auto& line : SlideLines->Items) {
            const auto entry = std::static_pointer_cast<TKakuroHighScore>(line->AttachedObject);
            if (!entry) continue;
            const float rowX = line->GetX();
            const auto rowY = static_cast<float>(static_cast<int>(line->GetY())) + dy;
            // Green as the row lands, white by the end of the hold.
            if (line->Active && line->CurrentPhase == 2) {
                const float r = line->GetRatio();
                const auto mix = [r](int from, int to) { return static_cast<int>(to + (from - to) * r); };
                platform::SetColor(mix(palette::Landed.R, palette::Text.R), mix(palette::Landed.G, palette::Text.G),
                                   mix(palette::Landed.B, palette::Text.B));
            } else {
                platform::SetColor(palette::Text.R, palette::Text.G, palette::Text.B);
            }
            DrawTextLeft(entry->name, rowX, rowY, 0, 1);
            DrawTextRight(DifficultyName(entry->difficulty), rowX + static_cast<float>(col2 - col1), rowY, 0, 1);
            DrawTextRight(FormatMinutesSeconds(entry->time), rowX + static_cast<float>(col3 - col1), rowY, 0, 1);
        }
    platform::SetViewport(vx, vy, vw, vh);
    TColor::Restore();

    if (ClearHighscore) ClearHighscore->Draw();
    return 0;
}

int THighScoreScreen::SetEscDestination() {
    Game->DestinationTScreen = ScreenOrExit(TScreenId::Title);
    return 0;
}
