// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdlib>

#include "tallyfold/platform/system.h"
#include "test_support.h"

using namespace platform;
using tftest::B;
using tftest::G;
using tftest::R;

namespace {

#define EXPECT_RGB_NEAR(pixel, r, g, b)        \
    do {                                       \
        uint32_t p_ = (pixel);                 \
        EXPECT_NEAR(R(p_), (r), 3) << "red";   \
        EXPECT_NEAR(G(p_), (g), 3) << "green"; \
        EXPECT_NEAR(B(p_), (b), 3) << "blue";  \
    } while (0)

class DisplayTest : public tftest::GraphicsTest {};

std::shared_ptr<Image> SolidImage(int w, int h, uint32_t argb) {
    return ImageFromPixmap(tftest::Filled(w, h, argb), 0);
}

TEST(DisplayModes, DriversAndModesUnderTheHeadlessDriver) {
    SetDisplayDevice(nullptr);
    EXPECT_FALSE(Display().DriverAvailable(GfxDriver::DirectX7));
    EXPECT_FALSE(Display().SelectDriver(GfxDriver::DirectX7, GRAPHICS_BACKBUFFER));
    EXPECT_TRUE(Display().DriverAvailable(GfxDriver::OpenGL));
    // The offscreen driver lists no usable mode; the desktop stands in.
    EXPECT_GE(Display().CountModes(), 1);
    EXPECT_TRUE(Display().ModeExists(800, 600, 32, 0));
    EXPECT_TRUE(Display().ModeExists(800, 600, 16, 0));
    EXPECT_FALSE(Display().ModeExists(800, 600, 8, 0));
    EXPECT_FALSE(Display().ModeExists(9000, 9000, 32, 0));
    EXPECT_GT(Display().DesktopRefreshRate(), 0);
    int w = 0, h = 0;
    Display().DesktopSize(w, h);
    EXPECT_GE(w, 800);
    EXPECT_GE(h, 600);
}

TEST_F(DisplayTest, ClearAndPrimitives) {
    SetClsColor(10, 20, 30);
    Cls();
    EXPECT_RGB_NEAR(Pixel(5, 5), 10, 20, 30);
    EXPECT_RGB_NEAR(Pixel(799, 599), 10, 20, 30);

    SetColor(255, 0, 0);
    DrawRect(100, 100, 50, 20);
    EXPECT_RGB_NEAR(Pixel(100, 100), 255, 0, 0);
    EXPECT_RGB_NEAR(Pixel(149, 119), 255, 0, 0);
    EXPECT_RGB_NEAR(Pixel(150, 100), 10, 20, 30);

    SetColor(0, 255, 0);
    Plot(300, 300);
    EXPECT_RGB_NEAR(Pixel(300, 300), 0, 255, 0);
    EXPECT_RGB_NEAR(Pixel(301, 300), 10, 20, 30);

    SetColor(0, 0, 255);
    DrawLine(400, 400, 440, 400);
    EXPECT_RGB_NEAR(Pixel(420, 400), 0, 0, 255);
    EXPECT_RGB_NEAR(Pixel(420, 402), 10, 20, 30);

    // A filled ellipse: its centre and the middle of each edge, not the corners.
    SetColor(255, 255, 0);
    DrawOval(500, 100, 100, 50);
    EXPECT_RGB_NEAR(Pixel(550, 125), 255, 255, 0);
    EXPECT_RGB_NEAR(Pixel(502, 125), 255, 255, 0);
    EXPECT_RGB_NEAR(Pixel(550, 101), 255, 255, 0);
    EXPECT_RGB_NEAR(Pixel(503, 103), 10, 20, 30);
    EXPECT_RGB_NEAR(Pixel(597, 147), 10, 20, 30);

    // Scale applies to primitives about the drawing position.
    SetColor(255, 255, 255);
    SetScale(2, 3);
    DrawRect(700, 500, 10, 10);
    EXPECT_RGB_NEAR(Pixel(719, 529), 255, 255, 255);
    EXPECT_RGB_NEAR(Pixel(721, 529), 10, 20, 30);
}

TEST_F(DisplayTest, FiveBlendModes) {
    // Grey background; an image with a half-opaque red pixel, a mostly
    // transparent red pixel and an opaque one.
    Pixmap pm(3, 1);
    pm.WritePixel(0, 0, 0x80C80000);  // alpha 128
    pm.WritePixel(1, 0, 0x64C80000);  // alpha 100, below one half
    pm.WritePixel(2, 0, 0xFF80FF00);  // opaque (128, 255, 0)
    auto img = ImageFromPixmap(pm, 0);
    ASSERT_TRUE(img);
    auto drawAt = [&](int blend, int y) {
        SetColor(100, 100, 100);
        SetBlend(SOLIDBLEND);
        DrawRect(0, static_cast<float>(y), 10, 1);
        SetColor(255, 255, 255);
        SetBlend(blend);
        DrawImage(img, 0, static_cast<float>(y));
    };
    drawAt(MASKBLEND, 10);
    EXPECT_RGB_NEAR(Pixel(0, 10), 200, 0, 0);
    EXPECT_RGB_NEAR(Pixel(1, 10), 100, 100, 100);

    drawAt(SOLIDBLEND, 20);
    EXPECT_RGB_NEAR(Pixel(0, 20), 200, 0, 0);
    EXPECT_RGB_NEAR(Pixel(1, 20), 200, 0, 0);

    drawAt(ALPHABLEND, 30);
    EXPECT_RGB_NEAR(Pixel(0, 30), 150, 50, 50);
    EXPECT_RGB_NEAR(Pixel(2, 30), 128, 255, 0);

    drawAt(LIGHTBLEND, 40);
    EXPECT_RGB_NEAR(Pixel(0, 40), 200, 100, 100);
    EXPECT_RGB_NEAR(Pixel(2, 40), 228, 255, 100);

    drawAt(SHADEBLEND, 50);
    EXPECT_RGB_NEAR(Pixel(2, 50), 50, 100, 0);
    // A half-transparent pixel shades halfway; the destination of a
    // transparent one is left alone.
    EXPECT_RGB_NEAR(Pixel(0, 50), 89, 50, 50);
    Pixmap clear(1, 1);
    auto transparent = ImageFromPixmap(clear, 0);
    SetBlend(SHADEBLEND);
    DrawImage(transparent, 5, 50);
    EXPECT_RGB_NEAR(Pixel(5, 50), 100, 100, 100);

    // Global alpha with the alpha blend, and with mask (which ignores it
    // from one half up and draws nothing below).
    SetAlpha(0.5f);
    drawAt(ALPHABLEND, 60);
    EXPECT_RGB_NEAR(Pixel(2, 60), 114, 178, 50);
    SetAlpha(0.25f);
    SetBlend(MASKBLEND);
    SetColor(255, 0, 0);
    DrawRect(20, 60, 5, 5);
    EXPECT_RGB_NEAR(Pixel(22, 62), 0, 0, 0);
    SetAlpha(0.75f);
    DrawRect(20, 60, 5, 5);
    EXPECT_RGB_NEAR(Pixel(22, 62), 255, 0, 0);
}

TEST_F(DisplayTest, ColourScaleRotationAndHandle) {
    auto white = SolidImage(10, 10, 0xFFFFFFFF);
    SetColor(255, 128, 0);
    DrawImage(white, 10, 10);
    EXPECT_RGB_NEAR(Pixel(15, 15), 255, 128, 0);
    SetColor(255, 255, 255);

    white->MidHandle();
    SetScale(2, 2);
    DrawImage(white, 100, 100);
    EXPECT_RGB_NEAR(Pixel(91, 91), 255, 255, 255);
    EXPECT_RGB_NEAR(Pixel(108, 108), 255, 255, 255);
    EXPECT_RGB_NEAR(Pixel(89, 100), 0, 0, 0);
    EXPECT_RGB_NEAR(Pixel(111, 100), 0, 0, 0);

    // A negative scale mirrors about the handle.
    white->SetHandle(0, 0);
    SetScale(-1, 1);
    DrawImage(white, 200, 100);
    EXPECT_RGB_NEAR(Pixel(195, 105), 255, 255, 255);
    EXPECT_RGB_NEAR(Pixel(205, 105), 0, 0, 0);

    // 90 degrees clockwise about the handle: a wide bar becomes a tall one
    // hanging down and to the left of the drawing position.
    SetScale(1, 1);
    auto bar = SolidImage(20, 4, 0xFFFFFFFF);
    SetRotation(90);
    DrawImage(bar, 300, 300);
    EXPECT_RGB_NEAR(Pixel(298, 310), 255, 255, 255);
    EXPECT_RGB_NEAR(Pixel(310, 302), 0, 0, 0);

    // Images made while auto mid-handle is on carry their centre as handle.
    SetAutoMidHandle(true);
    auto centred = CreateImage(30, 20);
    ASSERT_TRUE(centred);
    EXPECT_FLOAT_EQ(centred->HandleX(), 15);
    EXPECT_FLOAT_EQ(centred->HandleY(), 10);
    SetAutoMidHandle(false);
    EXPECT_FLOAT_EQ(CreateImage(30, 20)->HandleX(), 0);
}

TEST_F(DisplayTest, ViewportClipsDrawingButNotClear) {
    SetViewport(0, 0, 50, 50);
    SetColor(255, 255, 255);
    DrawRect(0, 0, 100, 100);
    EXPECT_RGB_NEAR(Pixel(10, 10), 255, 255, 255);
    EXPECT_RGB_NEAR(Pixel(60, 10), 0, 0, 0);
    int x, y, w, h;
    GetViewport(x, y, w, h);
    EXPECT_EQ(w, 50);
    SetClsColor(0, 0, 90);
    Cls();
    EXPECT_RGB_NEAR(Pixel(60, 10), 0, 0, 90);
    // An empty viewport draws nothing at all.
    SetViewport(0, 0, 0, 0);
    DrawRect(0, 0, 100, 100);
    SetViewport(0, 0, 800, 600);
    EXPECT_RGB_NEAR(Pixel(10, 10), 0, 0, 90);
}

TEST_F(DisplayTest, DrawingStateReadBack) {
    SetColor(300, -5, 7);
    int r, g, b;
    GetColor(r, g, b);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 0);
    EXPECT_EQ(b, 7);
    SetAlpha(2.0f);
    EXPECT_FLOAT_EQ(GetAlpha(), 1.0f);
    SetBlend(LIGHTBLEND);
    SetBlend(42);  // not a blend mode: ignored
    EXPECT_EQ(GetBlend(), LIGHTBLEND);
    SetScale(1.5f, 0.5f);
    float sx, sy;
    GetScale(sx, sy);
    EXPECT_FLOAT_EQ(sx, 1.5f);
    EXPECT_FLOAT_EQ(sy, 0.5f);
    SetRotation(45);
    EXPECT_FLOAT_EQ(GetRotation(), 45);
}

TEST_F(DisplayTest, TexturesSurviveAModeChange) {
    auto img = SolidImage(8, 8, 0xFF00FF00);
    DrawImage(img, 0, 0);
    EXPECT_RGB_NEAR(Pixel(4, 4), 0, 255, 0);

    Display().CloseGraphics();
    EXPECT_FALSE(Display().HasGraphics());
    EXPECT_EQ(GrabPixmap(0, 0, 1, 1), nullptr);
    DrawImage(img, 0, 0);  // no context: nothing happens
    Cls();

    // Full screen draws the logical screen at the desktop's size; reading back
    // still works in logical pixels (at 1.28 canvas pixels to the logical one,
    // the picture's last row and column blend with what lies beyond).
    ASSERT_TRUE(Display().CreateGraphics(800, 600, 32, 60, GRAPHICS_BACKBUFFER));
    EXPECT_TRUE(Display().IsFullScreen());
    EXPECT_TRUE(Display().WindowIsForeground());
    EXPECT_NE(Display().WindowHandle(), 0);
    Cls();
    DrawImage(img, 400, 300);
    EXPECT_RGB_NEAR(Pixel(401, 301), 0, 255, 0);
    EXPECT_RGB_NEAR(Pixel(406, 306), 0, 255, 0);
    EXPECT_RGB_NEAR(Pixel(410, 301), 0, 0, 0);
    auto shot = GrabPixmap(0, 0, 800, 600);
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->Width(), 800);

    ASSERT_TRUE(Display().CreateGraphics(800, 600, 0, 0, GRAPHICS_BACKBUFFER));
    EXPECT_FALSE(Display().IsFullScreen());
    Cls();
    DrawImage(img, 0, 0);
    EXPECT_RGB_NEAR(Pixel(4, 4), 0, 255, 0);
}

TEST_F(DisplayTest, TimedFlipSpacesFramesAndSkipsNoBurstAfterAStall) {
    int now = 1000;
    int waits = 0;
    SetMilliSecsSource([&] { return now; });
    SetDelayHook([&](int ms) {
        now += ms;
        ++waits;
    });
    ASSERT_TRUE(Display().CreateGraphics(800, 600, 0, 60, GRAPHICS_BACKBUFFER));
    for (int i = 0; i < 61; ++i) Flip(-1);
    // 60 intervals of 1000/60 ms, the fraction carried: one second.
    EXPECT_NEAR(now - 1000, 1000, 1);

    // Half a second lost: the next flip goes at once and the one after
    // waits a whole frame again instead of catching up.
    now += 500;
    waits = 0;
    Flip(-1);
    EXPECT_EQ(waits, 0);
    int before = now;
    Flip(-1);
    EXPECT_NEAR(now - before, 16, 1);

    // Flip 0 never sleeps. Flip 1 asks for the vertical blank, which this
    // display does not give, and is spaced to 60 Hz all the same.
    waits = 0;
    Flip(0);
    EXPECT_EQ(waits, 0);
    before = now;
    for (int i = 0; i < 60; ++i) Flip(1);
    EXPECT_NEAR(now - before, 1000, 17);
    SetMilliSecsSource(nullptr);
    SetDelayHook(nullptr);
    ASSERT_TRUE(Display().CreateGraphics(800, 600, 0, 0, GRAPHICS_BACKBUFFER));
}

class FakeDisplay : public DisplayDevice {
public:
    bool DriverAvailable(GfxDriver) override { return false; }
    bool SelectDriver(GfxDriver, int) override { return false; }
    int CountModes() override { return 0; }
    bool ModeExists(int, int, int, int) override { return false; }
    bool CreateGraphics(int, int, int, int, int) override { return false; }
    void CloseGraphics() override {}
    bool HasGraphics() override { return false; }
    int WindowHandle() override { return 0; }
    void DesktopSize(int& w, int& h) override { w = h = 0; }
    int DesktopRefreshRate() override { return 60; }
    int WindowRefreshRate() override { return -1; }
    void WindowRect(int& x, int& y, int& w, int& h) override { x = y = w = h = 0; }
    void ClientPos(int& x, int& y) override { x = y = 0; }
    void CentreWindow() override {}
    void MinimiseWindow() override {}
    bool WindowIsForeground() override { return false; }
    void SetWindowIcon(const std::string&) override {}
    bool IsFullScreen() override { return false; }
};

TEST_F(DisplayTest, AFakeDeviceTakesOverAndDrawingBecomesHarmless) {
    SetDisplayDevice(std::make_unique<FakeDisplay>());
    EXPECT_EQ(Display().CountModes(), 0);
    EXPECT_FALSE(Display().HasGraphics());
    DrawRect(0, 0, 10, 10);
    DrawText("x", 0, 0);
    Flip(-1);
    EXPECT_EQ(GrabPixmap(0, 0, 1, 1), nullptr);
    SetDisplayDevice(nullptr);
    EXPECT_TRUE(Display().HasGraphics());
}

}  // namespace
