// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The saved-game chooser: a dialog listing the saves of one folder, with
// load, delete (after a confirmation), cancel and paging arrows.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/widgets/dialog.h"

class VTListBox;

class TSaveGameManager : public TDialog {
public:
    int ButtonGap = 10;
    int BoxBorderH = 20;
    int BoxBorderV = 20;
    int BoxY = 0;
    int DimWhenActive = 0;
    int DimWhenShowingDialogs = 0;
    int UpperFirstChar = 1;
    std::string Extension = "dat";
    std::string Directory;
    std::string DeleteMessage = "Do you want to delete this file?";
    std::shared_ptr<VTListBox> ListBox;
    std::function<std::shared_ptr<TDialogOK>(const std::string&)> ErrorDialogFunc;
    std::shared_ptr<TDialogOK> DialogOK;
    std::function<std::shared_ptr<TDialogYesNo>(const std::string&)> DialogYesNoFunc;
    std::shared_ptr<TDialogYesNo> DialogYesNo;
    std::shared_ptr<TMenu> MenuArrowUp;
    std::shared_ptr<TMenu> MenuArrowDown;
    int NavButtonsXPosition = -1;
    // The thin bar at the list's right edge that shows where the visible rows lie.
    static constexpr float PositionBarWidth = 4;
    int LastMouseZ = 0;
    // Beside each listed name, in the list's order: the save's board size, level,
    // progress and when it was saved, or that it cannot be loaded. Drawn at the
    // right of its row in DetailFont; a chooser without them leaves it empty.
    std::vector<std::string> Details;
    std::shared_ptr<platform::ImageFont> DetailFont;

    static std::shared_ptr<TSaveGameManager> Create(const std::string& caption,
                                                    std::shared_ptr<platform::Image> background, int flag, int x, int y,
                                                    const std::string& extension, const std::string& directory,
                                                    const std::string& deleteMessage);
    virtual int MenuArrowCreate();
    virtual int BoxSize();
    virtual int MenuCreate(int gap);
    // The saves of Directory (names without the extension) that Listable allows.
    virtual int FillList();
    virtual int DeleteSaveGameCheck();
    virtual int OKClick();
    virtual int CancelClick();
    virtual int ClickSound();
    int Start() override;
    int MenuPosition() override;
    // 1 a save was chosen (its name is ListBox->Value), -1 cancelled, 0 still open.
    int Manage() override;
    int Draw() override;
    int Kill() override;

    // As many rows as the list box holds whole.
    int VisibleRows() const;
    // Moves the visible rows by that many, within the list.
    void MoveWindow(int rows);
    // Drawn only while the list is longer than the rows shown.
    int DrawPositionBar();
    void DrawDetails();
    // Up and Down, Page Up and Page Down, Home and End: the choice moves that
    // many rows (clamped to the list) and the visible rows follow it.
    void MoveChoice(int rows);
    // What the list tells of the save at path (its modified time in seconds, -1 unknown).
    static std::string DescribeSave(const std::string& path, long long savedAt);
    // A name the manager offers: one saving would accept, not reserved by the
    // game, with a regular file of its own in Directory.
    bool Listable(const std::string& name) const;

private:
    void ResetWindow();
    void ManageKeys();
};
