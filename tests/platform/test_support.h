// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared helpers of the platform tests: a private temporary folder and a
// headless 800 x 600 window whose back buffer can be read.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"

namespace tftest {

// A fresh folder below /tmp, removed with everything in it afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
std::vector<uint8_t> ToBytes(const std::string& s);

// Opens the 800 x 600 window once for the whole test program and puts the
// drawing state back to its resting values before each test.
class GraphicsTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Colour of one logical pixel of the back buffer as 0xRRGGBB.
    static uint32_t Pixel(int x, int y);
};

void ResetDrawState();

// Channel values of 0xRRGGBB.
inline int R(uint32_t c) { return (c >> 16) & 0xFF; }
inline int G(uint32_t c) { return (c >> 8) & 0xFF; }
inline int B(uint32_t c) { return c & 0xFF; }

// A w x h pixmap filled with one ARGB value.
platform::Pixmap Filled(int w, int h, uint32_t argb);

}  // namespace tftest
