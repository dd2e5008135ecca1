// SPDX-License-Identifier: GPL-3.0-or-later
// tallyfold-assets: draws every picture and synthesises every sound and the
// music of the game. Run by the build; the same inputs always give the same
// bytes.
//
//   tallyfold-assets --data DIR --archive DIR [--fonts DIR] [--icons DIR --icon-name NAME]
//
// --data receives graphics/, menus/, sound/ and music/ (the game's data
// folder); --archive receives the items that are packed into data.pak;
// --icons receives the desktop icons as an icon theme's hicolor/ folder, each
// file named NAME (the program's desktop name).

#include "audio.h"
#include "canvas.h"
#include "pictures.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: tallyfold-assets --data DIR --archive DIR [--fonts DIR] [--icons DIR --icon-name NAME]\n");
    return 2;
}

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    fs::path data, archive, icons, fonts = "/usr/share/fonts/truetype/crosextra";
    std::string iconName;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--data") == 0 && hasValue)
            data = argv[++i];
        else if (std::strcmp(argv[i], "--archive") == 0 && hasValue)
            archive = argv[++i];
        else if (std::strcmp(argv[i], "--fonts") == 0 && hasValue)
            fonts = argv[++i];
        else if (std::strcmp(argv[i], "--icons") == 0 && hasValue)
            icons = argv[++i];
        else if (std::strcmp(argv[i], "--icon-name") == 0 && hasValue)
            iconName = argv[++i];
        else
            return Usage();
    }
    if (data.empty() || archive.empty() || icons.empty() != iconName.empty()) return Usage();
    // The name becomes a file name.
    if (iconName.find('/') != std::string::npos || iconName == "." || iconName == "..") return Usage();

    try {
        const auto start = std::chrono::steady_clock::now();
        for (const char* sub : {"graphics", "menus", "sound", "music"}) fs::create_directories(data / sub);
        fs::create_directories(archive);

        // The music is by far the slowest part; it runs beside the pictures.
        std::exception_ptr musicError;
        double musicSeconds = 0;
        std::thread music([&] {
            try {
                const auto t = std::chrono::steady_clock::now();
                assets::MakeMusic(data / "music");
                musicSeconds = Since(t);
            } catch (...) {
                musicError = std::current_exception();
            }
        });

        assets::LoadFonts(fonts);
        const auto t0 = std::chrono::steady_clock::now();
        int pictures = assets::MakeButtons(data / "menus");
        pictures += assets::MakeGraphics(data / "graphics");
        pictures += assets::MakeBackgrounds(archive);
        pictures += assets::MakeWindowIcon(data / "graphics");
        if (!icons.empty()) pictures += assets::MakeIcons(icons / "hicolor", iconName);
        const double pictureSeconds = Since(t0);
        assets::ReleaseFonts();

        const auto t1 = std::chrono::steady_clock::now();
        const int sounds = assets::MakeSounds(data / "sound");
        const double soundSeconds = Since(t1);

        music.join();
        if (musicError) std::rethrow_exception(musicError);
        std::printf("tallyfold-assets: %d pictures (%.1f s), %d sounds (%.1f s), music (%.1f s); %.1f s in all\n",
                    pictures, pictureSeconds, sounds, soundSeconds, musicSeconds, Since(start));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tallyfold-assets: %s\n", e.what());
        return 1;
    }
}
