// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The whole game set up by hand from the built data tree (no main loop, no
// splash): the real screens driven through the real logic step with a fake
// clock, and pictures of them in the test artifacts folder.
#include <memory>
#include <string>

#include "scratch_dir.h"
#include "widget_support.h"

class TMenu;

class GameScreensFixture : public GraphicsFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // n logic steps of 5 ms, with a frame drawn every few steps as the real
    // loop draws, and one at the end.
    void Ticks(int n);
    // Draws a frame; a name also writes it as ArtifactPrefix + name + ".png".
    void Frame(const std::string& shot);
    void MoveTo(float x, float y);
    // Move, press and release as separate steps, then settle steps.
    void ClickAt(float x, float y, int button = 1, int settle = 0);
    void ClickButton(const std::shared_ptr<TMenu>& menu, const std::string& name, int settle = 30);
    // Logic steps of 5 ms without drawing.
    void Steps(int n);
    // A key pressed and released, then two steps; With holds a modifier around it.
    void Key(int key);
    void With(int modifier, int key);

    std::string ArtifactPrefix = "play-";
    ScratchDir scratch;
};
