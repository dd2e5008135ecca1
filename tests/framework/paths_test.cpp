// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "as_user.h"
#include "framework/core/input.h"
#include "framework/paths/errors.h"
#include "framework/paths/paths.h"
#include "framework/paths/screenshot.h"
#include "framework/settings/ini_file.h"
#include "framework/util/datetime.h"
#include "framework/widgets/pointer.h"
#include "scratch_dir.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {
class PathsGame : public TGame {
public:
};

// Points the common application-data folder at a scratch folder for one test.
class PathsTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        const char* old = std::getenv("XDG_DATA_HOME");
        hadXdg = old != nullptr;
        if (old) oldXdg = old;
        setenv("XDG_DATA_HOME", common.Folder().c_str(), 1);
        oldShared = SharedData.Folder;
    }
    void TearDown() override {
        if (hadXdg)
            setenv("XDG_DATA_HOME", oldXdg.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        SharedData.Folder = oldShared;
        FrameworkTest::TearDown();
    }
    fs::perms Mode(const std::string& path) { return fs::status(path).permissions(); }

    ScratchDir common;
    bool hadXdg = false;
    std::string oldXdg, oldShared;
};

std::string Raised(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}
}  // namespace

TEST_F(PathsTest, SubPathAndResourcePaths) {
    Game->Paths->SetSubPathWrapper("Vellacor Games/Tallyfold", 0);
    const std::string sub = common.Folder() + "Vellacor Games/Tallyfold/";
    EXPECT_EQ(SpecialFolderPath(CSIDL_COMMON_APPDATA), common.Folder());
    EXPECT_EQ(SpecialFolderPath(26), "");
    EXPECT_EQ(Game->Paths->UseCorrectPath, 1);
    EXPECT_EQ(Game->Paths->SubPath, sub);
    EXPECT_EQ(SharedData.Folder, sub);
    EXPECT_EQ(Game->ProfilePath, sub + "profiles/");
    EXPECT_EQ(Game->ImagePath, "data/graphics/");
    EXPECT_EQ(Game->TextPath, "data/text/");

    // Without the shared folder everything stays beside the program.
    Game = std::make_shared<TGame>();
    Game->Paths->UseCorrectPath = 0;
    Game->Paths->DataPrefix = "base/";
    Game->Paths->SetSubPathWrapper("Vellacor Games/Tallyfold", 0);
    EXPECT_EQ(Game->Paths->SubPath, "Vellacor Games/Tallyfold/");
    EXPECT_EQ(Game->ProfilePath, "base/data/profiles/");
    EXPECT_EQ(Game->ImagePath, "base/data/graphics/");
    Game->Paths->SetSubPath("");
    EXPECT_EQ(Game->Paths->SubPath, "");
    EXPECT_EQ(SharedData.Folder, "");

    Game->Paths->SetTextPath("x\\text\\");
    EXPECT_EQ(Game->TextPath, "x\\text\\");
}

// Only what the game makes is set to 0700: a parent that exists, the common
// folder, and a folder shared on purpose through a link keep their modes.
TEST_F(PathsTest, SharedFolderModesAreSetOnlyOnWhatTheGameMade) {
    auto game = std::make_shared<PathsGame>();
    Game = game;
    fs::create_directories(common / "Vellacor Games");
    fs::permissions(common / "Vellacor Games", fs::perms::owner_read | fs::perms::owner_write | fs::perms::owner_exec |
                                                   fs::perms::others_read | fs::perms::others_exec);
    const fs::perms parentBefore = Mode(common / "Vellacor Games");
    const fs::perms commonBefore = Mode(common.Folder());

    game->Paths->SetSubPathWrapper("Vellacor Games/Tallyfold", 0);
    game->Paths->PrepareSharedFolder();
    EXPECT_EQ(platform::FileType(game->Paths->SubPath), platform::FILETYPE_DIR);
    EXPECT_EQ(Mode(game->Paths->SubPath), fs::perms::owner_all);
    EXPECT_EQ(Mode(common / "Vellacor Games"), parentBefore);
    EXPECT_EQ(Mode(common.Folder()), commonBefore);
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(SharedData.SavingOff, "");
    EXPECT_EQ(fs::directory_iterator(game->Paths->SubPath), fs::directory_iterator()) << "the write test left a file";

    // The data folder is a link to a folder shared with others (set-group-id,
    // open to all): it stays exactly so, and the game writes into it.
    fs::create_directories(common / "team");
    chmod((common / "team").c_str(), 02777);
    fs::create_directories(common / "linked/Vellacor Games");
    fs::create_directory_symlink(common / "team", common / "linked/Vellacor Games/Tallyfold");
    setenv("XDG_DATA_HOME", (common / "linked").c_str(), 1);
    auto linked = std::make_shared<PathsGame>();
    Game = linked;
    linked->Paths->SetSubPathWrapper("Vellacor Games/Tallyfold", 0);
    linked->Paths->PrepareSharedFolder();
    ASSERT_EQ(linked->Paths->LockSharedFolder(), 1);
    struct stat st {};
    ASSERT_EQ(stat((common / "team").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 02777u);
    EXPECT_EQ(SharedData.SavingOff, "");
}

// The shared folder as a hostile environment leaves it: an umask of 000, a
// backslash in XDG_DATA_HOME, a second copy started with another runtime
// folder, a folder that belongs to someone else. The folder stays the player's alone, one copy uses it, and a folder
// the game cannot use is named with the reason.
TEST_F(PathsTest, SharedFolderIsPrivateLockedAndExplained) {
    const mode_t oldMask = umask(0);
    setenv("XDG_DATA_HOME", (common / "da\\ta/new").c_str(), 1);
    auto game = std::make_shared<PathsGame>();
    Game = game;
    game->Paths->SetSubPathWrapper("Vellacor Games/Tallyfold", 0);
    EXPECT_EQ(game->Paths->SubPath, common / "da\\ta/new/Vellacor Games/Tallyfold/");

    // A first copy holds the folder; a second one, with a runtime folder of
    // its own, does not get it.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t first = fork();
    if (first == 0) {
        close(ready[0]);
        if (game->Paths->LockSharedFolder() != 1 || write(ready[1], "x", 1) != 1) _exit(1);
        pause();
        _exit(0);
    }
    close(ready[1]);
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    close(ready[0]);
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string oldRuntime = runtime ? runtime : "";
    setenv("XDG_RUNTIME_DIR", common.Folder().c_str(), 1);
    EXPECT_EQ(game->Paths->LockSharedFolder(), 0);
    if (runtime)
        setenv("XDG_RUNTIME_DIR", oldRuntime.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
    kill(first, SIGKILL);
    waitpid(first, nullptr, 0);

    platform::CreateDir(game->ProfilePath);
    ASSERT_EQ(game->Paths->LockSharedFolder(), 1);

    // Everything made under an umask of 000 is still the player's alone, and
    // the backslash named a folder rather than separating two.
    game->Paths->PrepareSharedFolder();
    umask(oldMask);
    EXPECT_FALSE(fs::exists(common / "da")) << "a backslash is part of the folder's name";
    for (const char* folder : {"da\\ta", "da\\ta/new", "da\\ta/new/Vellacor Games",
                               "da\\ta/new/Vellacor Games/Tallyfold", "da\\ta/new/Vellacor Games/Tallyfold/profiles"})
        EXPECT_EQ(Mode(common / folder), fs::perms::owner_all) << folder;
    EXPECT_EQ(Mode(game->Paths->InstanceLockPath()), fs::perms::owner_read | fs::perms::owner_write);

    // A shared folder that belongs to someone else: the game says which and why.
    const std::string foreign = common / "foreign/";
    fs::create_directories(foreign + "Vellacor Games/Tallyfold");
    fs::permissions(foreign, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec |
                                 fs::perms::group_read | fs::perms::group_exec);
    auto failures = asuser::Run([&] {
        setenv("XDG_DATA_HOME", foreign.c_str(), 1);
        notices.clear();
        auto other = std::make_shared<PathsGame>();
        Game = other;
        other->Paths->SetSubPathWrapper("Vellacor Games/Tallyfold", 0);
        const std::string message = Raised([&] { other->Paths->PrepareSharedFolder(); });
        if (!message.empty()) return "raised \"" + message + "\"";
        const std::string expected = "Tallyfold cannot save anything this time, since its data folder " + foreign +
                                     "Vellacor Games/Tallyfold/ cannot be written: permission denied. You can play, "
                                     "but settings, best times and puzzles will not be kept.";
        if (notices != std::vector<std::string>{expected})
            return "told \"" + (notices.empty() ? std::string() : notices[0]) + "\"";
        return SharedData.SavingOff == "permission denied" ? std::string()
                                                           : "saving off for \"" + SharedData.SavingOff + "\"";
    });
    if (!failures) GTEST_SKIP() << "cannot switch to an unprivileged user here";
    EXPECT_EQ(*failures, "");
}

// A data folder that cannot be made, or is read-only or full at start: the
// player is told once which folder and why, the game goes on, and nothing at
// all is written there (not even the lock or the crash markers).
TEST_F(PathsTest, UnwritableSharedFolderLeavesTheGamePlayingWithoutSaving) {
    auto start = [&](const std::string& home) {
        setenv("XDG_DATA_HOME", home.c_str(), 1);
        ResetWriteFaults();
        notices.clear();
        auto game = std::make_shared<PathsGame>();
        Game = game;
        game->Paths->SetSubPathWrapper("Vellacor Games/Tallyfold", 0);
        EXPECT_EQ(Raised([&] { EXPECT_EQ(game->Paths->LockSharedFolder(), 1); }), "") << home;
        game->Settings->IniFill();
        game->Settings->Ini->FileName = game->Paths->SubPath + "tallyfold";
        game->Settings->Ini->Load();
        game->Settings->IniUpdate(1);
        TGame::MakeGoodExit();
        return game;
    };
    WriteBytes(common / "blocker", "a file where a folder should be");
    auto game = start(common / "blocker");
    EXPECT_EQ(SharedData.SavingOff, "a file stands where a folder should be");
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], "Tallyfold cannot save anything this time, since its data folder " + game->Paths->SubPath +
                              " cannot be made: a file stands where a folder should be. You can play, but "
                              "settings, best times and puzzles will not be kept.");
    EXPECT_EQ(ReadBytes(common / "blocker"), "a file where a folder should be");

    const std::string disk = common / "small";
    fs::create_directories(disk);
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k,mode=0700") != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    // Full: a folder with its settings, and not a byte left.
    fs::create_directories(disk + "/full/Vellacor Games/Tallyfold");
    WriteBytes(disk + "/full/Vellacor Games/Tallyfold/tallyfold.ini", "FULL SCREEN=0\r\n");
    WriteBytes(disk + "/filler", std::string(64 * 1024, 'f'));
    start(disk + "/full");
    const std::string fullReason = SharedData.SavingOff;
    const std::vector<std::string> fullNotices = notices;
    const std::string fullSettings = ReadBytes(disk + "/full/Vellacor Games/Tallyfold/tallyfold.ini");
    // Read-only: one folder still to be made, one already there.
    fs::remove(disk + "/filler");
    const bool remounted = mount("tmpfs", disk.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k,mode=0700") == 0;
    std::vector<std::string> reasons;
    std::vector<size_t> told;
    for (const char* home : {"/new", "/full"}) {
        start(disk + home);
        reasons.push_back(SharedData.SavingOff);
        told.push_back(notices.size());
    }
    std::vector<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(disk)) left.push_back(entry.path().string());
    umount2(disk.c_str(), MNT_DETACH);

    EXPECT_EQ(fullReason, "the disk is full");
    ASSERT_EQ(fullNotices.size(), 1u);
    EXPECT_NE(fullNotices[0].find(disk + "/full/Vellacor Games/Tallyfold/ cannot be written: the disk is full."),
              std::string::npos)
        << fullNotices[0];
    EXPECT_EQ(fullSettings, "FULL SCREEN=0\r\n") << "a file of the full folder was rewritten";
    ASSERT_TRUE(remounted);
    EXPECT_EQ(reasons, (std::vector<std::string>{"the disk is read-only", "the disk is read-only"}));
    EXPECT_EQ(told, (std::vector<size_t>{1, 1}));
    EXPECT_EQ(left, (std::vector<std::string>{disk + "/full", disk + "/full/Vellacor Games",
                                              disk + "/full/Vellacor Games/Tallyfold",
                                              disk + "/full/Vellacor Games/Tallyfold/tallyfold.ini"}))
        << "something was written on the full disk";
}

TEST(Paths, ReleaseAppFileDropsTheDebugInfix) {
    EXPECT_EQ(ReleaseAppFile("C:/Games/Tallyfold.debug.exe"), "C:/Games/Tallyfold.exe");
    EXPECT_EQ(ReleaseAppFile("/opt/game/tallyfold.debug"), "/opt/game/tallyfold");
    EXPECT_EQ(ReleaseAppFile("/opt/game/tallyfold"), "/opt/game/tallyfold");
    EXPECT_EQ(ReleaseAppFile("C:/Games/Tallyfold.exe"), "C:/Games/Tallyfold.exe");
    // Only a real ".debug" infix counts; a name that merely ends in "debug" stays.
    EXPECT_EQ(ReleaseAppFile("/opt/mydebug.exe"), "/opt/mydebug.exe");
    EXPECT_EQ(ReleaseAppFile("/opt/.debug"), "/opt/.debug");
    EXPECT_EQ(ReleaseAppFile("/opt/x.debug/tallyfold"), "/opt/x.debug/tallyfold");

    const std::string program = platform::StripAll(ReleaseAppFile(platform::AppFile()));
    EXPECT_EQ(SettingsFileName(1, "/shared/"), "/shared/" + program);
    EXPECT_EQ(SettingsFileName(0, "/shared/"), platform::StripExt(ReleaseAppFile(platform::AppFile())));
}

TEST_F(PathsTest, ErrorReportsReachTheHandlerAndTheLog) {
    SharedData.Folder = common.Folder();
    display->open = true;

    // A ShowError in the middle of creating the display mode.
    std::string shown = Raised([] {
        try {
            ShowError("Cannot load picture", 1);
        } catch (const std::exception& e) {
            ReportException(e);
            throw;
        }
    });
    EXPECT_EQ(shown, "Cannot load picture");
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0], "Cannot load picture");
    EXPECT_EQ(notices[1], "Cannot load picture");
    EXPECT_FALSE(display->open);

    const std::string log = ReadBytes(common / "ErrorLog.txt");
    // "Date: 05 Mar 2009", "Time: 07:04:09", then the report; each line ends in CR LF.
    ASSERT_EQ(log.size(), 17 + 2 + 14 + 2 + 19 + 2u) << log;
    EXPECT_EQ(log.substr(0, 6), "Date: ");
    EXPECT_EQ(log.substr(17, 8), "\r\nTime: ");
    EXPECT_EQ(log.substr(27, 1) + log.substr(30, 1), "::");
    EXPECT_EQ(log.substr(33), "\r\nCannot load picture\r\n");

    // A plain raised text (the archive reader's) is shown once, as it is, and
    // the log keeps the earlier report before it.
    notices.clear();
    ReportException(RaisedText("Archive damaged"));
    EXPECT_EQ(notices, std::vector<std::string>{"Archive damaged"});
    const std::string second = ReadBytes(common / "ErrorLog.txt");
    EXPECT_EQ(second.rfind(log, 0), 0u);
    EXPECT_NE(second.find("\r\nArchive damaged\r\n", log.size()), std::string::npos);

    // A log grown large keeps its newest 64 KiB, cut at a line's start.
    std::string big;
    for (int i = 0; big.size() < 100 * 1024; ++i) big += "old report " + std::to_string(i) + "\r\n";
    WriteBytes(common / "ErrorLog.txt", big);
    ReportException(RuntimeError("newest"));
    const std::string bounded = ReadBytes(common / "ErrorLog.txt");
    EXPECT_LE(bounded.size(), 64u * 1024);
    EXPECT_GT(bounded.size(), 60u * 1024);
    EXPECT_EQ(bounded.rfind("old report ", 0), 0u);
    EXPECT_EQ(bounded.substr(bounded.size() - 10), "\r\nnewest\r\n");
    EXPECT_NE(big.find(bounded.substr(0, 1000)), std::string::npos);

    // The runtime's own errors are shown as they are; anything unknown is named so.
    EXPECT_EQ(ReportException(std::out_of_range("index")), "index");
    EXPECT_EQ(ReportUnknownException(), "Unknown error");

    // With no folder to write to, the report is only shown.
    SharedData.Folder = common.Folder() + "missing/";
    notices.clear();
    ReportException(RuntimeError("still shown"));
    EXPECT_EQ(notices, std::vector<std::string>{"still shown"});
}

TEST_F(PathsTest, ErrorEndsInTheOrderlyShutDown) {
    Game->Paths->SubPath = common.Folder();
    SharedData.Folder = common.Folder();
    EXPECT_EXIT(
        {
            try {
                ShowError("Cannot create shared profiles folder x", 1);
            } catch (const std::exception& e) {
                ReportException(e);
            }
            Game->ShutDown();
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_TRUE(Exists(common / "goodexit.dat"));
    EXPECT_NE(ReadBytes(common / "ErrorLog.txt").find("\r\nCannot create shared profiles folder x\r\n"),
              std::string::npos);
}

TEST_F(PathsTest, MessageBoxWaitsForKeyClickOrClose) {
    // Without a display the platform's own box stands in.
    ShowMessageBox("No display yet", 300, 100);
    EXPECT_EQ(notices, std::vector<std::string>{"No display yet"});
    notices.clear();

    display->open = true;
    Keys.KeyHits['Q'] = 1;  // left over from before: must not dismiss the box
    Press('A');
    ShowMessageBox("A long message that has to be wrapped over several lines of the box", 200, 120);
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(KeyHit('A'), 0);
    // Only the release of the key that answered the box is left; it reaches
    // the game as a release and nothing more.
    Game->DoPeekEvent();
    EXPECT_EQ(KeyHit('A'), 0);
    EXPECT_EQ(KeyDown('A'), 0);
    platform::Event left;
    EXPECT_FALSE(platform::PeekEvent(left));
    int r, g, b;
    platform::GetColor(r, g, b);
    EXPECT_EQ(r + g + b, 3 * 255);

    platform::PostEvent({platform::EventKind::MouseDown, 2, 0, 0});
    platform::PostEvent({platform::EventKind::MouseUp, 2, 0, 0});
    ShowMessageBox("Click", 200, 120);
    EXPECT_EQ(Game->Mouse->h2, 0);

    // A close request ends the wait and is left for the main loop.
    platform::PostEvent({platform::EventKind::AppTerminate, 0, 0, 0});
    ShowMessageBox("Closing", 200, 120);
    EXPECT_EQ(Game->TerminatedEvent, 1);
}

TEST(Paths, ScreenshotNames) {
    TDateTime when;
    when.Year = 2024;
    when.Month = 1;
    when.Day = 9;
    when.Hour = 23;
    when.Minute = 5;
    when.Second = 0;
    EXPECT_EQ(ScreenshotName(when), "2024-01-09 230500 screenshot.png");
}

TEST_F(PathsTest, DataFolderBesideTheProgramWinsOverTheInstalledOne) {
    ScratchDir root;
    const std::string bin = root / "prefix/bin", beside = bin + "/data/", installed = root / "prefix/share/tallyfold/";
    fs::create_directories(bin);
    // Neither: the place beside the program, so a missing file is named there.
    EXPECT_EQ(FindDataFolder(bin), beside);
    EXPECT_EQ(FindDataFolder(""), "data/");
    // A file of that name is no data tree.
    WriteBytes(installed.substr(0, installed.size() - 1), "not a folder");
    EXPECT_EQ(FindDataFolder(bin), beside);
    fs::remove(installed.substr(0, installed.size() - 1));
    fs::create_directories(installed);
    EXPECT_EQ(FindDataFolder(bin), installed);
    EXPECT_EQ(FindDataFolder(bin + "/"), installed);
    fs::create_directories(beside);
    EXPECT_EQ(FindDataFolder(bin), beside);
    // A packager's layout: the program deeper down, the data under games/;
    // the plain share/tallyfold beside it still serves a tree moved as a whole.
    const std::string deep = root / "usr/lib/games/tallyfold", moved = root / "usr/share/games/tallyfold/";
    fs::create_directories(deep);
    fs::create_directories(moved);
    EXPECT_EQ(FindDataFolder(deep, "../../../share/games/tallyfold"), moved);
    EXPECT_EQ(FindDataFolder(bin, "../../usr/share/games/tallyfold"), beside);
    fs::remove_all(beside);
    EXPECT_EQ(FindDataFolder(bin, "../nowhere"), installed);
    fs::create_directories(beside);

    // The resource paths and the shipped defaults follow the folder found.
    Game = std::make_shared<TGame>();
    fs::remove_all(beside);
    Game->Paths->DataFolder = FindDataFolder(bin);
    Game->Paths->SetDefaultPaths();
    EXPECT_EQ(Game->ImagePath, installed + "graphics/");
    EXPECT_EQ(Game->TextPath, installed + "text/");
}
