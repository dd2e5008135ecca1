// Toggle and radio buttons, and the game's dialogs.
#include "game/screens/widgets.h"

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/paths/errors.h"
#include "framework/util/strings.h"
#include "framework/widgets/button.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
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
    if (ImageBank)
        if (auto picture = ImageBank->FindTImage(name)) return picture;
    auto picture = platform::LoadImage(Game->ImagePath + name + ".png");
    if (!picture) ShowError("Could not load the picture " + name, 1);
    return picture;
}

void CommonStyle(TDialog& dialog, int red) {
    dialog.DrawHighlight = 0;
    dialog.Shadow = TShadow::Create(3, 3, 0.4f);
    dialog.SetupCaption(Font20, red ? TColor::Create(255, 0, 0, 1.0f) : TColor::Create(255, 255, 255, 1.0f),
                        TShadow::Create(1, 1, 0.6f), nullptr);
}

std::shared_ptr<TDialogTextInput> TextDialog(const std::string& caption, int maxLength, const std::string& panel,
                                             int border, int cancel) {
    auto dialog = TDialogTextInput::Create(caption, "", maxLength, PanelPicture(panel), 0, 0, 0, 0);
    CommonStyle(*dialog, 0);
    dialog->BoxBorderH = border;
    dialog->Gap = 11;
    dialog->TextInput->AllowExtendedChars = 1;
    dialog->MenuCreate(cancel, 50);
    dialog->SetupText(Font20, TColor::Create(255, 255, 255, 1.0f), TShadow::Create(1, 1, 0.6f), 0, nullptr);
    if (auto ok = dialog->Menu ? dialog->Menu->FindButton("OK") : nullptr) ok->OKButton = 1;
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
    return TextDialog(message + std::to_string(place) + "!", 13, "inputlong", 80, cancel);
}

std::shared_ptr<TDialogTextInput> CreateSaveNameDialog(int cancel, const std::string& prompt) {
    auto dialog = TextDialog(prompt, 14, "input", 40, cancel);
    dialog->TextInput->BannedChars = SaveNameBannedChars;
    return dialog;
}

std::shared_ptr<TDialogOK> CreateMessageDialog(const std::string& text) {
    auto dialog = TDialogOK::Create(text, PanelPicture("inputlong"), 0, 0, 0);
    CommonStyle(*dialog, 1);
    Game->FixedRateLogic->Init();
    dialog->Start();
    return dialog;
}

std::shared_ptr<TDialogYesNo> CreateYesNoDialog(const std::string& text) {
    FlushKeys();
    auto dialog = TDialogYesNo::Create(text, PanelPicture("inputlong"), 0, 0, 0, 1, 50);
    CommonStyle(*dialog, 0);
    Game->FixedRateLogic->Init();
    dialog->Start();
    return dialog;
}
