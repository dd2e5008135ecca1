// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "framework/core/input.h"
#include "framework/paths/errors.h"
#include "framework/screens/screen.h"
#include "framework/widgets/pointer.h"
#include "test_support.h"

namespace {
std::string RaisedBy(const std::function<void()>& action) {
    try {
        action();
    } catch (const RuntimeError& e) {
        return e.what();
    }
    return "";
}
}  // namespace

TEST_F(FrameworkTest, GraphicsCreateFallbacksAndMessages) {
    display->modes = 0;
    EXPECT_EQ(RaisedBy([] { Game->Display->GraphicsCreate(); }),
              "No 3D Hardware Found (could not count graphics modes.)");

    display->modes = 3;
    display->openGL = false;
    EXPECT_EQ(RaisedBy([] { Game->Display->GraphicsCreate(); }), "No DirectX or OpenGL 3D Drivers Found!");

    // A settings file that names the other driver: OpenGL is used and remembered.
    display->openGL = true;
    Game->Display->Driver = 0;
    Game->Display->GraphicsCreate();
    EXPECT_EQ(Game->Display->Driver, 1);
    EXPECT_EQ(display->selectedDriver, 1);
    EXPECT_EQ(Game->Display->Depth, 32);
    EXPECT_TRUE(display->fullScreen);
    EXPECT_EQ(Game->Display->DesktopRefreshRate, 60);
    EXPECT_EQ(Game->Display->DesktopWidth, 1920);
    EXPECT_EQ(Keys.UsePlatformInput, 0);

    // The other driver is never used, even where a display offers only that one.
    display->openGL = false;
    display->directX = true;
    EXPECT_EQ(RaisedBy([] { Game->Display->GraphicsCreate(); }), "No DirectX or OpenGL 3D Drivers Found!");
    EXPECT_EQ(Game->Display->Driver, 1);
}

TEST_F(FrameworkTest, NoFullScreenModeForcesWindowAndToggleDoesNothing) {
    display->fullScreenModes = false;
    Game->FullScreen = 1;
    Game->Display->GraphicsCreate();
    EXPECT_EQ(Game->FullScreen, 0);
    EXPECT_EQ(Game->Display->ForceWindowedMode, 1);
    EXPECT_EQ(Game->Display->Depth, 0);
    EXPECT_FALSE(display->fullScreen);
    EXPECT_EQ(Game->Display->WindowHandle, 7);
    EXPECT_EQ(Game->WindowX, 10);
    EXPECT_EQ(Game->Display->ClientY, 40);

    int creations = display->creations;
    Game->Display->ToggleFullScreen();
    EXPECT_EQ(display->creations, creations);
    EXPECT_EQ(Game->FullScreen, 0);

    // The same driver again neither re-creates the display nor reports a change.
    EXPECT_EQ(Game->Display->SetDriver(1), 0);
    EXPECT_EQ(display->creations, creations);

    display->windowFails = true;
    EXPECT_EQ(RaisedBy([] { Game->Display->GraphicsCreate(); }), "Cannot create Windowed Mode at 800x600 60Hz");
}

TEST_F(FrameworkTest, ToggleVSyncAndAnimationLengths) {
    Game->Display->ToggleVSync();
    EXPECT_EQ(Game->VSync, 0);
    EXPECT_EQ(Game->FlipSync, 0);
    Game->Display->ToggleVSync();
    EXPECT_EQ(Game->FlipSync, 1);

    EXPECT_FLOAT_EQ(Game->CalcAnimLength(500), 100.0f);
    EXPECT_EQ(Game->CalcMilliSecsFromFrames(3), 15);

    Game->ParticlesSet(150, 0);
    EXPECT_EQ(Game->Particles, 100);
    Game->Particles = 20;
    Game->ParticlesChange(-30);
    EXPECT_EQ(Game->Particles, 0);
}

TEST_F(FrameworkTest, ProfileFolderInUseAndDeleteAll) {
    auto dir = std::filesystem::temp_directory_path() / ("tallyfold-profiles-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    Game->ProfilePath = dir.string() + "/";
    std::ofstream(dir / ".dat") << "x";
    std::ofstream(dir / "readme.txt") << "x";
    EXPECT_EQ(Game->ProfileFolderInUse(), 0);
    std::ofstream(dir / "a.dat") << "x";
    EXPECT_EQ(Game->ProfileFolderInUse(), 1);
    Game->DeleteAllProfiles();
    EXPECT_FALSE(std::filesystem::exists(dir / "a.dat"));
    EXPECT_TRUE(std::filesystem::exists(dir / "readme.txt"));
    std::filesystem::remove_all(dir);

    EXPECT_EQ(RaisedBy([] { Game->ProfileFolderInUse(); }), "Failed to read directory '" + Game->ProfilePath + "'");
    ASSERT_EQ(notices.size(), 1u);
}

TEST_F(FrameworkTest, TrackingVarDisplays) {
    TDebugVar logicTime, drawTime;
    logicTime.Label = "Logic   ";
    logicTime.Current = 4;
    logicTime.maximum = 12;
    EXPECT_EQ(logicTime.GetDisplay(), "Logic   004/012");

    drawTime.Start();
    Advance(1500);
    drawTime.Calc();
    EXPECT_EQ(drawTime.Current, 1500);
    EXPECT_EQ(drawTime.maximum, 999);

    TFPSCounter fps;
    fps.Init();
    for (int i = 0; i < 30; ++i) {
        Advance(34);
        fps.Calc();
    }
    EXPECT_EQ(fps.framerate, 30);
    EXPECT_EQ(fps.minimum, 30);
}

TEST_F(FrameworkTest, ReportExceptionShowsTheErrorsOwnText) {
    SharedData.Folder = std::filesystem::temp_directory_path().string() + "/";
    EXPECT_EQ(ReportException(RuntimeError("boom")), "boom");
    EXPECT_EQ(ReportException(RaisedText("plain")), "plain");
    EXPECT_EQ(ReportUnknownException(), "Unknown error");
    std::filesystem::remove(SharedData.Folder + "ErrorLog.txt");
    SharedData.Folder.clear();
}
