// Frame time and CPU use of the real main loop on the software renderer: an idle
// screen, and a screen drawing 1000 alpha-blended 32 x 32 images per frame.
// Run headless: SDL_VIDEODRIVER=offscreen build/bin/loop-bench
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>

#include "framework/core/game.h"
#include "framework/core/input.h"
#include "framework/screens/screen.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/system.h"

namespace {
class SpriteScreen : public TScreen {
public:
    explicit SpriteScreen(int count) : count_(count) {
        image_ = platform::CreateImage(32, 32);
        auto& pixels = image_->LockFrame(0);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) pixels.WritePixel(x, y, 0x80FF8040u + static_cast<unsigned>(x * 4));
        image_->UnlockFrame(0);
    }
    int Draw() override {
        platform::Cls();
        platform::SetBlend(platform::ALPHABLEND);
        for (int i = 0; i < count_; ++i)
            platform::DrawImage(image_, static_cast<float>((i * 37) % 768), static_cast<float>((i * 53) % 568));
        return 0;
    }

private:
    int count_;
    std::shared_ptr<platform::Image> image_;
};

void Measure(const char* label, int images, int frames) {
    auto screen = std::make_shared<SpriteScreen>(images);
    screen->Start();
    Game->FixedRateLogic->Init();
    auto wallStart = std::chrono::steady_clock::now();
    std::clock_t cpuStart = std::clock();
    for (int i = 0; i < frames; ++i) {
        Game->MainLogicLoop();
        Game->ScreenDraw();
    }
    double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart).count();
    double cpu = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    std::printf("| %-28s | %8.2f ms | %6.1f fps | %5.1f %% |\n", label, wall / frames, 1000.0 * frames / wall,
                100.0 * cpu / wall);
}
}  // namespace

int main() {
    Game = std::make_shared<TGame>();
    Game->FullScreen = 0;
    Game->FixedRateLogic->Create();
    Game->FixedRateLogic->JitterCorrection = 0;
    Game->GraphicsCreate();
    // Measure the loop itself, not the display's refresh rate.
    Game->VSync = 0;
    Game->SetFlipSync();
    std::printf("| %-28s | %11s | %10s | %7s |\n", "case", "frame time", "rate", "CPU");
    std::printf("|------------------------------|-------------|------------|---------|\n");
    Measure("idle", 0, 300);
    Measure("1000 images, alpha blend", 1000, 200);
    platform::Display().CloseGraphics();
    return 0;
}
