// SPDX-License-Identifier: GPL-3.0-or-later
// The saved-game chooser.
#include "game/screens/save_manager.h"

#include <algorithm>
#include <cmath>

#include "framework/audio/game_sound.h"
#include "framework/core/game.h"
#include "framework/core/input.h"
#include "framework/widgets/button.h"
#include "framework/widgets/focus_ring.h"
#include "framework/widgets/font.h"
#include "framework/widgets/list_box.h"
#include "framework/widgets/pointer.h"
#include "game/core/save_game.h"
#include "game/screens/screen_common.h"
#include "game/screens/session.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

namespace vk = platform::vk;

std::shared_ptr<TSaveGameManager> TSaveGameManager::Create(const std::string& caption,
                                                           std::shared_ptr<platform::Image> background, int flag, int x,
                                                           int y, const std::string& extension,
                                                           const std::string& directory,
                                                           const std::string& deleteMessage) {
    auto manager = std::make_shared<TSaveGameManager>();
    manager->Directory = directory;
    manager->Init(caption, std::move(background), flag, x, y, 0);
    manager->ListBox = VTListBox::Create(10, 5, 0, 1, 500);
    manager->MenuCreate(manager->ButtonGap);
    manager->Extension = extension;
    manager->FillList();
    manager->DeleteMessage = deleteMessage;
    manager->x = x;
    manager->y = y;
    return manager;
}

int TSaveGameManager::MenuCreate(int gap) {
    Menu = TMenu::Create("buttonMO", "buttonclick", 0, 0, gap);
    Menu->SetShadow(1, 3, 3, 0.4f);
    for (const char* name : {"Cancel", "Delete", "Load"}) Menu->AddQuick(name, name);
    Menu->MakeRow(gap);
    if (auto load = Menu->FindButton("Load")) load->OKButton = 1;
    return MenuPosition();
}

int TSaveGameManager::MenuPosition() {
    CalcAll();
    if (!Menu || Menu->Items.empty()) return 0;
    Menu->SetX(static_cast<float>(MenuGetCentredX()));
    Menu->SetY(static_cast<float>(y + h) - MenuHeight() - static_cast<float>(Border));
    return 0;
}

int TSaveGameManager::BoxSize() {
    const float left = static_cast<float>(x + BoxBorderH);
    const float width = static_cast<float>(w - 2 * BoxBorderH);
    const float captionBottom = Caption ? Caption->Y + CaptionHeight() : static_cast<float>(y);
    const float menuTop = Menu ? Menu->y : static_cast<float>(y + h);
    const float height = menuTop - captionBottom - static_cast<float>(2 * BoxBorderV);
    ListBox->SetCoords(left, 0, width, std::max(0.0f, height));
    // Whole rows only: the box shrinks to what its lines fill, and is centred
    // again at that height.
    ListBox->CalcLineHeight();
    const float rounded = ListBox->Box->H;
    const float top = BoxY != 0 ? static_cast<float>(BoxY) : captionBottom + (menuTop - captionBottom - rounded) / 2;
    ListBox->Box->Y = std::floor(top);
    return 0;
}

int TSaveGameManager::VisibleRows() const {
    if (!ListBox || ListBox->LineHeight <= 0) return VTListBox::LastItemInList + 1;
    return std::max(1, static_cast<int>(ListBox->Box->H) / ListBox->LineHeight);
}

int TSaveGameManager::MenuArrowCreate() {
    MenuArrowUp = TMenu::Create("buttonMO", "buttonclick", 0, 0, 0);
    auto up = MenuArrowUp->AddQuick("Up", "Up");
    MenuArrowDown = TMenu::Create("buttonMO", "buttonclick", 0, 0, 0);
    auto down = MenuArrowDown->AddQuick("Down", "Down");
    const auto& box = *ListBox->Box;
    if (NavButtonsXPosition == -1) NavButtonsXPosition = static_cast<int>(box.X + box.W) - up->w;
    MenuArrowUp->SetX(static_cast<float>(NavButtonsXPosition));
    MenuArrowUp->SetY(box.Y - static_cast<float>(up->h));
    MenuArrowDown->SetX(static_cast<float>(NavButtonsXPosition));
    MenuArrowDown->SetY(box.Y + box.H);
    (void)down;
    return 0;
}

bool TSaveGameManager::Listable(const std::string& name) const {
    // Only what saving could have made: a file of its own in this folder under
    // a name the player may type. Anything else in the folder (a name with
    // folder separators, a link, a pipe, the game's own files) is not ours to
    // offer for loading or deleting.
    return IsValidSaveName(name) && !PlayModel().IsReservedSaveName(name) &&
           platform::IsPlainFile(Directory + name + "." + Extension);
}

int TSaveGameManager::FillList() {
    struct TEntry {
        std::string Name;
        long long SavedAt = -1;
    };
    std::vector<TEntry> entries;
    if (auto names = platform::LoadDir(Directory)) {
        const std::string suffix = "." + Extension;
        for (const auto& name : *names) {
            if (name == "." || name == "..") continue;
            if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
                continue;
            const std::string stem = name.substr(0, name.size() - suffix.size());
            if (Listable(stem)) entries.push_back({stem, platform::FileModifiedTime(Directory + name)});
        }
    }
    // The save last made comes first: it is the one a player most often wants back.
    // Saves of the same second go by name as a player reads it, letter case aside.
    auto lower = [](std::string text) {
        for (char& c : text)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return text;
    };
    std::sort(entries.begin(), entries.end(), [&](const TEntry& a, const TEntry& b) {
        if (a.SavedAt != b.SavedAt) return a.SavedAt > b.SavedAt;
        const std::string la = lower(a.Name), lb = lower(b.Name);
        return la != lb ? la < lb : a.Name < b.Name;
    });
    ListBox->Strings.clear();
    Details.clear();
    for (const auto& entry : entries) {
        ListBox->Strings.push_back(entry.Name);
        Details.push_back(DescribeSave(Directory + entry.Name + "." + Extension, entry.SavedAt));
    }
    ListBox->ClearIndex();
    return 0;
}

std::string TSaveGameManager::DescribeSave(const std::string& path, long long savedAt) {
    const std::string when = savedAt >= 0 ? platform::LocalDateTimeText(savedAt) : std::string();
    std::string reason;
    const auto summary = SummariseSaveGame(path, reason);
    // A save that would not load is shown as such, so that it can be deleted.
    if (!summary) return ScreenText("Save Damaged") + (when.empty() ? "" : "   " + when);
    const char* levels[] = {"Easy", "Medium", "Hard"};
    const int level = std::clamp(summary->PuzzleDifficulty, 0, 2);
    const int percent = summary->CellsToFill > 0 ? summary->CellsFilled * 100 / summary->CellsToFill : 0;
    std::string text = std::to_string(summary->BoardWidth) + "x" + std::to_string(summary->BoardHeight) + "  " +
                       ScreenText(levels[level]) + "  " + std::to_string(percent) + "% " + ScreenText("Save Filled");
    return when.empty() ? text : text + "   " + when;
}

void TSaveGameManager::ResetWindow() {
    ListBox->StartList = 0;
    ListBox->EndList = std::min(VisibleRows() - 1, static_cast<int>(ListBox->Strings.size()) - 1);
    if (ListBox->EndList < 0) ListBox->EndList = 0;
}

void TSaveGameManager::MoveWindow(int rows) {
    const int last = static_cast<int>(ListBox->Strings.size()) - 1;
    while (rows < 0 && ListBox->StartList > 0) {
        --ListBox->StartList;
        --ListBox->EndList;
        ++rows;
    }
    while (rows > 0 && ListBox->EndList < last) {
        ++ListBox->StartList;
        ++ListBox->EndList;
        --rows;
    }
}

int TSaveGameManager::Start() {
    TDialog::Start();
    // Up and Down move the choice in the list; Tab, Left and Right walk the buttons.
    if (Focus) Focus->UseUpDown = 0;
    BoxSize();
    MenuArrowCreate();
    ResetWindow();
    LastMouseZ = Game && Game->Mouse ? Game->Mouse->z : 0;
    return 0;
}

int TSaveGameManager::DeleteSaveGameCheck() {
    if (ListBox->Index < 0 || !DialogYesNoFunc) return 0;
    DialogYesNo = DialogYesNoFunc(DeleteMessage);
    if (DialogYesNo) DialogYesNo->ReenableEscapeKey = 0;
    return 0;
}

int TSaveGameManager::OKClick() {
    if (ListBox->Index < 0) return 0;
    Close(1);
    return 1;
}

int TSaveGameManager::CancelClick() {
    Close(-1);
    return 0;
}

int TSaveGameManager::ClickSound() {
    auto load = Menu ? Menu->FindButton("Load") : nullptr;
    if (load) load->PlayClick();
    return 0;
}

int TSaveGameManager::Manage() {
    if (DialogOK) {
        if (DialogOK->Manage() == 0) return 0;
        DialogOK = nullptr;
        return 0;
    }
    if (DialogYesNo) {
        const int answer = DialogYesNo->Manage();
        if (answer == 0) return 0;
        DialogYesNo = nullptr;
        if (answer == 1 && ListBox->Index >= 0) {
            // Checked again: the folder may have changed since it was listed.
            if (Listable(ListBox->Value)) platform::DeleteFile(Directory + ListBox->Value + "." + Extension);
            FillList();
            ResetWindow();
            ListBox->ClearIndex();
        }
        return 0;
    }
    if (!Active) return 0;
    ManageCore();
    if (!Active) return CloseResult;
    if (Transitioning != 0 || Disabled) return 0;

    MenuArrowUp->Manage(OffsetX, OffsetY);
    MenuArrowDown->Manage(OffsetX, OffsetY);
    ListBox->Manage();
    ManageKeys();
    if (ListBox->DoubleClicked >= 0) {
        ListBox->DoubleClicked = -1;
        ClickSound();
        return OKClick();
    }
    if (Menu->Clicked("Load")) return OKClick();
    if (KeyHit(vk::ESCAPE)) {
        ClickSound();
        CancelClick();
        return -1;
    }
    if (Menu->Clicked("Cancel")) {
        CancelClick();
        return -1;
    }
    if (Menu->Clicked("Delete")) DeleteSaveGameCheck();
    if (MenuArrowUp->Clicked("Up")) MoveWindow(-1);
    if (MenuArrowDown->Clicked("Down")) MoveWindow(1);
    // The wheel scrolls a row per notch, as lists elsewhere do.
    if (Game && Game->Mouse && Game->Mouse->z != LastMouseZ) {
        MoveWindow(LastMouseZ - Game->Mouse->z);
        LastMouseZ = Game->Mouse->z;
    }
    return 0;
}

void TSaveGameManager::MoveChoice(int rows) {
    const int count = static_cast<int>(ListBox->Strings.size());
    if (count == 0) return;
    // The first key only shows where the choice is: the top visible row.
    const int index = ListBox->Index < 0 ? std::clamp(ListBox->StartList, 0, count - 1)
                                         : std::clamp(ListBox->Index + rows, 0, count - 1);
    ListBox->SetIndex(index);
    if (index < ListBox->StartList) MoveWindow(index - ListBox->StartList);
    if (index > ListBox->EndList) MoveWindow(index - ListBox->EndList);
}

void TSaveGameManager::ManageKeys() {
    const int page = VisibleRows(), all = static_cast<int>(ListBox->Strings.size());
    if (KeyHit(vk::UP)) MoveChoice(-1);
    if (KeyHit(vk::DOWN)) MoveChoice(1);
    if (KeyHit(vk::PRIOR)) MoveChoice(-page);
    if (KeyHit(vk::NEXT)) MoveChoice(page);
    if (KeyHit(vk::HOME)) MoveChoice(-all);
    if (KeyHit(vk::END)) MoveChoice(all);
    // Only where a Delete button offers it: the puzzle chooser deletes nothing.
    if (KeyHit(vk::DELETE_) && Menu && Menu->FindButton("Delete")) DeleteSaveGameCheck();
}

void TSaveGameManager::DrawDetails() {
    const int count = static_cast<int>(ListBox->Strings.size());
    if (!DetailFont || Details.size() != ListBox->Strings.size() || ListBox->EndList >= count) return;
    const auto& box = *ListBox->Box;
    platform::SetImageFont(DetailFont);
    platform::SetBlend(platform::ALPHABLEND);
    platform::SetColor(255, 255, 255);
    SetTextShadow(1, 1, 0.6f);
    TextStyle.Alpha = 0.85f;
    const float right = box.X + box.W - static_cast<float>(ListBox->TextBorder) - PositionBarWidth - 4;
    for (int i = std::max(0, ListBox->StartList); i <= ListBox->EndList; ++i) {
        const std::string& text = Details[static_cast<size_t>(i)];
        const float top = box.Y + static_cast<float>((i - ListBox->StartList) * ListBox->LineHeight);
        const float y = top + static_cast<float>(ListBox->LineHeight - platform::TextHeight(text)) / 2;
        DrawTextRight(text, right, std::floor(y), 1, 1);
    }
    TextStyle.Alpha = 1.0f;
}

int TSaveGameManager::DrawPositionBar() {
    const int count = static_cast<int>(ListBox->Strings.size());
    const int shown = ListBox->EndList - ListBox->StartList + 1;
    if (count <= shown || count <= 0) return 0;
    const auto& box = *ListBox->Box;
    const float trackX = box.X + box.W - PositionBarWidth - 3, trackY = box.Y + 3, trackH = box.H - 6;
    const float top = trackY + trackH * static_cast<float>(ListBox->StartList) / static_cast<float>(count);
    const float height = std::max(6.0f, trackH * static_cast<float>(shown) / static_cast<float>(count));
    platform::SetBlend(platform::ALPHABLEND);
    platform::SetColor(0, 0, 0);
    platform::SetAlpha(0.25f * Alpha);
    platform::DrawRect(trackX + OffsetX, trackY + OffsetY, PositionBarWidth, trackH);
    platform::SetColor(255, 255, 255);
    platform::SetAlpha(0.55f * Alpha);
    platform::DrawRect(trackX + OffsetX, std::min(top, trackY + trackH - height) + OffsetY, PositionBarWidth, height);
    platform::SetAlpha(1.0f);
    return 1;
}

int TSaveGameManager::Draw() {
    if (!Active && !DialogOK && !DialogYesNo) return 0;
    auto dim = [] {
        platform::SetBlend(platform::ALPHABLEND);
        platform::SetColor(0, 0, 0);
        platform::SetAlpha(0.5f);
        platform::DrawRect(0, 0, 800, 600);
        platform::SetColor(255, 255, 255);
        platform::SetAlpha(1.0f);
    };
    if (Active && DimWhenActive) dim();
    TDialog::Draw();
    ListBox->Draw();
    DrawDetails();
    DrawPositionBar();
    MenuArrowUp->Draw(OffsetX, OffsetY);
    MenuArrowDown->Draw(OffsetX, OffsetY);
    // A question or message that darkens what lies behind it by itself needs
    // no second layer from here.
    const bool dimsItself =
        (DialogOK && DialogOK->DimBackground > 0) || (DialogYesNo && DialogYesNo->DimBackground > 0);
    if (DimWhenShowingDialogs || DialogOK || DialogYesNo) {
        if ((DialogOK || DialogYesNo) && !dimsItself) dim();
        if (DialogOK) DialogOK->Draw();
        if (DialogYesNo) DialogYesNo->Draw();
    }
    return 0;
}

int TSaveGameManager::Kill() {
    TDialog::Kill();
    if (ListBox) ListBox->Kill();
    return 0;
}
