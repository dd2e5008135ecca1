// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>

#include "test_support.h"

#include "framework/core/input.h"
#include "framework/paths/errors.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

namespace {
// Headless whether run by CTest or by hand: offscreen video, OpenAL's null
// device, message boxes that never wait. A variable set from outside wins.
const bool kHeadless = [] {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("TALLYFOLD_NONINTERACTIVE", "1", 0);
    return true;
}();
}  // namespace

void FrameworkTest::SetUp() {
    auto fake = std::make_unique<FakeDisplay>();
    display = fake.get();
    platform::SetDisplayDevice(std::move(fake));
    platform::SetMilliSecsSource([this] { return now; });
    platform::SetDelayHook([](int) {});
    platform::SetNotifyHook([this](const std::string& text, bool) { notices.push_back(text); });
    // The game's message box would wait for a key; the player's notices are
    // collected with the platform's.
    ResetWriteFaults();
    SharedData.NoticeHook = [this](const std::string& text) { notices.push_back(text); };
    platform::ClearEvents();
    Game = std::make_shared<TGame>();
    Game->FixedRateLogic->Create();
    Game->FixedRateLogic->Init();
    Keys.UsePlatformInput = 0;
    FlushKeys();
}

void FrameworkTest::TearDown() {
    Game.reset();
    platform::SetDisplayDevice(nullptr);
    platform::SetMilliSecsSource({});
    platform::SetDelayHook({});
    platform::SetNotifyHook({});
    ResetWriteFaults();
    SharedData.NoticeHook = nullptr;
    platform::ClearEvents();
    Keys.UsePlatformInput = 1;
}

void FrameworkTest::Press(int key) {
    platform::PostEvent({platform::EventKind::KeyDown, key, 0, 0});
    platform::PostEvent({platform::EventKind::KeyUp, key, 0, 0});
}
