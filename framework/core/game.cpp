// SPDX-License-Identifier: GPL-3.0-or-later
// The game object: defaults, the services it owns, the window's position,
// particles and the orderly shut-down.
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
      Settings(std::make_unique<TSettings>(*Paths)),
      Display(std::make_unique<TDisplay>(*this, *Settings, [this] { RestoreMouseCoords(); })) {
    AddSettingsKeys();
    Settings->BeforeSave = [this] { Display->SettingsSaved(); };
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

int TGame::SetWindowCoords() {
    int x = 0, y = 0, w = 0, h = 0;
    platform::Display().WindowRect(x, y, w, h);
    WindowX = x;
    WindowY = y;
    return 0;
}

int TGame::SetClientCoords() {
    platform::Display().ClientPos(Display->ClientX, Display->ClientY);
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
