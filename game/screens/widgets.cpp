// SPDX-License-Identifier: GPL-3.0-or-later
// Toggle and radio buttons, and the game's dialogs.
#include "game/screens/widgets.h"

#include <cmath>

#include "framework/audio/sound_bank.h"
#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/paths/errors.h"
#include "framework/util/strings.h"
#include "framework/widgets/button.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
#include "game/core/high_scores.h"
#include "game/screens/palette.h"
#include "game/screens/screen_common.h"
#include "tallyfold/platform/image.h"

TButtonPictures TogglePictures(const std::string& name, int on) {
    if (on) return {name + "On", name + "OnMO"};
    return {name, name + "MO"};
}

TButtonPictures RadioPictures(const std::string& name, const std::string& selected, int onMouseOver) {
    if (UpperCase(name) == UpperCase(selected)) return {name + "On", onMouseOver ? name + "OnMO" : name + "MO"};
    return {name, name + "MO"};
}

namespace {
void Reload(const std::shared_ptr<TMenu>& menu, const std::shared_ptr<TButton>& button, const TButtonPictures& p) {
    const std::string name = button->name;
    button->LoadImages(p.Normal, p.MouseOver, 0, 0, 1);
    button->GetSize();
    button->SetName(name);
    button->SoundMouseOver = menu->SoundMouseOver;
    button->SoundClick = menu->SoundClick;
}

std::shared_ptr<platform::Image> PanelPicture(const std::string& name) {
    if (Resources.ImageBank)
        if (auto picture = Resources.ImageBank->FindTImage(name)) return picture;
    auto picture = platform::LoadImage(Game->ImagePath + name + ".png");
    if (!picture) ShowError("Could not load the picture " + name, 1);
    return picture;
}

// A sound the game can do without: nullptr when the bank does not hold it.
std::shared_ptr<TGameSound> BankSound(const std::string& name) {
    if (!Resources.SoundBank) return nullptr;
    auto found = Resources.SoundBank->Items.find(UpperCase(name));
    return found == Resources.SoundBank->Items.end() ? nullptr : found->second;
}

std::shared_ptr<TColor> Colour(const TRgb& c) { return TColor::Create(c.R, c.G, c.B, 1.0f); }

void CommonStyle(TDialog& dialog, const TRgb& caption) {
    dialog.DrawHighlight = 0;
    dialog.Shadow = TShadow::Create(3, 3, 0.4f);
    // Whatever lies below a dialog, the board or another dialog, steps back
    // behind it instead of showing through its edges.
    dialog.DimBackground = DialogDimming;
    dialog.SetupCaption(Resources.Font20, Colour(caption), TShadow::Create(1, 1, 0.6f), nullptr);
}

// The caption in the middle of the panel's space above the buttons, however
// many lines it wraps to.
void CentreCaptionAboveMenu(TDialog& dialog) {
    if (!dialog.Caption || !dialog.Menu) return;
    dialog.CaptionOX = dialog.CaptionOY = 0;
    dialog.MenuPosition();
    const float top = static_cast<float>(dialog.y + PanelMarginTop);
    const float height = dialog.Caption->CalcHeight();
    dialog.CaptionOX = dialog.x + dialog.w / 2;
    dialog.CaptionOY = static_cast<int>(std::floor(top + (dialog.Menu->y - top - height) / 2 + 0.5f));
    dialog.MenuPosition();
}

// The entry box in the middle between the caption and the buttons.
void CentreEntryBox(TDialogTextInput& dialog) {
    if (!dialog.Caption || !dialog.Menu || !dialog.Text) return;
    dialog.TextOX = dialog.TextOY = 0;
    dialog.MenuPosition();
    const float top = dialog.Caption->Y + dialog.Caption->CalcHeight();
    const float height = dialog.Text->CalcHeight();
    dialog.TextOX = dialog.x + dialog.BoxBorderH + dialog.TextBorder;
    dialog.TextOY = static_cast<int>(std::floor(top + (dialog.Menu->y - top - height) / 2 + 0.5f));
    dialog.MenuPosition();
}

// A name dialog's OK with nothing typed says why nothing happened.
void RefuseEmptyName(TDialogTextInput& dialog) {
    dialog.ErrorCheckFunc = [](const std::string& text, std::string& message) {
        if (text.find_first_not_of(" \t") != std::string::npos) return 1;
        message = ScreenText("Name Needed");
        return -1;
    };
    dialog.ErrorDialogFunc = [](const std::string& text) { return CreateMessageDialog(text); };
}

std::shared_ptr<TDialogTextInput> TextDialog(const std::string& caption, int maxLength, const std::string& panel,
                                             int border, int cancel) {
    auto dialog = TDialogTextInput::Create(caption, "", maxLength, PanelPicture(panel), 0, 0, 0, 0);
    CommonStyle(*dialog, palette::Text);
    dialog->BoxBorderH = border;
    dialog->Gap = 11;
    dialog->BoxImage = PanelPicture("inputfield");
    dialog->BoxImageCorner = 8;
    dialog->TextInput->AllowExtendedChars = 1;
    // A name stays as the player typed it ("dave", "iPad game").
    dialog->UppercaseFirstChar = 0;
    // The player always sees where typing goes, and that it stopped going.
    dialog->TextInput->CursorAtMaxLength = 1;
    dialog->TextInput->RefusedSound = BankSound("buttonMO");
    dialog->MenuCreate(cancel, 50);
    dialog->SetupText(Resources.Font20, Colour(palette::Text), TShadow::Create(1, 1, 0.6f), 0, nullptr);
    if (auto ok = dialog->Menu ? dialog->Menu->FindButton("OK") : nullptr) ok->OKButton = 1;
    CentreEntryBox(*dialog);
    Game->FixedRateLogic->Init();
    return dialog;
}
}  // namespace

std::shared_ptr<TButton> MenuAddToggle(const std::shared_ptr<TMenu>& menu, int on, const std::string& name) {
    auto p = TogglePictures(name, on);
    return menu->AddNew(p.Normal, p.MouseOver, name, 0, 0, 1);
}

void ToggleSetState(const std::shared_ptr<TMenu>& menu, const std::shared_ptr<TButton>& button, int on) {
    Reload(menu, button, TogglePictures(button->name, on));
}

std::shared_ptr<TButton> MenuAddRadio(const std::shared_ptr<TMenu>& menu, const std::string& name,
                                      const std::string& selected, int onMouseOver) {
    auto p = RadioPictures(name, selected, onMouseOver);
    return menu->AddNew(p.Normal, p.MouseOver, name, 0, 0, 1);
}

void RadioSelect(const std::shared_ptr<TMenu>& menu, const std::string& selected, int onMouseOver) {
    for (auto& button : menu->Items) Reload(menu, button, RadioPictures(button->name, selected, onMouseOver));
}

std::shared_ptr<TDialogTextInput> CreateHighScoreNameDialog(int cancel, int place, const std::string& message) {
    auto dialog = TextDialog(message + std::to_string(place) + "!", HighScoreNameChars, "inputlong", 80, cancel);
    RefuseEmptyName(*dialog);
    return dialog;
}

std::shared_ptr<TDialogTextInput> CreateSaveNameDialog(int cancel, const std::string& prompt) {
    auto dialog = TextDialog(prompt, 14, "input", 40, cancel);
    dialog->TextInput->BannedChars = SaveNameBannedChars;
    RefuseEmptyName(*dialog);
    return dialog;
}

std::shared_ptr<TDialogTextInput> CreateCodeDialog(const std::string& prompt) {
    auto dialog = TextDialog(prompt, CodeInputChars, "inputlong", 80, 1);
    dialog->TextInput->AllowExtendedChars = 0;
    dialog->UppercaseFirstChar = 0;
    return dialog;
}

std::shared_ptr<TDialogOK> CreateMessageDialog(const std::string& text) {
    auto dialog = TDialogOK::Create(text, PanelPicture("inputlong"), 0, 0, 0);
    CommonStyle(*dialog, palette::Warning);
    CentreCaptionAboveMenu(*dialog);
    Game->FixedRateLogic->Init();
    dialog->Start();
    return dialog;
}

std::shared_ptr<TDialogYesNo> CreateYesNoDialog(const std::string& text) {
    FlushKeys();
    auto dialog = TDialogYesNo::Create(text, PanelPicture("inputlong"), 0, 0, 0, 1, 50);
    CommonStyle(*dialog, palette::Text);
    CentreCaptionAboveMenu(*dialog);
    Game->FixedRateLogic->Init();
    dialog->Start();
    return dialog;
}
