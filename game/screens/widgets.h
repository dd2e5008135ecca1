// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's toggle and radio buttons and its dialogs in one common look.
#include <memory>
#include <string>

class TMenu;
class TButton;
class TDialogTextInput;
class TDialogOK;
class TDialogYesNo;

std::shared_ptr<TButton> MenuAddToggle(const std::shared_ptr<TMenu>& menu, int on, const std::string& name);
void ToggleSetState(const std::shared_ptr<TMenu>& menu, const std::shared_ptr<TButton>& button, int on);
std::shared_ptr<TButton> MenuAddRadio(const std::shared_ptr<TMenu>& menu, const std::string& name,
                                      const std::string& selected, int onMouseOver);
void RadioSelect(const std::shared_ptr<TMenu>& menu, const std::string& selected, int onMouseOver);

// The pictures a toggle or radio button shows: plain and under the pointer.
struct TButtonPictures {
    std::string Normal, MouseOver;
};
TButtonPictures TogglePictures(const std::string& name, int on);
TButtonPictures RadioPictures(const std::string& name, const std::string& selected, int onMouseOver);

std::shared_ptr<TDialogTextInput> CreateHighScoreNameDialog(int cancel, int place, const std::string& message);
std::shared_ptr<TDialogTextInput> CreateSaveNameDialog(int cancel, const std::string& prompt);
// Room for the code of any generated puzzle and of small typed-in ones; longer codes
// come in through the clipboard.
inline constexpr int CodeInputChars = 40;
// A puzzle code typed in: letters, digits and dashes, OK and Cancel.
std::shared_ptr<TDialogTextInput> CreateCodeDialog(const std::string& prompt);
std::shared_ptr<TDialogOK> CreateMessageDialog(const std::string& text);
std::shared_ptr<TDialogYesNo> CreateYesNoDialog(const std::string& text);

// How much a game dialog darkens everything behind it.
inline constexpr float DialogDimming = 0.5f;
// The dialog panels' pictures leave this much transparent margin above the panel.
inline constexpr int PanelMarginTop = 3;

// Characters a save name may not hold: they would break the file name.
inline constexpr const char* SaveNameBannedChars = "\"|*\\/:;~?<>";
