// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the picture back, in logical pixels, whatever the size it is drawn at.
#include <algorithm>
#include <cmath>
#include <vector>

#include "internal.h"
#include "tallyfold/platform/image.h"

namespace platform {

std::shared_ptr<Pixmap> GrabPixmap(int x, int y, int w, int h) {
    SDL_Renderer* r = detail::Renderer();
    if (!r || !detail::SizeAcceptable(w, h)) return nullptr;
    detail::FlushDrawing();
    if (SDL_Texture* canvas = detail::Canvas()) {
        // Whatever the window's size, the picture is given in logical pixels.
        auto out = std::make_shared<Pixmap>(w, h);
        std::fill(out->Pixels(), out->Pixels() + static_cast<size_t>(w) * h, 0xFF000000u);
        const SDL_Rect want{x, y, w, h}, all{0, 0, detail::CanvasWidth(), detail::CanvasHeight()};
        SDL_Rect part;
        if (!SDL_IntersectRect(&want, &all, &part)) return out;
        // A canvas bigger than the logical screen is read at its own size and
        // each logical pixel is the average of the canvas pixels it covers.
        const float kx = detail::CanvasScaleX(), ky = detail::CanvasScaleY();
        const int cx0 = static_cast<int>(std::floor(part.x * kx)), cy0 = static_cast<int>(std::floor(part.y * ky));
        const int cx1 = std::min(detail::CanvasPixelWidth(), static_cast<int>(std::ceil((part.x + part.w) * kx)));
        const int cy1 = std::min(detail::CanvasPixelHeight(), static_cast<int>(std::ceil((part.y + part.h) * ky)));
        const SDL_Rect read{cx0, cy0, cx1 - cx0, cy1 - cy0};
        if (read.w <= 0 || read.h <= 0 || int64_t(read.w) * read.h > detail::kMaxImagePixels) return nullptr;
        std::vector<uint32_t> buffer(static_cast<size_t>(read.w) * read.h, 0u);
        SDL_Texture* previous = SDL_GetRenderTarget(r);
        SDL_SetRenderTarget(r, canvas);
        const int failed = SDL_RenderReadPixels(r, &read, SDL_PIXELFORMAT_ARGB8888, buffer.data(), read.w * 4);
        SDL_SetRenderTarget(r, previous);
        if (failed) return nullptr;
        // Each canvas pixel counts by the share of it the logical pixel covers.
        struct Tap {
            int at;
            double weight;
        };
        auto taps = [](int i, float k, int origin, int limit) {
            std::vector<Tap> out;
            const double a = static_cast<double>(i) * k, b = static_cast<double>(i + 1) * k;
            for (int p = static_cast<int>(std::floor(a)); p < static_cast<int>(std::ceil(b)); ++p) {
                const double weight = std::min(b, p + 1.0) - std::max(a, static_cast<double>(p));
                if (weight > 0) out.push_back(Tap{std::clamp(p - origin, 0, limit - 1), weight});
            }
            return out;
        };
        std::vector<std::vector<Tap>> columns;
        for (int xx = 0; xx < part.w; ++xx) columns.push_back(taps(part.x + xx, kx, cx0, read.w));
        for (int yy = 0; yy < part.h; ++yy) {
            const std::vector<Tap> rows = taps(part.y + yy, ky, cy0, read.h);
            for (int xx = 0; xx < part.w; ++xx) {
                double sum[3] = {0, 0, 0}, total = 0;
                for (const Tap& ty : rows)
                    for (const Tap& tx : columns[static_cast<size_t>(xx)]) {
                        const uint32_t v = buffer[static_cast<size_t>(ty.at) * read.w + tx.at];
                        const double weight = ty.weight * tx.weight;
                        sum[0] += weight * ((v >> 16) & 0xFF);
                        sum[1] += weight * ((v >> 8) & 0xFF);
                        sum[2] += weight * (v & 0xFF);
                        total += weight;
                    }
                auto channel = [&](int c) {
                    return total > 0 ? std::min<uint32_t>(255, static_cast<uint32_t>(std::lround(sum[c] / total))) : 0u;
                };
                out->Pixels()[static_cast<size_t>(part.y - y + yy) * w + (part.x - x + xx)] =
                    0xFF000000u | (channel(0) << 16) | (channel(1) << 8) | channel(2);
            }
        }
        return out;
    }
    // The renderer reads physical pixels; map the logical rectangle through
    // the letterbox scale and sample back to logical size.
    float scx = 1, scy = 1;
    SDL_RenderGetScale(r, &scx, &scy);
    SDL_Rect vp;
    SDL_RenderGetViewport(r, &vp);
    if (scx <= 0 || scy <= 0) return nullptr;
    SDL_Rect phys{static_cast<int>(std::lround((vp.x + x) * scx)), static_cast<int>(std::lround((vp.y + y) * scy)),
                  std::max(1, static_cast<int>(std::lround(w * scx))),
                  std::max(1, static_cast<int>(std::lround(h * scy)))};
    if (int64_t(phys.w) * phys.h > detail::kMaxImagePixels) return nullptr;
    std::vector<uint32_t> buffer(static_cast<size_t>(phys.w) * phys.h, 0u);
    if (SDL_RenderReadPixels(r, &phys, SDL_PIXELFORMAT_ARGB8888, buffer.data(), phys.w * 4) != 0) return nullptr;
    auto out = std::make_shared<Pixmap>(w, h);
    for (int yy = 0; yy < h; ++yy) {
        int py = std::min(phys.h - 1, static_cast<int>(yy * scy));
        for (int xx = 0; xx < w; ++xx) {
            int px = std::min(phys.w - 1, static_cast<int>(xx * scx));
            out->Pixels()[static_cast<size_t>(yy) * w + xx] =
                buffer[static_cast<size_t>(py) * phys.w + px] | 0xFF000000u;
        }
    }
    return out;
}

}  // namespace platform
