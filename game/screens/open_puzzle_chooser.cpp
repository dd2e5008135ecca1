// SPDX-License-Identifier: GPL-3.0-or-later
// The puzzle file chooser.
#include "game/screens/open_puzzle_chooser.h"

#include <algorithm>

#include "framework/widgets/button.h"
#include "framework/widgets/list_box.h"
#include "tallyfold/platform/files.h"

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The plain files of a folder, hidden ones left out, by name as a player reads it.
std::vector<std::string> PlainFiles(const std::string& folder, bool puzzleNamesOnly) {
    std::vector<std::string> names;
    if (folder.empty()) return names;
    if (auto listing = platform::LoadDir(folder)) {
        for (const auto& name : *listing) {
            if (name.empty() || name[0] == '.') continue;
            if (puzzleNamesOnly && !LooksLikePuzzleFileName(name)) continue;
            if (!platform::IsPlainFile(folder + name)) continue;
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = Lower(a), lb = Lower(b);
        return la != lb ? la < lb : a < b;
    });
    if (names.size() > MaxListedPuzzleFiles) names.resize(MaxListedPuzzleFiles);
    return names;
}

}  // namespace

bool LooksLikePuzzleFileName(const std::string& name) {
    const std::string lower = Lower(name);
    for (const char* ending : {".txt", ".puzzle", ".kakuro"}) {
        const std::string e = ending;
        if (lower.size() > e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0) return true;
    }
    return false;
}

std::shared_ptr<TOpenPuzzleChooser> TOpenPuzzleChooser::Create(const std::string& caption,
                                                               std::shared_ptr<platform::Image> background,
                                                               const std::string& puzzleFolder,
                                                               const std::string& homeFolder) {
    auto chooser = std::make_shared<TOpenPuzzleChooser>();
    chooser->PuzzleFolder = puzzleFolder;
    chooser->HomeFolder = homeFolder;
    chooser->Init(caption, std::move(background), 0, 0, 0, 0);
    chooser->ListBox = VTListBox::Create(10, 5, 0, 1, 500);
    chooser->MenuCreate(chooser->ButtonGap);
    chooser->FillList();
    return chooser;
}

int TOpenPuzzleChooser::MenuCreate(int gap) {
    Menu = TMenu::Create("buttonMO", "buttonclick", 0, 0, gap);
    Menu->SetShadow(1, 3, 3, 0.4f);
    // The chooser's own Manage opens with "Load"; there is no "Delete" here.
    for (const char* name : {"Cancel", "Load"}) Menu->AddQuick(name, name);
    Menu->MakeRow(gap);
    if (auto load = Menu->FindButton("Load")) load->OKButton = 1;
    return MenuPosition();
}

int TOpenPuzzleChooser::FillList() {
    ListBox->Strings.clear();
    Paths.clear();
    for (const auto& name : PlainFiles(PuzzleFolder, false)) {
        ListBox->Strings.push_back("puzzles/" + name);
        Paths.push_back(PuzzleFolder + name);
    }
    for (const auto& name : PlainFiles(HomeFolder, true)) {
        ListBox->Strings.push_back("~/" + name);
        Paths.push_back(HomeFolder + name);
    }
    ListBox->ClearIndex();
    return 0;
}

std::string TOpenPuzzleChooser::ChosenPath() const {
    if (!ListBox || ListBox->Index < 0 || ListBox->Index >= static_cast<int>(Paths.size())) return {};
    return Paths[static_cast<std::size_t>(ListBox->Index)];
}
