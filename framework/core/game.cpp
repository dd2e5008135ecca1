// SPDX-License-Identifier: GPL-3.0-or-later
// The game object: defaults, display-mode creation with its fallbacks, the
// toggles that re-create it, priorities and the orderly shut-down.
#include "framework/core/game.h"

#include <algorithm>

#include "framework/audio/channels.h"
#include "framework/audio/sound_bank.h"
#include "framework/core/input.h"
#include "framework/paths/errors.h"
#include "framework/paths/paths.h"
#include "framework/paths/screenshot.h"
#include "framework/screens/screen.h"
#include "framework/settings/ini_file.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/pointer.h"
#include "framework/widgets/sprite.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

std::shared_ptr<TGame> Game;
float Delta = 0.0f;
TResources Resources = [] {
    TResources resources;
    resources.ImageBank = std::make_shared<TImageBank>();
    resources.SoundBank = std::make_shared<TSoundBank>();
    return resources;
}();

TGame::TGame()
    : Paths(std::make_unique<TPaths>(*this)),
      Audio(std::make_unique<TAudio>(
          *this, [this](int changed) { Settings->IniUpdate(changed); }, [this] { return Paused != 0; })),
      Settings(std::make_unique<TSettings>(*Paths)) {
    AddSettingsKeys();
    Settings->BeforeSave = [this] { WindowSizeUnsaved = false; };
    FixedRateLogic = std::make_shared<TFixedRateLogic>();
    ExitScreen = std::make_shared<TExitScreen>();
    GameFade = std::make_shared<TGameFade>();
    Mouse = std::make_shared<TMousePointer>();
    PausedMusicState = Music;
    PausedSpeechState = Speech;
    // A game just made has had no input yet, but nothing has settled either.
    NoteInput();
}

TGame::~TGame() = default;

TGameState* GameState() { return Game.get(); }

int TGame::GameSoundPlay(std::shared_ptr<platform::Channel>& channel, const std::shared_ptr<TGameSound>& sound,
                         float pan) {
    return Audio->GameSoundPlay(channel, sound, pan);
}
int TGame::SpeechStop() { return Audio->SpeechStop(); }
int TGame::GetMusicVolume() { return Audio->GetMusicVolume(); }

int TGame::Init() {
    platform::SeedRnd(platform::MilliSecs());
    if (Paths->UseCorrectPath) Paths->PrepareSharedFolder();

    std::string program = ReleaseAppFile(platform::AppFile());
    Settings->Ini->FileName =
        Paths->UseCorrectPath ? Paths->SubPath + platform::StripAll(program) : platform::StripExt(program);
    Settings->IniFill();
    if (SharedData.SavingOff.empty() &&
        platform::FileType(Settings->Ini->FileName + ".ini") != platform::FILETYPE_FILE &&
        platform::FileType(Paths->DataPrefix + Paths->DataFolder + "default.ini") == platform::FILETYPE_FILE) {
        platform::CopyFile(Paths->DataPrefix + Paths->DataFolder + "default.ini", Settings->Ini->FileName + ".ini");
    }
    Settings->Ini->Load();
    Settings->IniExtract();

    if (SharedData.SavingOff.empty() && !ProfilePath.empty() &&
        platform::FileType(ProfilePath) != platform::FILETYPE_DIR) {
        if (!platform::CreateDir(ProfilePath, false))
            ShowError("Cannot create shared profiles folder " + ProfilePath, 1);
    }

    SetFlipSync();
    Audio->SoundDriver = "OpenAL Generic Software";
    Audio->ChangeSoundDriver(Audio->SoundDriver, 0);
    FixedRateLogic->Create();
    Audio->MusicChannel = platform::AllocChannel();
    SpeechChannel = platform::AllocChannel();
    Audio->EscapeChannel = platform::AllocChannel();
    return 0;
}

int TGame::GraphicsCreate() {
    auto& display = platform::Display();
    if (display.CountModes() <= 0) throw RuntimeError("No 3D Hardware Found (could not count graphics modes.)");
    if (!display.DriverAvailable(platform::GfxDriver::OpenGL) ||
        !display.SelectDriver(platform::GfxDriver::OpenGL, platform::GRAPHICS_BACKBUFFER))
        throw RuntimeError("No DirectX or OpenGL 3D Drivers Found!");
    // OpenGL is the only driver there is; a settings file that names the
    // other one is brought round to it once.
    if (Driver != 1) {
        Driver = 1;
        Settings->IniUpdate(1);
    }
    if (FirstTime) {
        FirstTime = 0;
        DesktopRefreshRate = 60;
        display.DesktopSize(DesktopWidth, DesktopHeight);
    }
    display.SetWindowedSize(WindowWidth, WindowHeight);
    if (FullScreen) CreateFullScreenMode();
    if (!FullScreen) {
        if (!display.CreateGraphics(ScreenWidth, ScreenHeight, 0, DesktopRefreshRate, platform::GRAPHICS_BACKBUFFER)) {
            throw RuntimeError("Cannot create Windowed Mode at " + std::to_string(ScreenWidth) + "x" +
                               std::to_string(ScreenHeight) + " " + std::to_string(DesktopRefreshRate) + "Hz");
        }
        Depth = 0;
        WindowHandle = GetActiveWindowSafe();
        display.CentreWindow();
        SetWindowCoords();
        SetClientCoords();
    } else {
        WindowHandle = GetActiveWindowSafe();
    }
    Keys.UsePlatformInput = 0;
    platform::SetPolledInput(false);
    SetPriority();
    display.SetWindowIcon(ImagePath + "icon.png");
    return 0;
}

void TGame::CreateFullScreenMode() {
    auto& display = platform::Display();
    for (const int depth : {32, 24, 16}) {
        if (display.ModeExists(ScreenWidth, ScreenHeight, depth, 0) &&
            display.CreateGraphics(ScreenWidth, ScreenHeight, depth, Hertz, platform::GRAPHICS_BACKBUFFER)) {
            Depth = depth;
            return;
        }
    }
    // No full-screen mode at all: the window it is, and the toggle stays off.
    ForceWindowedMode = 1;
    FullScreen = 0;
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
    Settings->IniUpdate(1);
    FixedRateLogic->Init();
    FixedRateLogic->HistoryClear();
    return 0;
}

int TGame::ToggleVSync() {
    VSync = VSync ? 0 : 1;
    Settings->IniUpdate(1);
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
    Settings->IniUpdate(1);
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
        Settings->IniUpdate(0);
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

int TGame::ParticlesSet(int value, int save) {
    Particles = std::clamp(value, 0, 100);
    if (save == 1) {
        Settings->IniUpdate(1);
        FixedRateLogic->Init();
    }
    return 0;
}

int TGame::ParticlesChange(int delta) {
    Particles = std::clamp(Particles + delta, 0, 100);
    Settings->IniUpdate(1);
    FixedRateLogic->Init();
    return 0;
}

float TGame::CalcAnimLength(float ms) { return ms / FixedRateLogic->MS / CurrentSpeed; }

float TGame::CalcAnimLengthFromFloat(float ms) { return ms / FixedRateLogic->MS / CurrentSpeed; }

int TGame::CalcMilliSecsFromFrames(float steps) { return static_cast<int>(steps * FixedRateLogic->MS * CurrentSpeed); }

int TGame::Kill() {
    if (Audio->MusicChannel) Audio->MusicChannel->Stop();
    if (SpeechChannel) SpeechChannel->Stop();
    if (Audio->EscapeChannel) Audio->EscapeChannel->Stop();
    Audio->MusicChannel.reset();
    SpeechChannel.reset();
    Audio->EscapeChannel.reset();
    Audio->ChannelsKill();
    return 0;
}

int TGame::TakeScreenshot() {
    if (SharedData.SavingOff.empty()) SaveScreenshot(Paths->UseCorrectPath ? Paths->SubPath : "");
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

void TGame::ShutDown() {
    MakeGoodExit();
    Kill();
    platform::ShowMouse();
    ShutDownHook();
    platform::EndProcess(ExitCode);
}
