// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fakes shared by the framework tests: a display whose modes and drivers a test
// chooses, a clock the test advances, and message boxes that never block.
#include <memory>
#include <string>
#include <vector>

#include "framework/core/game.h"
#include "tallyfold/platform/display.h"

struct FakeDisplay : platform::DisplayDevice {
    int modes = 4;
    bool directX = false;
    bool openGL = true;
    bool fullScreenModes = true;
    bool windowFails = false;
    bool foreground = true;
    bool open = false;
    bool fullScreen = false;
    int creations = 0;
    int selectedDriver = -1;

    bool DriverAvailable(platform::GfxDriver d) override {
        return d == platform::GfxDriver::DirectX7 ? directX : openGL;
    }
    bool SelectDriver(platform::GfxDriver d, int) override {
        if (!DriverAvailable(d)) return false;
        selectedDriver = static_cast<int>(d);
        return true;
    }
    int CountModes() override { return modes; }
    bool ModeExists(int w, int h, int depth, int) override {
        return fullScreenModes && w == 800 && h == 600 && (depth == 32 || depth == 16);
    }
    bool CreateGraphics(int, int, int depth, int, int) override {
        if (depth == 0 && windowFails) return false;
        open = true;
        fullScreen = depth != 0;
        ++creations;
        return true;
    }
    void CloseGraphics() override { open = false; }
    bool HasGraphics() override { return open; }
    int WindowHandle() override { return open ? 7 : 0; }
    void DesktopSize(int& w, int& h) override { w = 1920, h = 1080; }
    int DesktopRefreshRate() override { return 75; }
    int WindowRefreshRate() override { return 60; }
    void WindowRect(int& x, int& y, int& w, int& h) override { x = 10, y = 20, w = 800, h = 600; }
    void ClientPos(int& x, int& y) override { x = 10, y = 40; }
    void CentreWindow() override {}
    void MinimiseWindow() override { ++minimised; }
    int minimised = 0;
    bool WindowIsForeground() override { return foreground; }
    void SetWindowIcon(const std::string&) override {}
    bool IsFullScreen() override { return fullScreen; }
    void AllowScreenSaver(bool allow) override { screenSaverAllowed = allow; }
    bool screenSaverAllowed = true;
};

// Installs the fakes and a fresh game object; restores the real services after.
class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Advances the fake millisecond clock.
    void Advance(int ms) { now += ms; }
    // Queues a key press and release as the window system would.
    void Press(int key);

    FakeDisplay* display = nullptr;
    int now = 100000;
    std::vector<std::string> notices;
};
