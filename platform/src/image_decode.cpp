// SPDX-License-Identifier: GPL-3.0-or-later
// Pixmaps and decoding pictures: the header is checked before any pixel is
// allocated.
#include <SDL_image.h>
#include <png.h>

#include <algorithm>
#include <cstring>

#include "internal.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/stream.h"

namespace platform {

// ---- Pixmap ----------------------------------------------------------------

Pixmap::Pixmap(int width, int height)
    : width_(std::max(0, width)),
      height_(std::max(0, height)),
      pixels_(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0u) {}

uint32_t Pixmap::ReadPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return pixels_[static_cast<size_t>(y) * width_ + x];
}

void Pixmap::WritePixel(int x, int y, uint32_t argb) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[static_cast<size_t>(y) * width_ + x] = argb;
}

std::shared_ptr<Pixmap> Pixmap::Copy() const { return std::make_shared<Pixmap>(*this); }

bool Pixmap::SavePNG(const std::string& path) const {
    if (width_ <= 0 || height_ <= 0) return false;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width_);
    image.height = static_cast<png_uint_32>(height_);
    // ARGB words in little-endian memory are the bytes B, G, R, A.
    image.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    const png_int_32 stride = width_ * 4;  // counted in components, four per pixel
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels_.data(), stride, nullptr)) {
        png_image_free(&image);
        return false;
    }
    std::string bytes(size, '\0');
    bool ok = png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels_.data(), stride, nullptr) != 0;
    png_image_free(&image);
    if (!ok) return false;
    bytes.resize(size);
    return SaveFileAtomic(path, bytes);
}

namespace detail {

// ---- decoding --------------------------------------------------------------

bool SizeAcceptable(int64_t w, int64_t h) {
    return w > 0 && h > 0 && w <= kMaxImageSide && h <= kMaxImageSide && w * h <= kMaxImagePixels;
}

namespace {

uint32_t Be32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
uint32_t Be16(const uint8_t* p) { return (uint32_t(p[0]) << 8) | p[1]; }
uint32_t Le16(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
int32_t Le32s(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
                                (uint32_t(p[3]) << 24));
}

// Names the decoder for the bytes and checks the size their header declares,
// so that a damaged or hostile header never reaches an allocation. nullptr
// when the data is not a picture we read. For a PNG, *w and *h (when given)
// receive the declared size.
const char* SniffImage(const uint8_t* d, size_t n, int64_t* w = nullptr, int64_t* h = nullptr) {
    static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (n >= 24 && std::memcmp(d, kPng, 8) == 0) {
        if (std::memcmp(d + 12, "IHDR", 4) != 0) return nullptr;
        if (w && h) {
            *w = Be32(d + 16);
            *h = Be32(d + 20);
        }
        return SizeAcceptable(Be32(d + 16), Be32(d + 20)) ? "PNG" : nullptr;
    }
    if (n >= 4 && d[0] == 0xFF && d[1] == 0xD8) {
        size_t i = 2;
        while (i + 4 <= n) {
            if (d[i] != 0xFF) return nullptr;
            uint8_t marker = d[i + 1];
            if (marker == 0xFF) {
                ++i;
                continue;
            }
            if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
                i += 2;
                continue;
            }
            if (marker == 0xD9 || marker == 0xDA) return nullptr;  // no frame header before data
            uint32_t len = Be16(d + i + 2);
            bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
            if (sof) {
                if (i + 9 > n) return nullptr;
                return SizeAcceptable(Be16(d + i + 7), Be16(d + i + 5)) ? "JPG" : nullptr;
            }
            if (len < 2) return nullptr;
            i += 2 + len;
        }
        return nullptr;
    }
    if (n >= 26 && d[0] == 'B' && d[1] == 'M') {
        int64_t w = Le32s(d + 18);
        int64_t h = Le32s(d + 22);
        return SizeAcceptable(w, h < 0 ? -h : h) ? "BMP" : nullptr;
    }
    // TGA has no signature; accept only a plausible header.
    if (n >= 18) {
        uint8_t mapType = d[1], type = d[2], depth = d[16];
        bool typeOk = type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
        bool depthOk = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
        if (mapType <= 1 && typeOk && depthOk && SizeAcceptable(Le16(d + 12), Le16(d + 14))) {
            // The TGA decoder fills in whatever a short file lacks, so a
            // truncated one must be caught here.
            const uint64_t mapBytes = mapType ? uint64_t(Le16(d + 5)) * ((d[7] + 7) / 8) : 0;
            const uint64_t start = 18 + uint64_t(d[0]) + mapBytes;
            const uint64_t pixels = uint64_t(Le16(d + 12)) * Le16(d + 14) * ((depth + 7) / 8);
            const bool rle = type >= 9;
            if (rle ? n > start : n >= start + pixels) return "TGA";
        }
    }
    return nullptr;
}

}  // namespace

bool PngSize(const uint8_t* data, size_t size, int64_t& w, int64_t& h) {
    w = h = -1;
    return data && SniffImage(data, size, &w, &h) && w > 0;
}

std::shared_ptr<Pixmap> DecodePixmap(const uint8_t* data, size_t size) {
    if (!data || size == 0 || size > size_t(INT32_MAX)) return nullptr;
    const char* type = SniffImage(data, size);
    if (!type) return nullptr;
    SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
    if (!rw) return nullptr;
    SDL_Surface* loaded = IMG_LoadTyped_RW(rw, 1, type);
    if (!loaded) return nullptr;
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (!argb) return nullptr;
    if (!SizeAcceptable(argb->w, argb->h)) {
        SDL_FreeSurface(argb);
        return nullptr;
    }
    auto pixmap = std::make_shared<Pixmap>(argb->w, argb->h);
    SDL_LockSurface(argb);
    for (int y = 0; y < argb->h; ++y) {
        std::memcpy(pixmap->Pixels() + static_cast<size_t>(y) * argb->w,
                    static_cast<const uint8_t*>(argb->pixels) + static_cast<size_t>(y) * argb->pitch,
                    static_cast<size_t>(argb->w) * 4);
    }
    SDL_UnlockSurface(argb);
    SDL_FreeSurface(argb);
    return pixmap;
}

}  // namespace detail

}  // namespace platform
