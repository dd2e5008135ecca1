// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every picture of the game. Each function writes its files into the folder
// it is given and returns how many it wrote.

#include <filesystem>
#include <string>

namespace assets {

// data/menus: every button with its mouse-over, pressed and lit variants.
int MakeButtons(const std::filesystem::path& menus);

// data/graphics: board cells, panels, headers, labels, slider, pointer, logos.
int MakeGraphics(const std::filesystem::path& graphics);

// The archived pictures: the six 800 x 600 backgrounds (JPEG) and the two
// particle sprites.
int MakeBackgrounds(const std::filesystem::path& archive);

// The program's icon: data/graphics/icon.png for the window, and the desktop's
// icon theme sizes (16 to 256 pixels and a scalable SVG) named `name` under
// the hicolor folder.
int MakeWindowIcon(const std::filesystem::path& graphics);
int MakeIcons(const std::filesystem::path& hicolor, const std::string& name);

}  // namespace assets
