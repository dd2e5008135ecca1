#include "game/screens/high_score_screen.h"

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/text/game_text.h"
#include "framework/util/strings.h"
#include "framework/widgets/button.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/slide_line.h"
#include "framework/widgets/sprite.h"
#include "game/core/core.h"
#include "game/core/high_scores.h"
#include "game/screens/menus.h"
#include "game/screens/screens.h"
#include "game/screens/shell.h"
#include "game/screens/widgets.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"

using namespace menu_screen;

namespace {
constexpr const char* SizeNames[] = {"6x6", "7x7", "9x9", "12x12", "14x14"};

std::string Text(const std::string& key) { return GameText ? GameText->FindString(key) : std::string(); }
}  // namespace

std::shared_ptr<TKakuroHighScoreList> THighScoreScreen::TableForSize(const std::string& name) {
    const std::string size = UpperCase(name);
    if (size == "6X6") return HighScoreTables.HighScores6x6;
    if (size == "7X7") return HighScoreTables.HighScores7x7;
    if (size == "9X9") return HighScoreTables.HighScores9x9;
    if (size == "12X12") return HighScoreTables.HighScores12x12;
    if (size == "14X14") return HighScoreTables.HighScores14x14;
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

    Menu = NewScreenMenu(10);
    AddButton(Menu, "oksmall", "ok", 1);
    AddButton(Menu, "clear", "clear", 0);
    Menu->MakeRow(15);
    Menu->SetY(Menu->y + 260);

    UseSparkleTrail();
    Game->FadeMusic = 0;

    // Whatever size was looked at or played last, a visit starts on the smallest board.
    HighScoreList = HighScoreTables.HighScores6x6;
    SetSlideLines();
    MarkShownSize();
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
        const bool shown = HighScoreList && TableForSize(button->name) == HighScoreList;
        button->image = shown && button->ImageMouseOver ? button->ImageMouseOver : SizePictures[i];
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
        Menu->Manage(0, 0);
        SizeMenu->Manage(0, 0);
        if (Menu->Clicked("ok")) FadeToScreen(TitleScreen);
        if (Menu->Clicked("clear")) ClearHighscore = CreateYesNoDialog(Text("Clear Highscore"));
        for (const char* size : SizeNames)
            if (SizeMenu->Clicked(size)) {
                HighScoreList = TableForSize(size);
                SetSlideLines();
                MarkShownSize();
            }
    }

    if (SlideLines) SlideLines->Manage();
    return 0;
}

int THighScoreScreen::Draw() {
    platform::Cls();
    DrawBackground(*this, x, y);
    platform::SetImageFont(Font34);

    auto back = ScreenPicture("blackback");
    back->image->MidHandle();
    platform::DrawImage(back->image, 400, 284);
    if (Header) Header->Draw();
    if (Menu) Menu->Draw(0, 0);
    if (SizeMenu) SizeMenu->Draw(0, 0);

    const auto titleY = static_cast<float>(StartY - 30);
    platform::SetColor(255, 255, 0);
    DrawTextLeft(Text("Name"), static_cast<float>(col1), titleY, 0, 1);
    DrawTextRight(Text("Difficulty"), static_cast<float>(col2), titleY, 0, 1);
    DrawTextRight(Text("Time"), static_cast<float>(col3), titleY, 0, 1);

    if (SlideLines)
        for (const auto& line : SlideLines->Items) {
            const auto entry = std::static_pointer_cast<TKakuroHighScore>(line->AttachedObject);
            if (!entry) continue;
            const float rowX = line->GetX();
            const auto rowY = static_cast<float>(static_cast<int>(line->GetY()));
            // Green as the row lands, white by the end of the hold.
            if (line->Active && line->CurrentPhase == 2) {
                const float r = line->GetRatio();
                platform::SetColor(static_cast<int>(255 - 155 * r), 255, static_cast<int>(255 - 255 * r));
            } else {
                platform::SetColor(255, 255, 255);
            }
            DrawTextLeft(entry->name, rowX, rowY, 0, 1);
            DrawTextRight(DifficultyName(entry->difficulty), rowX + static_cast<float>(col2 - col1), rowY, 0, 1);
            DrawTextRight(FormatMinutesSeconds(entry->time), rowX + static_cast<float>(col3 - col1), rowY, 0, 1);
        }
    TColor::Restore();

    if (ClearHighscore) ClearHighscore->Draw();
    return 0;
}

int THighScoreScreen::SetEscDestination() {
    Game->DestinationTScreen = TitleScreen ? TitleScreen : Game->ExitScreen;
    return 0;
}
