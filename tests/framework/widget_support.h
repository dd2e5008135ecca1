// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers of the widget tests: pictures written on the fly, a fixture with
// the real (offscreen) display for pixel checks, and the resting drawing state
// every widget must leave behind.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"
#include "test_support.h"

class TGameImage;

// Writes a w x h PNG filled with one ARGB colour.
void WritePng(const std::string& path, int w, int h, uint32_t argb = 0xFFFFFFFFu);
// An in-memory image of one colour wrapped as a game image (handle as given).
std::shared_ptr<TGameImage> SolidImage(int w, int h, uint32_t argb, int midHandle, int frames = 1);

// Colour white, alpha 1, scale 1, rotation 0, alpha blending.
void ExpectRestingDrawState();

// The real SDL display (offscreen in tests) with the fake clock of FrameworkTest.
class GraphicsFixture : public FrameworkTest {
protected:
    void SetUp() override;
    // 0xRRGGBB of one logical pixel of the back buffer.
    static uint32_t Pixel(int x, int y);
};

inline int Red(uint32_t c) { return (c >> 16) & 0xFF; }
inline int Green(uint32_t c) { return (c >> 8) & 0xFF; }
inline int Blue(uint32_t c) { return c & 0xFF; }
