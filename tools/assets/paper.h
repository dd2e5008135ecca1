// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The paper pieces the pictures are built from: tabs (buttons), cards and
// dark panels, and the fold shading used on lettering.

#include "canvas.h"

#include <cstdint>
#include <string>

namespace assets {

enum class TabState { Normal, Over, Down, On, OnOver, Disabled };

struct TabGeometry {
    double x, y, w, h;  // the tab itself, inside the picture's shadow margins
    double radius;
    double fold;  // size of the dog-eared corner
    double shadowDy;
    int shadowBlur;
};

// Margins that leave room for the shadow inside the picture: buttons are hit
// tested on their whole picture, so the margins are kept small.
TabGeometry TabFor(int pictureWidth, int pictureHeight);

// Paints a paper tab in the given state and returns the geometry actually
// used (a pressed tab sits lower). Caption and icons are up to the caller.
TabGeometry PaintTab(Canvas& canvas, TabGeometry g, TabState state, std::uint32_t seed);

// A cream card with a soft shadow and a folded corner (the generating and
// paused notices).
void PaintCard(Canvas& canvas, double x, double y, double w, double h, std::uint32_t seed);

// A dark ink-blue panel that white text reads well on (dialogs, lists).
void PaintPanel(Canvas& canvas, double x, double y, double w, double h, double alpha, std::uint32_t seed);

// Lettering in cream that looks folded across its middle: the upper half
// catches the light, the lower half is a shade darker, with a crease between.
// `second` (may be empty) follows in `secondColour`.
void FoldedLettering(Canvas& canvas, Face face, double px, const std::string& first, Rgb firstColour,
                     const std::string& second, Rgb secondColour, double cx, double baseline, bool shadow);

}  // namespace assets
