// SPDX-License-Identifier: GPL-3.0-or-later
// Lines on a scaled canvas. SDL draws a scaled line as squares of the
// scale's size at positions it truncates, which leaves gaps between them at
// scales that are not whole (a filled star came out as a sieve). Here every
// logical pixel of the line is a square whose edges are rounded as
// rectangles' edges are, so neighbouring squares meet exactly.
#include <algorithm>
#include <cmath>
#include <vector>

#include "internal.h"

namespace platform::detail {

void DrawScaledLine(SDL_Renderer* r, float x0, float y0, float x1, float y1, float kx, float ky) {
    const float dx = x1 - x0, dy = y1 - y0;
    const float length = std::max(std::fabs(dx), std::fabs(dy));
    if (!std::isfinite(length)) return;
    // Steps of at most a logical pixel, so that the squares touch; a line
    // longer than any canvas is cut where a canvas would end.
    const int steps = static_cast<int>(std::ceil(std::min(length, 20000.0f)));
    std::vector<SDL_FRect> squares;
    squares.reserve(static_cast<size_t>(steps) + 1);
    float lastX = NAN, lastY = NAN;
    for (int i = 0; i <= steps; ++i) {
        const float t = steps > 0 ? static_cast<float>(i) / static_cast<float>(steps) : 0.0f;
        const float px = std::floor(x0 + t * dx), py = std::floor(y0 + t * dy);
        // A pixel met twice is drawn once: twice would darken a translucent line.
        if (px == lastX && py == lastY) continue;
        lastX = px;
        lastY = py;
        squares.push_back(OnCanvas(SDL_FRect{px, py, 1.0f, 1.0f}, kx, ky));
    }
    if (!squares.empty()) SDL_RenderFillRectsF(r, squares.data(), static_cast<int>(squares.size()));
}

}  // namespace platform::detail
