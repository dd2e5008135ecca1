// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Images (frames with a handle), animation strips, pixmaps and collision layers.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Pixel data in memory, 32-bit ARGB.
class Pixmap {
public:
    Pixmap(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Out-of-range coordinates read 0 and ignore writes.
    uint32_t ReadPixel(int x, int y) const;
    void WritePixel(int x, int y, uint32_t argb);
    std::shared_ptr<Pixmap> Copy() const;
    // Writes a PNG file; false on failure.
    bool SavePNG(const std::string& path) const;
    uint32_t* Pixels() { return pixels_.data(); }
    const uint32_t* Pixels() const { return pixels_.data(); }

private:
    int width_;
    int height_;
    std::vector<uint32_t> pixels_;
};

std::shared_ptr<Pixmap> LoadPixmap(const std::string& path);
std::shared_ptr<Pixmap> LoadPixmap(const std::vector<uint8_t>& bytes);
// Copies a rectangle of the back buffer (logical pixels); nullptr without graphics.
std::shared_ptr<Pixmap> GrabPixmap(int x, int y, int w, int h);

// Flags: -1 means the defaults (filtered, mip-mapped). Without FILTEREDIMAGE a
// scaled image shows its pixels as blocks; mip-maps are not used by this
// renderer and the flag is accepted for the callers' sake.
constexpr int IMAGE_DEFAULT_FLAGS = -1;
constexpr int FILTEREDIMAGE = 2;
constexpr int MIPMAPPEDIMAGE = 4;

class Image {
public:
    virtual ~Image() = default;
    virtual int Width() const = 0;  // of one frame
    virtual int Height() const = 0;
    virtual int Frames() const = 0;
    virtual void SetHandle(float x, float y) = 0;
    virtual float HandleX() const = 0;
    virtual float HandleY() const = 0;
    void MidHandle() { SetHandle(Width() / 2.0f, Height() / 2.0f); }
    // Direct pixel access to a frame; changes show after UnlockFrame.
    virtual Pixmap& LockFrame(int frame) = 0;
    virtual void UnlockFrame(int frame) = 0;
    // Copies the back buffer at (x, y) into the frame.
    virtual void GrabFrame(int x, int y, int frame) = 0;
    // Makes the video-memory copies now instead of at first draw.
    virtual void Precache() = 0;
};

// PNG, JPEG, TGA or BMP from a path or memory; nullptr when unreadable.
std::shared_ptr<Image> LoadImage(const std::string& path, int flags = IMAGE_DEFAULT_FLAGS);
std::shared_ptr<Image> LoadImage(const std::vector<uint8_t>& bytes, int flags = IMAGE_DEFAULT_FLAGS);
std::shared_ptr<Image> LoadAnimImage(const std::string& path, int cellW, int cellH, int first, int count,
                                     int flags = IMAGE_DEFAULT_FLAGS);
std::shared_ptr<Image> LoadAnimImage(const std::vector<uint8_t>& bytes, int cellW, int cellH, int first, int count,
                                     int flags = IMAGE_DEFAULT_FLAGS);
std::shared_ptr<Image> CreateImage(int w, int h, int frames = 1, int flags = IMAGE_DEFAULT_FLAGS);
std::shared_ptr<Image> ImageFromPixmap(const Pixmap& pixmap, int flags = IMAGE_DEFAULT_FLAGS);

// A picture may carry the same picture drawn at twice its size (for an
// animation image, a strip laid out as its own with cells twice the cell
// size): on a canvas scaled above 1 the picture is made from it instead of
// from the 1x pixels, so its lines and letters stay sharp. Width, height,
// handle and frames stay the 1x picture's. A companion not exactly twice the
// size is left unused and the reason told to the problem hook (false).
// Changing the pixels (LockFrame, GrabFrame) lets the companion go.
bool AttachDoubleSize(const std::shared_ptr<Image>& image, const std::vector<uint8_t>& bytes,
                      const std::string& name = "");
// Where a PNG's companion is: "menus/play.png" -> "menus/play@2x.png"; "" for
// other files and for a companion itself. LoadImage and LoadAnimImage from a
// path attach the companion beside the file when there is one.
std::string DoubleSizeName(const std::string& path);
// Problems with pictures that the program gets over are told here (by
// default printed on stderr).
void SetImageProblemHook(std::function<void(const std::string&)> hook);

// Collision layers: 32 layers selected by bit mask. Writing registers the image's
// opaque pixels at a position under an id; testing returns the ids touched.
void ResetCollisions(uint32_t layerMask = 0xFFFFFFFFu);
std::vector<int> CollideImage(const std::shared_ptr<Image>& image, float x, float y, int frame, uint32_t collideMask,
                              uint32_t writeMask, int id);

}  // namespace platform
