// SPDX-License-Identifier: GPL-3.0-or-later
#include "widget_support.h"

#include "framework/widgets/image_bank.h"
#include "tallyfold/platform/font.h"

void WritePng(const std::string& path, int w, int h, uint32_t argb) {
    platform::Pixmap p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.WritePixel(x, y, argb);
    ASSERT_TRUE(p.SavePNG(path)) << path;
}

std::shared_ptr<TGameImage> SolidImage(int w, int h, uint32_t argb, int midHandle, int frames) {
    auto image = platform::CreateImage(w, h, frames);
    for (int f = 0; f < frames; ++f) {
        auto& pixels = image->LockFrame(f);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) pixels.WritePixel(x, y, argb);
        image->UnlockFrame(f);
    }
    return TGameImage::CreateFromImage(image, "SOLID", midHandle);
}

void ExpectRestingDrawState() {
    int r, g, b;
    platform::GetColor(r, g, b);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 255);
    EXPECT_EQ(b, 255);
    EXPECT_FLOAT_EQ(platform::GetAlpha(), 1.0f);
    float sx, sy;
    platform::GetScale(sx, sy);
    EXPECT_FLOAT_EQ(sx, 1.0f);
    EXPECT_FLOAT_EQ(sy, 1.0f);
    EXPECT_FLOAT_EQ(platform::GetRotation(), 0.0f);
    EXPECT_EQ(platform::GetBlend(), platform::ALPHABLEND);
}

void GraphicsFixture::SetUp() {
    FrameworkTest::SetUp();
    platform::SetDisplayDevice(nullptr);
    if (!platform::Display().HasGraphics()) {
        ASSERT_TRUE(platform::Display().SelectDriver(platform::GfxDriver::OpenGL, platform::GRAPHICS_BACKBUFFER));
        ASSERT_TRUE(platform::Display().CreateGraphics(800, 600, 0, 0, platform::GRAPHICS_BACKBUFFER));
    }
    platform::SetColor(255, 255, 255);
    platform::SetAlpha(1.0f);
    platform::SetBlend(platform::ALPHABLEND);
    platform::SetScale(1, 1);
    platform::SetRotation(0);
    platform::SetViewport(0, 0, 800, 600);
    platform::SetImageFont(nullptr);
    platform::SetAutoMidHandle(false);
    platform::SetClsColor(0, 0, 0);
    platform::Cls();
}

uint32_t GraphicsFixture::Pixel(int x, int y) {
    auto p = platform::GrabPixmap(x, y, 1, 1);
    return p ? (p->ReadPixel(0, 0) & 0xFFFFFFu) : 0xDEADBEEFu;
}
