#include "framework/paths/screenshot.h"

#include <ctime>

#include "framework/core/globals.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/image.h"

std::string SaveScreenshot(const std::string& folder) {
    auto pixmap = platform::GrabPixmap(0, 0, ScreenWidth, ScreenHeight);
    if (!pixmap) return "";
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char name[64];
    std::strftime(name, sizeof name, "%Y-%m-%d %H%M%S screenshot.png", &local);
    std::string path = folder.empty() ? platform::CurrentDir() + "/" + name : folder + name;
    return pixmap->SavePNG(path) ? path : "";
}
