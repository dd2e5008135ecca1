// SPDX-License-Identifier: GPL-3.0-or-later
// The game object: defaults, display-mode creation with its fallbacks, the
// toggles that re-create it, priorities and the orderly shut-down.
#include "framework/core/game.h"

#include <algorithm>

#include "framework/audio/channels.h"
#include "framework/core/input.h"
#include "framework/paths/errors.h"
#include "framework/paths/paths.h"
#include "framework/paths/screenshot.h"
#include "framework/screens/screen.h"
#include "framework/settings/ini_file.h"
#include "framework/widgets/pointer.h"
#include "framework/util/sysinfo.h"
#include "framework/widgets/sprite.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

std::shared_ptr<TGame> Game;
int ScreenWidth = 800;
int ScreenHeight = 600;
float Delta = 0.0f;
int FadeTime = 500;
int Checkpoint = 0;
int FlipSync = 1;
int StartTime = 0;

TGame::TGame()
    : Ini(std::make_shared<TIniFile>()),
      FixedRateLogic(std::make_shared<TFixedRateLogic>()),
      LogicTime(std::make_shared<TDebugVar>()),
      DrawTime(std::make_shared<TDebugVar>()),
      CodeTime(std::make_shared<TDebugVar>()),
      FPS(std::make_shared<TFPSCounter>()),
      LoadingScreen(std::make_shared<TLoadingScreen>()),
      ExitScreen(std::make_shared<TExitScreen>()),
      GameFade(std::make_shared<TGameFade>()),
      Mouse(std::make_shared<TMousePointer>()),
      HighScores(std::make_shared<THighScoreList>()) {
    PausedMusicState = Music;
    PausedSpeechState = Speech;
    // A game just made has had no input yet, but nothing has settled either.
    NoteInput();
}

TGame::~TGame() = default;

int TGame::Init(int soundDriverChoice, int /*unused*/) {
    Checkpoint = 1;
    platform::SeedRnd(platform::MilliSecs());
    FixedRateLogic->Label = "Ticks   ";
    LogicTime->Label = "Logic   ";
    DrawTime->Label = "Draw    ";
    CodeTime->Label = "Code    ";
    FPS->Label = "FPS     ";
    if (UseCorrectPath) PrepareSharedFolder();

    Checkpoint = 3;
    std::string program = ReleaseAppFile(platform::AppFile());
    Ini->FileName = UseCorrectPath ? SubPath + platform::StripAll(program) : platform::StripExt(program);
    Checkpoint = 4;
    IniFill();
    Checkpoint = 5;
    if (SavingOff.empty() && platform::FileType(Ini->FileName + ".ini") != platform::FILETYPE_FILE &&
        platform::FileType(DataPrefix + DataFolder + "default.ini") == platform::FILETYPE_FILE) {
        Checkpoint = 5001;
        platform::CopyFile(DataPrefix + DataFolder + "default.ini", Ini->FileName + ".ini");
    }
    Checkpoint = 5002;
    Ini->Load();
    Checkpoint = 6;
    IniExtract();

    Checkpoint = 6001;
    if (SavingOff.empty() && !ProfilePath.empty() && platform::FileType(ProfilePath) != platform::FILETYPE_DIR) {
        Checkpoint = 6002;
        if (!platform::CreateDir(ProfilePath, false))
            ShowError("Cannot create shared profiles folder " + ProfilePath, 1);
    }

    Checkpoint = 7;
    SetFlipSync();
    Checkpoint = 8;
    Checkpoint = 8001;
    std::string first;
    switch (soundDriverChoice) {
        case 1: first = "FreeAudio"; break;
        case 2: first = "DirectSound"; break;
        case 3: first = "OpenAL Generic Software"; break;
        default: first = SoundDriver == "None" ? "FreeAudio" : SoundDriver; break;
    }
    ChangeSoundDriver(first, 0);
    Checkpoint = 8002;
    OSVersion = platform::OSName();
    SoundDriver = "OpenAL Generic Software";
    ChangeSoundDriver(SoundDriver, 0);
    Checkpoint = 8004;
    FixedRateLogic->Create();
    Checkpoint = 2;
    MusicChannel = platform::AllocChannel();
    SpeechChannel = platform::AllocChannel();
    EscapeChannel = platform::AllocChannel();
    Checkpoint = 9;
    return 0;
}

int TGame::GraphicsCreate() {
    auto& display = platform::Display();
    Checkpoint = 100;
    if (display.CountModes() <= 0) throw RuntimeError("No 3D Hardware Found (could not count graphics modes.)");

    bool selected = false;
    bool directX = display.DriverAvailable(platform::GfxDriver::DirectX7);
    bool openGL = display.DriverAvailable(platform::GfxDriver::OpenGL);
    if (Driver == 0) {
        Checkpoint = 101;
        if (directX) {
            Checkpoint = 10101;
            std::string version = DirectXVersionName();
            if (version == "1.0" || version == "2.0" || version == "3.0" || version == "5.0" || version == "6.0")
                ShowError("Sorry, you need DirectX V7.0 or higher!", 1);
            DirectXVersion = version;
            Checkpoint = 102;
            selected = display.SelectDriver(platform::GfxDriver::DirectX7, platform::GRAPHICS_BACKBUFFER);
        } else {
            Checkpoint = 103;
            if (openGL) {
                Checkpoint = 104;
                selected = display.SelectDriver(platform::GfxDriver::OpenGL, platform::GRAPHICS_BACKBUFFER);
                Driver = 1;
                Checkpoint = 105;
                IniUpdate(1);
            }
        }
    } else {
        Checkpoint = 106;
        if (openGL) {
            Checkpoint = 107;
            selected = display.SelectDriver(platform::GfxDriver::OpenGL, platform::GRAPHICS_BACKBUFFER);
        } else {
            Checkpoint = 108;
            if (directX) {
                Checkpoint = 109;
                selected = display.SelectDriver(platform::GfxDriver::DirectX7, platform::GRAPHICS_BACKBUFFER);
                Driver = 0;
                Checkpoint = 110;
                IniUpdate(1);
            }
        }
    }
    if (!selected) {
        Checkpoint = 111;
        throw RuntimeError("No DirectX or OpenGL 3D Drivers Found!");
    }

    if (FirstTime) {
        Checkpoint = 112;
        FirstTime = 0;
        DesktopRefreshRate = 60;
        if (directX) {
            Checkpoint = 113;
            DesktopRefreshRate = display.DesktopRefreshRate();
        }
        display.DesktopSize(DesktopWidth, DesktopHeight);
    }

    display.SetWindowedSize(WindowWidth, WindowHeight);
    if (FullScreen) {
        const int depths[] = {32, 24, 16};
        const int checkpoints[] = {114, 115, 116};
        bool created = false;
        for (int i = 0; i < 3 && !created; ++i) {
            Checkpoint = checkpoints[i];
            if (display.ModeExists(ScreenWidth, ScreenHeight, depths[i], 0) &&
                display.CreateGraphics(ScreenWidth, ScreenHeight, depths[i], Hertz, platform::GRAPHICS_BACKBUFFER)) {
                Depth = depths[i];
                created = true;
            }
        }
        if (!created) {
            Checkpoint = 117;
            ForceWindowedMode = 1;
            FullScreen = 0;
        }
    }
    if (!FullScreen) {
        Checkpoint = 118;
        if (!display.CreateGraphics(ScreenWidth, ScreenHeight, 0, DesktopRefreshRate, platform::GRAPHICS_BACKBUFFER)) {
            Checkpoint = 11801;
            throw RuntimeError("Cannot create Windowed Mode at " + std::to_string(ScreenWidth) + "x" +
                               std::to_string(ScreenHeight) + " " + std::to_string(DesktopRefreshRate) + "Hz");
        }
        Depth = 0;
        Checkpoint = 119;
        WindowHandle = GetActiveWindowSafe();
        Checkpoint = 130;
        display.CentreWindow();
        Checkpoint = 131;
        SetWindowCoords();
        SetClientCoords();
        // Checkpoint 132 is where the window gains its minimise box; SDL windows have one.
        Checkpoint = 132;
    } else {
        Checkpoint = 133;
        WindowHandle = GetActiveWindowSafe();
    }

    Checkpoint = 134;
    UsePlatformInput = 0;
    platform::SetPolledInput(false);
    Checkpoint = 135;
    SetPriority();
    GameRefreshRate = -1;
    if (directX) {
        Checkpoint = 136;
        Checkpoint = 137;
        GameRefreshRate = display.WindowRefreshRate();
    }
    Checkpoint = 138;
    display.SetWindowIcon(ImagePath + "icon.png");
    Checkpoint = 139;
    return 0;
}

int TGame::GetActiveWindowSafe() { return platform::Display().WindowHandle(); }

int TGame::SetPriority() {
    int process = FullScreen ? FullScreenProcess : WindowedProcess;
    int thread = FullScreen ? FullScreenThread : WindowedThread;
    platform::SetProcessPriority(process);
    platform::SetThreadPriority(thread);
    return 0;
}

int TGame::ToggleFullScreen() {
    if (FullScreen) {
        FullScreen = 0;
    } else {
        if (ForceWindowedMode) return 0;
        FullScreen = 1;
        platform::HideMouse();
    }
    if (Mouse) Mouse->ClearButtons();
    GraphicsCreate();
    RestoreMouseCoords();
    IniUpdate(1);
    FixedRateLogic->Init();
    FixedRateLogic->HistoryClear();
    return 0;
}

int TGame::ToggleVSync() {
    VSync = VSync ? 0 : 1;
    IniUpdate(1);
    SetFlipSync();
    FixedRateLogic->Init();
    FixedRateLogic->HistoryClear();
    return 0;
}

int TGame::SetDriver(int driver) {
    int wanted = driver == 0 ? 0 : 1;
    if (wanted == Driver) return 0;
    Driver = wanted;
    platform::Display().CloseGraphics();
    GraphicsCreate();
    if (Mouse) platform::MoveMouse(Mouse->x, Mouse->y);
    IniUpdate(1);
    FixedRateLogic->Init();
    FixedRateLogic->HistoryClear();
    FlushInput();
    return 1;
}

int TGame::TrackWindowSize() {
    if (FullScreen) return 0;
    int w = 0, h = 0;
    platform::Display().ClientSize(w, h);
    if (w <= 0 || h <= 0) return 0;
    const unsigned now = static_cast<unsigned>(platform::MilliSecs());
    if (w != WindowWidth || h != WindowHeight) {
        WindowWidth = w;
        WindowHeight = h;
        WindowSizeUnsaved = true;
        WindowSizeChangedAt = static_cast<int>(now);
        return 0;
    }
    // Dragging a window's edge resizes it many times a second; the file is
    // written once the size has stayed put for a moment.
    constexpr unsigned SettleMs = 500;
    // Saved without the changed-settings marker: a size the player dragged the
    // window to cannot stop the game, and a crash soon after it (of anything)
    // would otherwise throw away every setting for the shipped defaults.
    if (WindowSizeUnsaved && now - static_cast<unsigned>(WindowSizeChangedAt) >= SettleMs) {
        IniUpdate(0);
        FixedRateLogic->Init();
    }
    return 0;
}

int TGame::SetWindowCoords() {
    int x = 0, y = 0, w = 0, h = 0;
    platform::Display().WindowRect(x, y, w, h);
    WindowX = x;
    WindowY = y;
    return 0;
}

int TGame::SetClientCoords() {
    platform::Display().ClientPos(ClientX, ClientY);
    return 0;
}

int TGame::RestoreMouseCoords() {
    if (!Mouse) return 0;
    if (FullScreen) {
        Mouse->x = std::clamp(Mouse->x, 0, ScreenWidth - 1);
        Mouse->y = std::clamp(Mouse->y, 0, ScreenHeight - 1);
    }
    platform::MoveMouse(Mouse->x, Mouse->y);
    return 0;
}

int TGame::SpritePausedCreate(const std::string& image) {
    SpritePaused = TSprite::CreateFromFile(image, 0, 0, 1, -1);
    return 0;
}

int TGame::Fading() { return GameFade && GameFade->Active ? 1 : 0; }

int TGame::FadeOff() {
    NoFade = 1;
    return 0;
}

int TGame::ParticlesSet(int value, int save) {
    Particles = std::clamp(value, 0, 100);
    if (save == 1) {
        IniUpdate(1);
        FixedRateLogic->Init();
    }
    return 0;
}

int TGame::ParticlesChange(int delta) {
    Particles = std::clamp(Particles + delta, 0, 100);
    IniUpdate(1);
    FixedRateLogic->Init();
    return 0;
}

float TGame::CalcAnimLength(float ms) { return ms / FixedRateLogic->MS / CurrentSpeed; }

float TGame::CalcAnimLengthFromFloat(float ms) { return ms / FixedRateLogic->MS / CurrentSpeed; }

int TGame::CalcMilliSecsFromFrames(float steps) {
    return static_cast<int>(steps * FixedRateLogic->MS * CurrentSpeed);
}

int TGame::Kill() {
    if (MusicChannel) MusicChannel->Stop();
    if (SpeechChannel) SpeechChannel->Stop();
    if (EscapeChannel) EscapeChannel->Stop();
    MusicChannel.reset();
    SpeechChannel.reset();
    EscapeChannel.reset();
    ChannelsKill();
    return 0;
}

int TGame::TakeScreenshot() {
    if (SavingOff.empty()) SaveScreenshot(UseCorrectPath ? SubPath : "");
    FlushKeys();
    FixedRateLogic->Init();
    return 0;
}

int TGame::DeleteAllProfiles() {
    auto entries = platform::LoadDir(ProfilePath);
    if (!entries) return 0;
    for (const auto& entry : *entries) {
        if (entry == "." || entry == "..") continue;
        if (platform::ExtractExt(entry) == "dat") platform::DeleteFile(ProfilePath + entry);
    }
    return 0;
}

int TGame::ProfileFolderInUse() {
    auto entries = platform::LoadDir(ProfilePath);
    if (!entries) return ShowError("Failed to read directory '" + ProfilePath + "'", 1);
    for (const auto& entry : *entries) {
        if (entry == "." || entry == "..") continue;
        if (platform::ExtractExt(entry) == "dat" && entry != ".dat") return 1;
    }
    return 0;
}

int TGame::MoveBar(float progress) {
    if (LoadingScreen) LoadingScreen->Progress = progress;
    return 0;
}

void TGame::ShutDown() {
    MakeGoodExit();
    Kill();
    platform::ShowMouse();
    ShutDownHook();
    platform::EndProcess(ExitCode);
}
