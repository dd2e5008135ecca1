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
    EXPECT_EQ(RaisedBy([] { Game->GraphicsCreate(); }), "No 3D Hardware Found (could not count graphics modes.)");
    EXPECT_EQ(Checkpoint, 100);

    display->modes = 3;
    display->openGL = false;
    EXPECT_EQ(RaisedBy([] { Game->GraphicsCreate(); }), "No DirectX or OpenGL 3D Drivers Found!");
    EXPECT_EQ(Checkpoint, 111);

    // The preferred DirectX driver does not exist here: OpenGL is used and remembered.
    display->openGL = true;
    Game->Driver = 0;
    Game->GraphicsCreate();
    EXPECT_EQ(Game->Driver, 1);
    EXPECT_EQ(display->selectedDriver, 1);
    EXPECT_EQ(Game->Depth, 32);
    EXPECT_TRUE(display->fullScreen);
    EXPECT_EQ(Game->DesktopRefreshRate, 60);
    EXPECT_EQ(Game->DesktopWidth, 1920);
    EXPECT_EQ(Game->GameRefreshRate, -1);
    EXPECT_EQ(Checkpoint, 139);
    EXPECT_EQ(UsePlatformInput, 0);

    // A saved OpenGL choice on a machine that only has the other driver switches back.
    display->openGL = false;
    display->directX = true;
    Game->Driver = 1;
    Game->GraphicsCreate();
    EXPECT_EQ(Game->Driver, 0);
    EXPECT_EQ(display->selectedDriver, 0);
}

TEST_F(FrameworkTest, NoFullScreenModeForcesWindowAndToggleDoesNothing) {
    display->fullScreenModes = false;
    Game->FullScreen = 1;
    Game->GraphicsCreate();
    EXPECT_EQ(Game->FullScreen, 0);
    EXPECT_EQ(Game->ForceWindowedMode, 1);
    EXPECT_EQ(Game->Depth, 0);
    EXPECT_FALSE(display->fullScreen);
    EXPECT_EQ(Game->WindowHandle, 7);
    EXPECT_EQ(Game->WindowX, 10);
    EXPECT_EQ(Game->ClientY, 40);

    int creations = display->creations;
    Game->ToggleFullScreen();
    EXPECT_EQ(display->creations, creations);
    EXPECT_EQ(Game->FullScreen, 0);

    // The same driver again neither re-creates the display nor reports a change.
    EXPECT_EQ(Game->SetDriver(1), 0);
    EXPECT_EQ(display->creations, creations);

    display->windowFails = true;
    EXPECT_EQ(RaisedBy([] { Game->GraphicsCreate(); }), "Cannot create Windowed Mode at 800x600 60Hz");
    EXPECT_EQ(Checkpoint, 11801);
}

TEST_F(FrameworkTest, ToggleVSyncAndAnimationLengths) {
    Game->ToggleVSync();
    EXPECT_EQ(Game->VSync, 0);
    EXPECT_EQ(FlipSync, 0);
    Game->ToggleVSync();
    EXPECT_EQ(FlipSync, 1);

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
    Game->LogicTime->Label = "Logic   ";
    Game->LogicTime->Current = 4;
    Game->LogicTime->maximum = 12;
    EXPECT_EQ(Game->LogicTime->GetDisplay(), "Logic   004/012");

    Game->DrawTime->Start();
    Advance(1500);
    Game->DrawTime->Calc();
    EXPECT_EQ(Game->DrawTime->Current, 1500);
    EXPECT_EQ(Game->DrawTime->maximum, 999);

    Game->FPS->Init();
    for (int i = 0; i < 30; ++i) {
        Advance(34);
        Game->FPS->Calc();
    }
    EXPECT_EQ(Game->FPS->framerate, 30);
    EXPECT_EQ(Game->FPS->minimum, 30);
}

TEST_F(FrameworkTest, ReportExceptionPrefixesCheckpoint) {
    SharedDataPath = std::filesystem::temp_directory_path().string() + "/";
    Checkpoint = 114;
    EXPECT_EQ(ReportException(RuntimeError("boom")), "(114) boom");
    EXPECT_EQ(ReportException(RaisedText("plain")), "plain");
    Checkpoint = 0;
    EXPECT_EQ(ReportException(RuntimeError("boom")), "boom");
    std::filesystem::remove(SharedDataPath + "ErrorLog.txt");
    SharedDataPath.clear();
}
