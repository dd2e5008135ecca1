// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/paths/screenshot.h"

#include "framework/core/globals.h"
#include "framework/util/datetime.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/image.h"

std::string ScreenshotName(const TDateTime& when) {
    return TDateTime::Get_String(when, "YYYY-MM-DD HHNNSS screenshot.png");
}

std::string SaveScreenshot(const std::string& folder) {
    auto pixmap = platform::GrabPixmap(0, 0, ScreenWidth, ScreenHeight);
    if (!pixmap) return "";
    // The back buffer's alpha means nothing on screen; an opaque picture is what
    // the player saw.
    uint32_t* pixels = pixmap->Pixels();
    for (int i = 0, n = pixmap->Width() * pixmap->Height(); i < n; ++i) pixels[i] |= 0xFF000000u;
    TDateTime now;
    now.Set_DateTimeCurrent();
    std::string name = ScreenshotName(now);
    std::string path = folder.empty() ? platform::CurrentDir() + "/" + name : folder + name;
    return pixmap->SavePNG(path) ? path : "";
}
