// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The overlay that makes a new puzzle, or checks a typed-in one, over the
// setup and play screens.
#include <functional>
#include <memory>
#include <string>

#include "framework/screens/screen.h"

class TAnimation;
class TGameSound;
namespace platform {
class Channel;
}  // namespace platform

// Dims whichever screen owns it, shows "generating" or "solving", and does the
// slow work in the first frame after it is fully faded in.
class TGenerateScreen : public TScreen {
public:
    int Active = 0;
    int MouseState = 0;
    std::shared_ptr<TGameSound> ActivateSound;
    std::shared_ptr<TGameSound> DeactivateSound;
    std::shared_ptr<platform::Channel> Channel;
    std::shared_ptr<TAnimation> FadeIn;
    std::shared_ptr<TAnimation> FadeOut;
    int HasGenerated = 0;

    int Load() override;
    int Kill() override;
    int Logic() override;
    int Draw() override;
    virtual int Show(int playSound);
    virtual int Hide();
    // A typed-in puzzle that failed its check: what the player is told.
    std::function<void(const std::string& message)> Refused;
    // Slow work of another kind in place of a new puzzle (opening a puzzle code): true
    // when it put a puzzle on the board; false when it told the player why not, and the
    // overlay goes away.
    std::function<bool()> Work;
};

// A new overlay in place of the old one, loaded.
std::shared_ptr<TGenerateScreen> FreshOverlay(const std::shared_ptr<TGenerateScreen>& old);
