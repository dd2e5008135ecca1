// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>

#include "framework/paths/errors.h"
#include "framework/paths/paths.h"
#include "framework/settings/ini_file.h"
#include "scratch_dir.h"
#include "tallyfold/platform/input.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {
const char* const FrameworkKeys[] = {
    "VERSION NO",
    "FULL SCREEN",
    "SOUND",
    "MUSIC",
    "SPEECH",
    "SOUND VOLUME",
    "MUSIC VOLUME",
    "SPEECH VOLUME",
    "FADE",
    "PARTICLES",
    "PORTAL SPLASH",
    "PORTAL SPLASH2",
    "INTRO",
    "VSYNC",
    "DRIVER",
    "SOUND DRIVER",
    "FULL SCREEN PROCESS PRIORITY",
    "FULL SCREEN THREAD PRIORITY",
    "WINDOWED PROCESS PRIORITY",
    "WINDOWED THREAD PRIORITY",
    "PROFILE NAME",
    "REGION",
    "SUB-REGION",
    "WINDOW WIDTH",
    "WINDOW HEIGHT",
    "TEXT AND BOARD SIZE",
};
constexpr int KeyCount = static_cast<int>(std::size(FrameworkKeys));

int CountLines(const std::string& text) {
    int lines = 0;
    for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
    return lines;
}

// A game whose shared folder and program data folder are scratch folders.
class SettingsTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        Game->Paths->UseCorrectPath = 1;
        Game->Paths->SubPath = dir / "shared/";
        Game->Paths->DataPrefix = dir / "app/";
        fs::create_directories(Game->Paths->SubPath);
        fs::create_directories(Game->Paths->DataPrefix + "data");
        settings = SettingsFileName(1, Game->Paths->SubPath) + ".ini";
        Game->Settings->Ini->FileName = SettingsFileName(1, Game->Paths->SubPath);
        Game->SoundVolume = Game->MusicVolume = 50;
    }
    // What Init does with the framework settings file.
    void ReadSettings() {
        Game->Settings->IniFill();
        Game->Settings->Ini->Load();
        Game->Settings->IniExtract();
    }
    std::string Marker(const std::string& name) { return Game->Paths->SubPath + name; }
    static std::string RaisedTextOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const RaisedText& e) {
            return e.what();
        }
        return "(nothing raised)";
    }

    ScratchDir dir;
    std::string settings;
};
}  // namespace

TEST_F(SettingsTest, FillHoldsEveryKeyInOrder) {
    Game->FullScreen = 0;
    Game->ProfileName = "Ann";
    Game->VersionNumber = "7.7";
    Game->Settings->IniFill();
    ASSERT_EQ(Game->Settings->Ini->Count(), KeyCount);
    for (int i = 0; i < KeyCount; ++i) EXPECT_EQ(Game->Settings->Ini->Lines[i]->Name, FrameworkKeys[i]);
    EXPECT_EQ(Game->Settings->Ini->Get("version no"), "0.1");
    EXPECT_EQ(Game->Settings->Ini->Get("Full Screen"), "0");
    EXPECT_EQ(Game->Settings->Ini->Get("SOUND VOLUME"), "50");
    EXPECT_EQ(Game->Settings->Ini->Get("Sound Driver"), "FreeAudio");
    EXPECT_EQ(Game->Settings->Ini->Get("Profile Name"), "Ann");

    // Filling again starts over instead of appending.
    Game->Settings->IniFill();
    EXPECT_EQ(Game->Settings->Ini->Count(), KeyCount);
}

TEST_F(SettingsTest, LoadTakesKnownNamesOnlyAndRewritesTheFile) {
    WriteBytes(settings,
               "\xEF\xBB\xBF"
               "VERSION NO=0.0\r\n"
               "full screen=0\r\n"
               "SOUND VOLUME = 70\r\n"
               "PROFILE NAME=a=b\r\n"
               "JUNK\r\n"
               "UNKNOWN=5\n"
               "MUSIC VOLUME=$20\r\n"
               "PARTICLES=500\r\n"
               "VSYNC=7\r\n"
               "SPEECH VOLUME=loud\r\n"
               "SOUND DRIVER=OpenAL Generic Software");
    ReadSettings();
    EXPECT_EQ(Game->VersionNumber, "0.0");
    EXPECT_EQ(Game->FullScreen, 0);
    EXPECT_EQ(Game->SoundVolume, 50);
    EXPECT_EQ(Game->ProfileName, "a=b");
    EXPECT_EQ(Game->MusicVolume, 32);
    EXPECT_EQ(Game->Particles, 100);
    EXPECT_EQ(Game->VSync, 1);
    EXPECT_EQ(Game->SpeechVolume, 0);
    EXPECT_EQ(Game->Audio->SoundDriver, "OpenAL Generic Software");

    // A file from before the window size was kept still loads; the size is
    // the logical screen's until the player changes it.
    EXPECT_EQ(Game->Display->WindowWidth, 800);
    EXPECT_EQ(Game->Display->WindowHeight, 600);
    const std::string file = ReadBytes(settings);
    EXPECT_EQ(CountLines(file), KeyCount);
    EXPECT_EQ(file.rfind("VERSION NO=0.0\r\nFULL SCREEN=0\r\n", 0), 0u) << file;
    EXPECT_NE(file.find("\r\nSOUND VOLUME=50\r\n"), std::string::npos);
    EXPECT_NE(file.find("\r\nPROFILE NAME=a=b\r\n"), std::string::npos);
    EXPECT_EQ(file.find("JUNK"), std::string::npos);
    EXPECT_EQ(file.find("UNKNOWN"), std::string::npos);
    EXPECT_EQ(file.substr(file.size() - 2), "\r\n");
    EXPECT_NE(file.find("\r\nSUB-REGION=0\r\nWINDOW WIDTH=800\r\nWINDOW HEIGHT=600\r\n"), std::string::npos);

    // A window size nobody could use is not taken (0: the logical screen's).
    WriteBytes(settings, "WINDOW WIDTH=-40\r\nWINDOW HEIGHT=99999999\r\n");
    ReadSettings();
    EXPECT_EQ(Game->Display->WindowWidth, 0);
    EXPECT_EQ(Game->Display->WindowHeight, 0);
    WriteBytes(settings, "WINDOW WIDTH=1200\r\nWINDOW HEIGHT=900\r\n");
    ReadSettings();
    EXPECT_EQ(Game->Display->WindowWidth, 1200);
    EXPECT_EQ(Game->Display->WindowHeight, 900);

    // The size of text and board: missing is 100 %; anything else is taken
    // as the nearest of 100, 125 ... 200 (a tie goes up).
    EXPECT_EQ(Game->Display->TextScale, 100);
    for (int value = -30; value <= 260; ++value) {
        int nearest = 100;
        for (int step = 100; step <= 200; step += 25)
            if (std::abs(value - step) <= std::abs(value - nearest)) nearest = step;
        WriteBytes(settings, "TEXT AND BOARD SIZE=" + std::to_string(value) + "\r\n");
        ReadSettings();
        ASSERT_EQ(Game->Display->TextScale, nearest) << value;
    }
    for (const char* nonsense : {"big", "", "1e9", "99999999999999999999", "-99999999999999999999"}) {
        WriteBytes(settings, std::string("TEXT AND BOARD SIZE=") + nonsense + "\r\n");
        ReadSettings();
        EXPECT_GE(Game->Display->TextScale, 100) << nonsense;
        EXPECT_LE(Game->Display->TextScale, 200) << nonsense;
        EXPECT_EQ(Game->Display->TextScale % 25, 0) << nonsense;
    }
    EXPECT_NE(ReadBytes(settings).find("\r\nWINDOW HEIGHT=900\r\nTEXT AND BOARD SIZE="), std::string::npos);

    // Names are matched exactly after upper-casing: spaces around "=" make another name.
    WriteBytes(settings, "FULL SCREEN = 0\r\n");
    Game->FullScreen = 1;
    ReadSettings();
    EXPECT_EQ(Game->FullScreen, 1);
    EXPECT_NE(ReadBytes(settings).find("\r\nFULL SCREEN=1\r\n"), std::string::npos);
}

TEST_F(SettingsTest, MissingFileIsWrittenAndValuesSurviveARoundTrip) {
    Game->ProfileName = "Zoë";
    ReadSettings();
    ASSERT_TRUE(Exists(settings));
    EXPECT_EQ(CountLines(ReadBytes(settings)), KeyCount);
    EXPECT_NE(ReadBytes(settings).find("PROFILE NAME=Zoë\r\n"), std::string::npos);

    // A value cannot break the file into extra lines.
    Game->ProfileName = "Eve\r\nFULL SCREEN=0";
    Game->Settings->IniUpdate(0);
    Game->ProfileName = "";
    Game->FullScreen = 1;
    ReadSettings();
    EXPECT_EQ(Game->ProfileName, "EveFULL SCREEN=0");
    EXPECT_EQ(Game->FullScreen, 1);

    // A name added twice gets the loaded value on both lines.
    TIniFile twice;
    twice.FileName = dir / "twice";
    twice.Add("Key", "1");
    twice.Add("key", "2");
    WriteBytes(dir / "twice.ini", "KEY=9\r\n");
    twice.Load();
    EXPECT_EQ(twice.Lines[0]->Value, "9");
    EXPECT_EQ(twice.Lines[1]->Value, "9");
    EXPECT_EQ(ReadBytes(dir / "twice.ini"), "KEY=9\r\nKEY=9\r\n");
}

// A settings file that cannot be written never ends the game: the old file
// stays whole, the values hold in memory, the player is told once (until a
// write succeeds again) and the error log says what happened.
TEST_F(SettingsTest, FailedWriteKeepsTheOldFileAndTheGameGoesOn) {
    const std::string old = "VERSION NO=0.1\r\nFULL SCREEN=0\r\n";
    WriteBytes(settings, old);
    SharedData.Folder = dir / "log/";
    fs::create_directories(SharedData.Folder);
    Game->Settings->IniFill();
    const std::string told =
        "Tallyfold could not save a file. The game goes on and keeps what you do, and saves it "
        "as soon as it can:\r\n";

    // The disk fills up half-way through the write.
    struct rlimit before {};
    getrlimit(RLIMIT_FSIZE, &before);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = before;
    small.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &small);
    int written = -1;
    const std::string raised = RaisedTextOf([&] { written = Game->Settings->Ini->Save(); });
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(raised, "(nothing raised)");
    EXPECT_EQ(written, 0);
    EXPECT_EQ(notices,
              std::vector<std::string>{told + settings + ": the file is larger than the disk or the system allows."});
    EXPECT_EQ(ReadBytes(settings), old);
    // Nothing half-written is left beside it.
    for (const auto& entry : fs::directory_iterator(Game->Paths->SubPath))
        EXPECT_EQ(entry.path().string(), settings) << "left beside the settings";

    // Another failure while the first stands is only logged.
    notices.clear();
    Game->Settings->Ini->FileName = dir / "missing/Tallyfold";
    EXPECT_EQ(Game->Settings->Ini->Save(), 0);
    EXPECT_TRUE(notices.empty());
    EXPECT_NE(ReadBytes(SharedData.Folder + "ErrorLog.txt")
                  .find("Could not write " + dir / "missing/Tallyfold.ini (its folder does not exist)."),
              std::string::npos);

    // A display toggle on a full disk: the game goes on with the new value,
    // and no restore marker claims a change the file does not hold.
    const std::string disk = dir / "small";
    fs::create_directories(disk);
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    Game->Settings->Ini->FileName = disk + "/tallyfold";
    Game->FullScreen = 1;
    Game->Settings->IniUpdate(0);  // written: the next failure is told again
    const std::string before16k = ReadBytes(disk + "/tallyfold.ini");
    WriteBytes(disk + "/filler", std::string(16 * 1024, 'f'));
    Game->Paths->SubPath = disk + "/";
    Game->FullScreen = 0;
    const std::string toggled = RaisedTextOf([&] { Game->Settings->IniUpdate(1); });
    const std::string after = ReadBytes(disk + "/tallyfold.ini");
    const bool marker = Exists(disk + "/inichanged.dat");
    umount2(disk.c_str(), MNT_DETACH);
    EXPECT_EQ(toggled, "(nothing raised)");
    EXPECT_EQ(Game->FullScreen, 0);
    EXPECT_EQ(after, before16k);
    EXPECT_NE(after.find("FULL SCREEN=1\r\n"), std::string::npos);
    EXPECT_FALSE(marker);
    EXPECT_EQ(notices, std::vector<std::string>{told + disk +
                                                "/tallyfold.ini: the disk is full. Free some space on the disk, "
                                                "then try again."});
    SharedData.Folder.clear();
}

// A file far larger than settings can be is replaced by the defaults, but
// kept aside first, and the log says where.
TEST_F(SettingsTest, OversizedSettingsFileIsKeptAside) {
    SharedData.Folder = Game->Paths->SubPath;
    const std::string huge = "FULL SCREEN=0\r\n" + std::string(2 << 20, 'x');
    WriteBytes(settings, huge);
    Game->FullScreen = 1;
    ReadSettings();
    EXPECT_EQ(Game->FullScreen, 1);
    EXPECT_EQ(ReadBytes(settings + ".damaged"), huge);
    EXPECT_NE(ReadBytes(settings).find("FULL SCREEN=1\r\n"), std::string::npos);
    EXPECT_NE(ReadBytes(Game->Paths->SubPath + "ErrorLog.txt")
                  .find("The settings file " + settings + " was far too large to be one; it was kept as " + settings +
                        ".damaged and the defaults were written in its place."),
              std::string::npos);
    SharedData.Folder.clear();
}

// The changed-settings marker lasts only as long as the change is unproven: a
// crash while the new settings are first used restores the defaults, a kill
// once the game has gone on with them for a few seconds does not. Markers are
// written like every other file, never through a link.
TEST_F(SettingsTest, ChangedMarkerGoesOnceTheChangeHasHeld) {
    WriteBytes(dir / "victim", "precious");
    fs::create_symlink(dir / "victim", Marker("inichanged.dat"));
    fs::create_symlink(dir / "victim", Marker("goodexit.dat"));
    Game->Settings->CheckGoodExit();  // links are not our markers: nothing is restored
    EXPECT_TRUE(notices.empty());

    Game->FullScreen = 0;
    Game->Settings->IniUpdate(1);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Marker("inichanged.dat"))));
    Game->PostDraw();
    Advance(TSettings::SettingsConfirmMs - 1);
    Game->PostDraw();
    EXPECT_TRUE(Exists(Marker("inichanged.dat"))) << "gone before the change held";
    Advance(1);
    Game->PostDraw();
    EXPECT_FALSE(Exists(Marker("inichanged.dat")));
    // Killed now: the next start keeps the player's settings.
    Game->Settings->CheckGoodExit();
    EXPECT_TRUE(notices.empty());
    EXPECT_NE(ReadBytes(settings).find("FULL SCREEN=0\r\n"), std::string::npos);

    // A second change starts the wait again.
    Game->Settings->IniUpdate(1);
    Advance(TSettings::SettingsConfirmMs - 1);
    Game->PostDraw();
    EXPECT_TRUE(Exists(Marker("inichanged.dat")));

    fs::remove(Marker("goodexit.dat"));
    fs::create_symlink(dir / "victim", Marker("goodexit.dat"));
    TGame::MakeGoodExit();
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Marker("goodexit.dat"))));
    EXPECT_EQ(ReadBytes(dir / "victim"), "precious");
}

TEST_F(SettingsTest, UpdatesLeaveTheChangedMarker) {
    Game->VersionNumber = "0.0";
    Game->Settings->IniUpdate(0);
    EXPECT_FALSE(Exists(Marker("inichanged.dat")));
    EXPECT_EQ(ReadBytes(settings).rfind("VERSION NO=0.1\r\n", 0), 0u);

    Game->FullScreen = 0;
    Game->Settings->IniUpdate(1);
    EXPECT_TRUE(Exists(Marker("inichanged.dat")));
    EXPECT_NE(ReadBytes(settings).find("FULL SCREEN=0\r\n"), std::string::npos);

    TGame::MakeGoodExit();
    EXPECT_TRUE(Exists(Marker("goodexit.dat")));

    // Without the shared folder the markers live in the program's data folder.
    Game->Paths->UseCorrectPath = 0;
    Game->Settings->Ini->FileName = dir / "local";
    Game->Settings->IniUpdate(1);
    TGame::MakeGoodExit();
    EXPECT_TRUE(Exists(Game->Paths->DataPrefix + "data/inichanged.dat"));
    EXPECT_TRUE(Exists(Game->Paths->DataPrefix + "data/goodexit.dat"));
}

TEST_F(SettingsTest, CrashCheckRestoresDefaultsButKeepsTheProfileName) {
    const std::string played = "VERSION NO=0.1\r\nFULL SCREEN=0\r\nPROFILE NAME=Ann\r\nSOUND VOLUME=90\r\n";
    WriteBytes(Game->Paths->DataPrefix + "data/default.ini",
               "VERSION NO=0.1\r\nFULL SCREEN=1\r\nSOUND VOLUME=40\r\nprofile name=\r\n");

    // First run: no markers, nothing happens.
    WriteBytes(settings, played);
    Game->Settings->CheckGoodExit();
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(ReadBytes(settings), played);

    // A clean exit after changes: the markers go, the settings stay.
    WriteBytes(Marker("goodexit.dat"), "");
    WriteBytes(Marker("inichanged.dat"), "");
    Game->Settings->CheckGoodExit();
    EXPECT_TRUE(notices.empty());
    EXPECT_FALSE(Exists(Marker("goodexit.dat")));
    EXPECT_FALSE(Exists(Marker("inichanged.dat")));
    EXPECT_EQ(ReadBytes(settings), played);

    // Killed after a change: the shipped defaults come back with the player's name.
    WriteBytes(Marker("inichanged.dat"), "");
    Game->Settings->CheckGoodExit();
    EXPECT_EQ(notices, std::vector<std::string>{"Default ini file restored!"});
    EXPECT_FALSE(Exists(Marker("inichanged.dat")));
    EXPECT_EQ(ReadBytes(settings), "VERSION NO=0.1\r\nFULL SCREEN=1\r\nSOUND VOLUME=40\r\nPROFILE NAME=Ann\r\n");
    ReadSettings();
    EXPECT_EQ(Game->FullScreen, 1);
    EXPECT_EQ(Game->SoundVolume, 40);
    EXPECT_EQ(Game->ProfileName, "Ann");
}

TEST_F(SettingsTest, CrashCheckWithoutShippedDefaults) {
    WriteBytes(settings, "FULL SCREEN=0\r\nPROFILE NAME=Ann\r\nSOUND VOLUME=90\r\n");
    WriteBytes(Marker("inichanged.dat"), "");
    Game->Settings->CheckGoodExit();
    EXPECT_EQ(notices, std::vector<std::string>{"Default ini file restored!"});
    ReadSettings();
    EXPECT_EQ(Game->FullScreen, 1);
    EXPECT_EQ(Game->SoundVolume, 50);
    EXPECT_EQ(Game->ProfileName, "Ann");

    // Nobody to remember: the file goes and the built-in defaults are written.
    WriteBytes(settings, "FULL SCREEN=0\r\n");
    WriteBytes(Marker("inichanged.dat"), "");
    Game->Settings->CheckGoodExit();
    EXPECT_FALSE(Exists(settings));

    // Shipped defaults without the name line still get the player's name.
    WriteBytes(Game->Paths->DataPrefix + "data/default.ini", "FULL SCREEN=1\r\n");
    WriteBytes(settings, "PROFILE NAME=Bo\r\n");
    WriteBytes(Marker("inichanged.dat"), "");
    Game->Settings->CheckGoodExit();
    EXPECT_EQ(ReadBytes(settings), "FULL SCREEN=1\r\nPROFILE NAME=Bo\r\n");
}

TEST(SettingsFiles, ReadAndCopyByName) {
    ScratchDir dir;
    WriteBytes(dir / "a.ini", "SOUND=1\r\nProfile Name=x=y\r\nPROFILE NAME=second\r\nNOVALUE\n");
    EXPECT_EQ(ReadIniValue(dir / "a.ini", "profile name"), "x=y");
    EXPECT_EQ(ReadIniValue(dir / "a.ini", "NOVALUE"), "");
    EXPECT_EQ(ReadIniValue(dir / "a.ini", "absent"), "");
    EXPECT_EQ(ReadIniValue(dir / "none.ini", "sound"), "");

    EXPECT_EQ(CopyIniWithValue(dir / "a.ini", dir / "b.ini", "Profile Name", "Ann"), 1);
    EXPECT_EQ(ReadBytes(dir / "b.ini"), "SOUND=1\r\nPROFILE NAME=Ann\r\nPROFILE NAME=Ann\r\nNOVALUE\r\n");
    EXPECT_EQ(CopyIniWithValue(dir / "none.ini", dir / "c.ini", "profile name", "Ann"), 0);
    EXPECT_FALSE(Exists(dir / "c.ini"));
}

TEST_F(SettingsTest, PauseAndFocusLossNeverSaveMusicOrSpeechAsOff) {
    // The player's switches are what the file keeps, whatever silenced the
    // game for the moment when a save came (Alt+Enter, a resize, a volume).
    auto savedSwitches = [&] {
        Game->Settings->IniUpdate(1);
        const std::string file = ReadBytes(settings);
        std::string both;
        for (const char* name : {"\r\nMUSIC=", "\r\nSPEECH="}) {
            const size_t at = file.find(name);
            both += at == std::string::npos ? "?" : file.substr(at + std::string(name).size(), 1);
        }
        return both;
    };
    Game->Audio->MusicRestart = 0;  // a tune is playing
    struct Case {
        const char* what;
        int pause, suspend;
    } cases[] = {{"paused", 1, 0},
                 {"in the background", 0, 1},
                 {"paused, then in the background", 1, 1},
                 {"in the background, then paused", 2, 1}};
    for (const Case& c : cases) {
        for (int music : {0, 1}) {
            Game->Music = Game->Speech = music;
            Game->Audio->MusicRestart = 0;
            if (c.pause == 1) Game->Paused = 1, Game->Pause();
            if (c.suspend) {
                platform::PostEvent({platform::EventKind::AppSuspend, 0, 0, 0});
                display->foreground = false;
                Game->DoPeekEvent();
                Game->CheckWindow();
            }
            if (c.pause == 2) Game->TogglePause();
            EXPECT_EQ(Game->Music, 0) << c.what;
            const std::string expected = music ? "11" : "00";
            EXPECT_EQ(savedSwitches(), expected) << c.what;
            // Back in front and un-paused, the sound is the player's again.
            platform::PostEvent({platform::EventKind::AppResume, 0, 0, 0});
            display->foreground = true;
            Game->DoPeekEvent();
            Game->CheckWindow();
            if (Game->Paused) Game->TogglePause();
            EXPECT_EQ(Game->Music, music) << c.what;
            EXPECT_EQ(Game->Speech, music) << c.what;
            EXPECT_EQ(savedSwitches(), expected) << c.what;
        }
    }
}
