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

constexpr const char* kUsage =
    "usage: tallyfold-assets --data DIR --archive DIR [--fonts DIR] [--icons DIR --icon-name NAME]\n"
    "       tallyfold-assets --help | --version\n"
    "\n"
    "Draws every picture and synthesises every sound and the music of Tallyfold.\n"
    "  --data DIR       receives graphics/, menus/, sound/ and music/\n"
    "  --archive DIR    receives the items that are packed into data.pak\n"
    "  --fonts DIR      holds Carlito-Regular.ttf and Carlito-Bold.ttf\n"
    "                   (default /usr/share/fonts/truetype/crosextra)\n"
    "  --icons DIR      receives the desktop icons as hicolor/, each file named NAME\n";

int Usage(const std::string& what) {
    std::fprintf(stderr, "tallyfold-assets: %s\nTry 'tallyfold-assets --help' for more information.\n", what.c_str());
    return 2;
}

int Print(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return 0;
    std::fprintf(stderr, "tallyfold-assets: cannot write to standard output\n");
    return 1;
}

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    fs::path data, archive, icons, fonts = "/usr/share/fonts/truetype/crosextra";
    std::string iconName;
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) return Print(kUsage);
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0)
        return Print(std::string("tallyfold-assets ") + TALLYFOLD_VERSION + "\n");
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
        else if (argv[i][0] == '-' && !hasValue &&
                 (!std::strcmp(argv[i], "--data") || !std::strcmp(argv[i], "--archive") ||
                  !std::strcmp(argv[i], "--fonts") || !std::strcmp(argv[i], "--icons") ||
                  !std::strcmp(argv[i], "--icon-name")))
            return Usage(std::string(argv[i]) + " needs a value");
        else
            return Usage(std::string(argv[i][0] == '-' ? "unknown option '" : "unexpected argument '") + argv[i] + "'");
    }
    if (data.empty() || archive.empty()) return Usage("--data and --archive are both needed");
    if (icons.empty() != iconName.empty()) return Usage("--icons and --icon-name go together");
    // The name becomes a file name.
    if (iconName.find('/') != std::string::npos || iconName == "." || iconName == "..")
        return Usage("--icon-name must be a plain file name, not '" + iconName + "'");

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
        return std::fflush(stdout) == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tallyfold-assets: %s\n", e.what());
        return 1;
    }
}
