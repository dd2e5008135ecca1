// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The places of the canvas that changed, as a grid of tiles, and the
// rectangles that cover them. Private to the frames (frame.cpp).
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "internal.h"

namespace platform::detail {

// The dirty area is kept as a grid of tiles this many pixels wide and high.
constexpr int kTile = 16;
// Of the area of the canvas: more dirty than this and one full redraw is cheaper
// than many clipped ones.
constexpr double kFullRedrawShare = 0.6;
constexpr size_t kMaxDirtyRects = 48;

class TileMask {
public:
    // Tiles grow with the canvas's scale so that a big canvas is not cut into
    // needlessly many of them.
    TileMask(int w, int h, int tile = kTile)
        : tile_(std::max(1, tile)), cols_((w + tile_ - 1) / tile_), rows_((h + tile_ - 1) / tile_), w_(w), h_(h) {
        bits_.assign(static_cast<size_t>(cols_) * rows_, 0);
    }
    void Mark(const Box& b) {
        if (b.Empty()) return;
        const int c0 = std::max(0, b.x0 / tile_), c1 = std::min(cols_ - 1, (b.x1 - 1) / tile_);
        const int r0 = std::max(0, b.y0 / tile_), r1 = std::min(rows_ - 1, (b.y1 - 1) / tile_);
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c) bits_[static_cast<size_t>(r) * cols_ + c] = 1;
    }
    void MarkAll() { std::fill(bits_.begin(), bits_.end(), 1); }
    void Clear() { std::fill(bits_.begin(), bits_.end(), 0); }
    void Add(const TileMask& other) {
        if (other.bits_.size() != bits_.size()) return MarkAll();
        for (size_t i = 0; i < bits_.size(); ++i) bits_[i] |= other.bits_[i];
    }
    bool Any() const { return std::find(bits_.begin(), bits_.end(), 1) != bits_.end(); }
    // 1 when every tile under the box is marked, 0 when none is, -1 between.
    int Covered(const Box& b) const {
        if (b.Empty()) return 0;
        bool any = false, all = true;
        const int c0 = std::max(0, b.x0 / tile_), c1 = std::min(cols_ - 1, (b.x1 - 1) / tile_);
        const int r0 = std::max(0, b.y0 / tile_), r1 = std::min(rows_ - 1, (b.y1 - 1) / tile_);
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c) {
                const bool marked = bits_[static_cast<size_t>(r) * cols_ + c] != 0;
                any |= marked;
                all &= marked;
            }
        return all ? 1 : (any ? -1 : 0);
    }

    // The marked tiles as rectangles: runs along each row, a run continued
    // downwards while the rows below have the same run.
    std::vector<SDL_Rect> Rects() const {
        size_t marked = static_cast<size_t>(std::count(bits_.begin(), bits_.end(), 1));
        if (marked == 0) return {};
        std::vector<SDL_Rect> out;
        if (static_cast<double>(marked) > kFullRedrawShare * static_cast<double>(bits_.size())) {
            out.push_back(SDL_Rect{0, 0, w_, h_});
            return out;
        }
        struct Open {
            int c0, c1, r0;
            bool seen;
        };
        std::vector<Open> open;
        auto close = [&](const Open& o, int rowEnd) {
            SDL_Rect r{o.c0 * tile_, o.r0 * tile_, (o.c1 - o.c0) * tile_, (rowEnd - o.r0) * tile_};
            r.w = std::min(r.w, w_ - r.x);
            r.h = std::min(r.h, h_ - r.y);
            out.push_back(r);
        };
        for (int r = 0; r <= rows_; ++r) {
            for (auto& o : open) o.seen = false;
            std::vector<Open> next;
            if (r < rows_) {
                for (int c = 0; c < cols_;) {
                    if (!bits_[static_cast<size_t>(r) * cols_ + c]) {
                        ++c;
                        continue;
                    }
                    int c1 = c;
                    while (c1 < cols_ && bits_[static_cast<size_t>(r) * cols_ + c1]) ++c1;
                    auto same =
                        std::find_if(open.begin(), open.end(), [&](const Open& o) { return o.c0 == c && o.c1 == c1; });
                    if (same != open.end()) {
                        same->seen = true;
                        next.push_back(*same);
                    } else {
                        next.push_back(Open{c, c1, r, true});
                    }
                    c = c1;
                }
            }
            for (auto& o : open)
                if (!o.seen) close(o, r);
            open.swap(next);
        }
        if (out.size() > kMaxDirtyRects) {
            SDL_Rect all = out[0];
            for (const auto& r : out) SDL_UnionRect(&all, &r, &all);
            out.assign(1, all);
        }
        return out;
    }

private:
    int tile_, cols_, rows_, w_, h_;
    std::vector<uint8_t> bits_;
};

}  // namespace platform::detail
