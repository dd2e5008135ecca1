// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fixture for the button, dialog and list box tests: the game's menu and
// image folders filled with plain pictures, its two menu sounds, and input
// fed through the real event pump one logic step at a time.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/audio/game_sound.h"
#include "framework/core/game.h"
#include "framework/core/input.h"
#include "framework/widgets/pointer.h"
#include "scratch_dir.h"
#include "tallyfold/platform/input.h"
#include "wav_fixture.h"
#include "widget_support.h"

// Counts its plays instead of making a sound.
class CountingSound : public TGameSound {
public:
    int plays = 0;
    int PlayInChannel(std::shared_ptr<platform::Channel>&, float) override {
        ++plays;
        return 0;
    }
};

class ControlsTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        Game->MenuPath = dir / "menus/";
        Game->ImagePath = dir / "graphics/";
        Game->SoundPath = dir / "sound/";
        std::filesystem::create_directories(dir / "menus");
        std::filesystem::create_directories(dir / "graphics");
        const auto wav = MakeWav(0.02);
        WriteBytes(dir / "sound/buttonMO.wav", std::string(wav.begin(), wav.end()));
        WriteBytes(dir / "sound/buttonclick.wav", std::string(wav.begin(), wav.end()));
        for (const char* name : {"OK", "Cancel", "Yes", "No"}) MenuPicture(name, 80, 40);
        ::Delta = 1.0f;
    }

    // name.png and nameMO.png in the menu folder.
    void MenuPicture(const std::string& name, int w, int h) {
        WritePng(dir / ("menus/" + name + ".png"), w, h, 0xFF2040A0u);
        WritePng(dir / ("menus/" + name + "MO.png"), w, h, 0xFF40A0FFu);
    }

    // One logic step's input: the pointer's presses of the last step are gone,
    // the queued events are read.
    void Step() {
        Game->Mouse->ClearMouseHit();
        Game->DoPeekEvent();
    }
    void MoveTo(int x, int y) { platform::PostEvent({platform::EventKind::MouseMove, 0, x, y}); }
    void Down(int x, int y) {
        MoveTo(x, y);
        platform::PostEvent({platform::EventKind::MouseDown, 1, x, y});
    }
    void Up() { platform::PostEvent({platform::EventKind::MouseUp, 1, 0, 0}); }
    // A left click at (x, y) within one step.
    void ClickAt(int x, int y) {
        Down(x, y);
        Up();
    }
    void Type(const std::string& text) {
        for (unsigned char c : text) platform::PostEvent({platform::EventKind::KeyChar, c, 0, 0});
    }
    // A key as the platform reports it: down, up, and the character some keys type.
    void Key(int key) {
        Press(key);
        if (key == platform::vk::RETURN || key == platform::vk::ESCAPE || key == platform::vk::BACK ||
            key == platform::vk::SPACE)
            platform::PostEvent({platform::EventKind::KeyChar, key, 0, 0});
    }

    ScratchDir dir;
};
