// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {
// Before main: the whole program runs headless, whatever the shell says.
const bool kHeadless = [] {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ALSOFT_DRIVERS", "null", 0);  // the wave-file test's child asks for another
    setenv("TALLYFOLD_NONINTERACTIVE", "1", 1);
    return true;
}();
}  // namespace

namespace tftest {

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tfplat-XXXXXX").string();
    path_ = mkdtemp(tmpl.data()) ? tmpl : std::string();
    if (path_.empty()) ADD_FAILURE() << "cannot create a temporary folder";
}

TempDir::~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

std::vector<uint8_t> ToBytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

void ResetDrawState() {
    using namespace platform;
    SetColor(255, 255, 255);
    SetAlpha(1.0f);
    SetBlend(ALPHABLEND);
    SetScale(1, 1);
    SetRotation(0);
    SetViewport(0, 0, 800, 600);
    SetImageFont(nullptr);
    SetAutoMidHandle(false);
    SetClsColor(0, 0, 0);
}

void GraphicsTest::SetUp() {
    using namespace platform;
    SetDisplayDevice(nullptr);
    if (!Display().HasGraphics()) {
        ASSERT_TRUE(Display().SelectDriver(GfxDriver::OpenGL, GRAPHICS_BACKBUFFER));
        ASSERT_TRUE(Display().CreateGraphics(800, 600, 0, 0, GRAPHICS_BACKBUFFER));
    }
    ResetDrawState();
    Cls();
}

uint32_t GraphicsTest::Pixel(int x, int y) {
    auto p = platform::GrabPixmap(x, y, 1, 1);
    return p ? (p->ReadPixel(0, 0) & 0xFFFFFF) : 0xDEADBEEF;
}

platform::Pixmap Filled(int w, int h, uint32_t argb) {
    platform::Pixmap p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.WritePixel(x, y, argb);
    return p;
}

}  // namespace tftest
