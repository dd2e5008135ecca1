// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The play setup screen, the generating overlay and the puzzle play screen.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/screens/screen.h"

class TAnimation;
class TButton;
class TCrossFade;
class TDialogOK;
class TDialogTextInput;
class TDialogYesNo;
class TGameSound;
class TMenu;
class TParticleList;
class TSprite;
namespace platform {
class Channel;
class ImageFont;
}

// Dims whichever screen owns it, shows "generating" or "solving", and does the
// slow work in the first frame after it is fully faded in.
class TGenerateScreen : public TScreen {
public:
    int Active = 0;
    int MouseState = 0;
    std::shared_ptr<TGameSound> ActivateSound;
    std::shared_ptr<TGameSound> DeactivateSound;
    std::shared_ptr<platform::Channel> Channel;
    std::shared_ptr<TAnimation> FadeIn;
    std::shared_ptr<TAnimation> FadeOut;
    int HasGenerated = 0;

    int Load() override;
    int Kill() override;
    int Logic() override;
    int Draw() override;
    virtual int Show(int playSound);
    virtual int Hide();
};

class VTEndLevelMenu {
public:
    virtual ~VTEndLevelMenu() = default;
    std::shared_ptr<TMenu> Menu;
    int X = 400, Y = 300;
    int orgX = 0, orgY = 0;
    int Selected = 0;  // 1 next puzzle, 2 restart, 3 back
    int Show = 0;

    virtual int Init(int originX, int originY);
    virtual int PositionMenu();
    virtual int Logic(int allowNext, int allowRestart, int allowBack);
    virtual int Draw(int showNext, int showRestart, int showBack);
};

// One button of the play screen's aid menu. A toggle shows its State (a
// plain button has none); a key, when given, does the same as a click.
struct TPuzzleAid {
    std::string Name;
    std::function<int()> State;
    std::function<void()> Act;
    int Key = 0;
};

class TGameScreen : public TScreen {
public:
    std::shared_ptr<TMenu> NumberMenu;
    std::shared_ptr<TMenu> CustomNumberMenu;
    std::shared_ptr<TMenu> MainMenu;
    std::shared_ptr<TMenu> PuzzleMenu;
    std::shared_ptr<TMenu> CustomPuzzleMenu;
    std::shared_ptr<TDialogYesNo> RestartInput;
    std::shared_ptr<TDialogYesNo> NewInput;
    std::shared_ptr<TDialogYesNo> QuitInput;
    std::shared_ptr<TDialogTextInput> NameInput;
    std::shared_ptr<TDialogTextInput> SaveGameNameInput;
    std::shared_ptr<TDialogTextInput> VerticalSumInput;
    std::shared_ptr<TDialogTextInput> HorizontalSumInput;
    std::shared_ptr<TDialogOK> OKInput;
    std::shared_ptr<TCrossFade> CrossFade;
    int LastFade = 0;
    int LastImage = 1;
    int ShowingInput = 0;
    int LastMouseZ = 0;
    int LastTime = 0;
    int DidPauseOrSuspend = -1;
    std::shared_ptr<VTEndLevelMenu> endLevelMenu;
    // The aid menu's buttons, top to bottom.
    std::vector<TPuzzleAid> PuzzleAids;
    // Continue sets it to the kept puzzle's time; Start then sets the clock.
    int ResumeElapsedMs = -1;
    // The board as last autosaved (its change count) and when the timer last looked.
    int LastAutosaveChanges = 0;
    int LastAutosaveTime = 0;
    // Escape took an explanation away; it opens nothing until it is let go.
    int SwallowEscape = 0;

    int Load() override;
    int Start() override;
    int Logic() override;
    int Draw() override;
    // Leaving the board keeps the puzzle in progress.
    int Kill() override;
    // A puzzle being thought over gets no input for minutes; a solved one is
    // only on show.
    int KeepAwake() override;

    // Writes the autosave when the puzzle on the board is one to keep.
    void Autosave();
    // Ctrl+Z and Ctrl+Y (Ctrl+Shift+Z): 1 when the board changed.
    int Undo();
    int Redo();
    static constexpr int AutosaveIntervalMs = 30000;

    // One tick of the wheel: +1 (rolled towards the player) or -1, folded
    // onto the tools of the current mode.
    static int WheelStep(int selected, int step, int customMode);
    // Keeps the paused or suspended time out of the puzzle clock.
    void FreezeTimer();
    void DrawGradeLine(float x, float y);
    void FireworkBurst(int x, int y);

private:
    void EndOfPuzzle();
    void ManageDialogs();
    void AddPuzzleAids();
    void ManagePuzzleAids();
    // Undo and redo from the keyboard, and in play the cursor, digits,
    // erasure and marks; with act 0 the keys' hits are only used up.
    void BoardKeys(int act);
    void SelectNumbers();
    void SetToggles();
    void OpenClueDialogs();
    // A typed clue that cannot be: the player is told why and asked again. True when refused.
    bool RefuseClue(int direction, int clue);
    // The clue dialog to open again once the refusal is read: 1 + Horizontal or 1 + Vertical, 0 none.
    int RetypeClue = 0;
    void ShowNotice(const std::string& message);
    // "Explain a Step" and H: shows the next step, or carries out the one shown.
    void ExplainStep();
    void ApplyExplainedStep();
    // Any other action puts the shown step away.
    void DismissExplanation(int pressed, int keyed);
};

class TPlayScreen : public TScreen {
public:
    float x = 0, y = 0;
    std::shared_ptr<TMenu> SizeMenu;
    std::shared_ptr<TMenu> DifficultyMenu;
    std::shared_ptr<TMenu> MainMenu;
    std::string ChosenDifficulty;
    std::string ChosenSize;
    std::shared_ptr<class TSaveGameManager> SaveGameManager;
    // A saved game that could not be loaded is explained here; the player stays.
    std::shared_ptr<TDialogOK> MessageDialog;
    std::shared_ptr<TSprite> SizeLabel;
    std::shared_ptr<TSprite> DifficultyLabel;

    int Load() override;
    int Start() override;
    int Logic() override;
    int Draw() override;
    int SetEscDestination() override;
    virtual int ShowSaveGameManager();
};

// The sheet of paper under the board, as every play background draws it.
struct PaperRect {
    int x, y, w, h;
};
inline constexpr PaperRect PaperSheet{212, 24, 480, 480};
// Firework sparks read on both grounds: light over the dark ground, a deep
// ink of their own hue over the paper.
void DrawFireworks(TParticleList& list);
// The ink a spark of colour (r, g, b) becomes on the paper.
void FireworkInk(int& r, int& g, int& b);

// The play screen's help line: its last line's top, the distance between its
// lines, and the width it may fill.
inline constexpr int HelpLineY = 565, HelpLineGap = 25, HelpLineWidth = 760;
// A help text laid out so that it stays on the dark ground below the paper
// (white on cream cannot be read): lines after the first are wrapped across
// the whole width when there are too many of them. Measured in that font.
std::string KeepBelowPaper(const std::string& message, const std::shared_ptr<platform::ImageFont>& font);

// The help line of a solved puzzle: why its time is not a best time, and the
// explained steps it took, when there is anything to say.
std::string FinishedMessage();

std::string SizeName(int width);
std::string DifficultyButtonName(int difficulty);

extern std::shared_ptr<TGameScreen> GameScreen;
extern std::shared_ptr<TPlayScreen> PlayScreen;
extern std::shared_ptr<TScreen> TitleScreen;
extern std::shared_ptr<TGenerateScreen> GenerateScreen;
extern std::shared_ptr<TParticleList> Fireworks;
extern int LastFireworkTime;

class TGameImage;
// From the image bank, else the data archive, else the picture folder.
std::shared_ptr<TGameImage> ScreenPicture(const std::string& name);
// Fade-out towards destination; nullptr means the exit screen.
void FadeToScreen(const std::shared_ptr<TScreen>& destination);
// Hover and click sounds of the menu screens.
std::shared_ptr<TMenu> NewScreenMenu(int gap);
// The sparkles that follow the pointer on the menu screens.
void UseSparkleTrail();

// The title's Continue: the autosaved puzzle onto the board and a fade over to
// it. 0 when there was none to load (a damaged one is removed and logged).
int ContinuePuzzle();

// Start-up, before anything is read from disk: the banks, the screens and the
// core's hooks.
void CreateGameObjects();
// The sounds and pictures every screen shares, from the data folders and the
// archive; a missing one ends the program with its name.
void LoadSharedResources();
// Both of the above, for callers that set up the game by hand.
void CreateGameScreens();
// Start-up, after the display exists: the shared resources, the pointer, the
// high-score tables, and the title screen started as the current screen.
void LoadGameResources();
