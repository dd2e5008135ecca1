// Tallyfold's entry: one instance, the game object, the display mode, the loop,
// and the orderly shut-down however the program ends.
#include <exception>
#include <memory>

#include "framework/archive/pak_manager.h"
#include "framework/audio/channels.h"
#include "framework/core/game.h"
#include "framework/core/input.h"
#include "framework/paths/errors.h"
#include "framework/screens/screen.h"
#include "framework/settings/ini_file.h"
#include "framework/text/game_text.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

int main() {
    // data/ sits beside the program file, whatever folder it was started from.
    platform::ChangeDir(platform::AppDir());
    if (!platform::AcquireInstanceLock("Tallyfold")) return 0;
    platform::InstallTerminationSignals();
    platform::SetAppTitle("Tallyfold");
    ScreenWidth = 800;
    ScreenHeight = 600;
    platform::SeedRnd(platform::MilliSecs());
    GameIni = std::make_shared<TIniFile>();

    try {
        Game = std::make_shared<TGame>();
        Game->FullScreen = 1;
        Game->MusicSetVolume(50, 0);
        Game->SoundSetVolume(50, 0);
        Game->SetSubPathWrapper("Vellacor Games/Tallyfold", 0);
        Game->CheckGoodExit();
        Game->Init(0, 0);
        Game->ChannelsCreate(16);
        Game->Channels->MaxVol = 16.0f;
        Game->SetEscapeSound("buttonclick");
        StartTime = platform::MilliSecs();
        Game->FadeMouse = 1;
        Game->FixedRateLogic->JitterCorrection = 0;
        Game->MusicFadeIn = 0.0f;
        Game->PauseOnLossOfFullScreenFocus = 1;
        GameText = TGameText::Create("gametext.txt");
        ResourcePath = Game->DataPrefix + "data/resources/";
        if (platform::FileType(ResourcePath + "data.pak") != platform::FILETYPE_FILE)
            ShowError(GameText->FindString("Data Pak Error"), 1);
        PakManager = TPakFileManager::Create(ResourcePath, ".pak");
        CreateArchiveFonts(*PakManager);
        Game->IgnoreDebugKey = 1;
        Game->IgnoreFrameworkKeys = 1;
        Game->GraphicsCreate();
        platform::HideMouse();

        // Until the game's screens exist the program shows a black screen.
        auto blank = std::make_shared<TScreen>();
        blank->name = "blank";
        blank->Start();

        FlushInput();
        Game->FixedRateLogic->Init();
        Game->NoTimingTicks = 3;
        for (;;) {
            if (Game->MainLogicLoop() == -1) break;
            Game->ScreenDraw();
        }
    } catch (const std::exception& error) {
        ReportException(error);
    } catch (...) {
        ReportUnknownException();
    }
    if (Game) Game->ShutDown();
    return 0;
}
