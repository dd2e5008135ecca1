// SPDX-License-Identifier: GPL-3.0-or-later
// Tallyfold's entry: one instance, the game object, the display mode, the loop,
// and the orderly shut-down however the program ends.
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "framework/archive/pak_manager.h"
#include "framework/audio/channels.h"
#include "framework/audio/sound_bank.h"
#include "framework/core/game.h"
#include "framework/core/input.h"
#include "framework/paths/errors.h"
#include "framework/paths/paths.h"
#include "framework/screens/screen.h"
#include "framework/settings/ini_file.h"
#include "framework/text/game_text.h"
#include "framework/widgets/image_bank.h"
#include "game/core/core.h"
#include "game/core/options.h"
#include "game/screens/puzzle_opening.h"
#include "game/screens/screens.h"
#include "game/screens/session.h"
#include "game/screens/shell.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

namespace {

// A second copy of the game on the same data folder: it leaves at once,
// without touching any file of the running one.
struct AlreadyRunning {};
// The lock cannot be taken at all: the game does not run, and leaves every file
// as it is, since another copy may be writing them.
struct LockUnusable {};

std::string TextOr(const std::string& key, const std::string& fallback) {
    std::string text = Resources.GameText ? Resources.GameText->FindString(key) : std::string();
    return text.empty() ? fallback : text;
}

// False when the player asked to close the game while it was starting: the
// splash gives way at once and the rest of the start is skipped.
bool StartUp() {
    Game = std::make_shared<TVellacorGame>();
    Game->FullScreen = 1;
    // Defaults that the settings file overrides.
    Game->Audio->MusicSetVolume(50, 0);
    Game->Audio->SoundSetVolume(50, 0);
    // Absolute, so that the player's working folder stays theirs and the
    // game runs alike from a build tree and from an installed prefix.
    Game->Paths->DataFolder = FindDataFolder(platform::AppDir());
    Game->Paths->SetSubPathWrapper("Vellacor Games/Tallyfold", 0);
    // Before anything reads or writes there, so that two copies never share the folder.
    const int locked = Game->Paths->LockSharedFolder();
    if (locked == 0) throw AlreadyRunning{};
    if (locked < 0) throw LockUnusable{};
    // Before Init, so that Init reads the restored settings after a crash.
    Game->Settings->CheckGoodExit();
    Game->Init();
    Game->Audio->ChannelsCreate(16);
    Game->Channels->MaxVol = 16.0f;
    Game->Audio->SetEscapeSound("buttonclick");
    Game->StartTime = platform::MilliSecs();
    Game->FadeMouse = 1;
    Game->FixedRateLogic->JitterCorrection = 0;
    Game->Audio->MusicFadeIn = 0.0f;
    Game->PauseOnLossOfFullScreenFocus = 1;
    Resources.GameText = TGameText::Create("gametext.txt");
    Resources.ResourcePath = Game->Paths->DataPrefix + Game->Paths->DataFolder + "resources/";
    if (platform::FileType(Resources.ResourcePath + "data.pak") != platform::FILETYPE_FILE)
        ShowError(TextOr("Data Pak Error", "The game's data file is missing:") + " " +
                      platform::RealPath(Resources.ResourcePath + "data.pak") + "\r\n" +
                      TextOr("Install Again", "Please install Tallyfold again."),
                  1);
    try {
        Resources.PakManager = TPakFileManager::Create(Resources.ResourcePath, ".pak");
    } catch (const RaisedText& damaged) {
        // A damaged archive is mended the same way as a missing one.
        throw RaisedText(std::string(damaged.what()) + "\r\n" +
                         TextOr("Install Again", "Please install Tallyfold again."));
    }
    CreateArchiveFonts(*Resources.PakManager, TALLYFOLD_SYSTEM_FONT);
    Game->IgnoreFrameworkKeys = 1;
    Resources.ImageBank->SetPath(Game->ImagePath);
    Resources.SoundBank->SetPath(Game->SoundPath);
    PlayModel().LoadGameOptions();
    PlayCore().Start();
    Game->Display->GraphicsCreate();
    platform::HideMouse();
    Game->PortalSplash = 0;
    // The splash sets its own picture's handle; every other picture gets its
    // handle from its screen, so the mode goes back to what it was.
    const bool autoMid = platform::AutoMidHandle();
    platform::SetAutoMidHandle(false);
    if (Game->Fade == 1) ShowSplash(Game->Sound);
    platform::SetAutoMidHandle(autoMid);
    if (platform::CloseRequestPending()) return false;
    LoadGameResources();
    FlushInput();
    Game->FixedRateLogic->Init();
    Game->NoTimingTicks = 3;
    return true;
}

constexpr const char* kHelp =
    "usage: tallyfold [--help | --version | [--] FILE]\n"
    "\n"
    "Tallyfold is a Kakuro (cross-sum) puzzle game. It opens its window on the\n"
    "display that DISPLAY or WAYLAND_DISPLAY names and keeps its settings, saved\n"
    "games and best times in $XDG_DATA_HOME/Vellacor Games/Tallyfold/. Given a\n"
    "puzzle FILE (see tallyfold-puzzle(5)), it starts with that puzzle on the board.\n"
    "Only one copy runs at a time. See tallyfold(6).\n"
    "\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n";

// What was printed reached its reader: a full disk or a closed pipe is an
// error, not a silent success.
int Printed(const std::string& text) {
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    if (std::fflush(stdout) == 0 && written) return 0;
    std::fprintf(stderr, "tallyfold: cannot write to standard output\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    // -1: start the game; otherwise the exit status.
    int early = -1;
    std::string puzzleFile;
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        early = Printed(kHelp);
    } else if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        early = Printed(std::string("tallyfold ") + TALLYFOLD_VERSION + "\n");
    } else if (argc > 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
                            std::strcmp(argv[1], "--version") == 0)) {
        std::fprintf(stderr,
                     "tallyfold: %s takes nothing after it, not %s\nTry 'tallyfold --help' for more information.\n",
                     argv[1], argv[2]);
        early = 2;
    } else if (argc == 2 && argv[1][0] != '-' && argv[1][0] != '\0') {
        puzzleFile = argv[1];
    } else if (argc == 3 && std::strcmp(argv[1], "--") == 0 && argv[2][0] != '\0') {
        puzzleFile = argv[2];
    } else if (argc > 1) {
        const bool option = argv[1][0] == '-' && std::strcmp(argv[1], "--") != 0;
        std::fprintf(stderr, "tallyfold: %s %s%s\nTry 'tallyfold --help' for more information.\n",
                     option ? "unknown option" : "unexpected argument", argc > 2 ? argv[2] : argv[1],
                     option ? "" : " (the game opens one puzzle file)");
        early = 2;
    }
    if (early >= 0) return early;

    platform::InstallTerminationSignals();
    platform::SetAppTitle("Tallyfold");
    platform::SetAppId(TALLYFOLD_APP_ID);
    // A picture the game can do without (a damaged double-size one) is noted, not shown.
    platform::SetImageProblemHook([](const std::string& text) { AppendErrorLog(text); });
    // Before the lock: a game that cannot be seen must not keep the next
    // start, from a real desktop, away as "already running".
    if (std::string reason; !platform::OpenDisplay(reason)) {
        std::fprintf(stderr, "tallyfold: %s\n", reason.c_str());
        return 1;
    }
    platform::SeedRnd(platform::MilliSecs());
    Resources.GameIni = std::make_shared<TIniFile>();
    CreateGameObjects();
    // Named from the folder the game was started in; checked when the game is up,
    // where a refusal can be shown to a player who started it from a file manager.
    if (!puzzleFile.empty())
        RequestOpenPuzzleFile(puzzleFile[0] == '/' ? puzzleFile : platform::CurrentDir() + "/" + puzzleFile);

    bool failed = false;
    try {
        if (StartUp()) {
            for (;;) {
                if (Game->MainLogicLoop() == -1) break;
                Game->ScreenDraw();
            }
        }
    } catch (const AlreadyRunning&) {
        const bool shown = platform::ShowRunningInstance(Game->Paths->InstanceLockPath());
        std::fprintf(stderr, "Tallyfold is already running%s.\n",
                     shown ? "; its window has been brought to the front" : " on this data folder");
        return 0;
    } catch (const LockUnusable&) {
        platform::Notify(Game->Paths->LockProblem, true);
        return 1;
    } catch (const std::exception& error) {
        ReportException(error);
        failed = true;
    } catch (...) {
        ReportUnknownException();
        failed = true;
    }
    if (!Game) return 1;
    if (failed) Game->ExitCode = 1;
    Game->ShutDown();
}
