// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A font made of one glyph picture and a text description (".fnt") of where
// each character sits in it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class Image;
class Stream;
}  // namespace platform

class TBitmapFont {
public:
    virtual ~TBitmapFont() = default;

    double CharGap = 0;
    // Handle mode: alignment and rotation act about (HandleX, HandleY) for the
    // whole string instead of each glyph's corner.
    int ChangeHandle = 0;
    double HandleX = 0, HandleY = 0;
    double ScaleFactor = 0;
    std::string TestString = "ABCXYZ";
    int ArraySize = 406;
    std::vector<int> ID = std::vector<int>(406, 0);
    std::shared_ptr<platform::Image> Image;
    uint16_t NumChars = 0, NumExtraChars = 0;
    double TextureH = 0, TextureW = 0;
    std::vector<double> width = std::vector<double>(406, 0.0);
    std::vector<double> height = std::vector<double>(406, 0.0);
    std::vector<double> xAdvance = std::vector<double>(406, 0.0);
    std::vector<double> xOffset = std::vector<double>(406, 0.0);
    std::vector<double> yOffset = std::vector<double>(406, 0.0);
    std::vector<double> xPos = std::vector<double>(406, 0.0);
    std::vector<double> yPos = std::vector<double>(406, 0.0);

    // Loads source + imageExtension and source + ".fnt"; either missing ends
    // the program. yOffsetAdjust is added to every glyph's y offset.
    static std::shared_ptr<TBitmapFont> Create(const std::string& source, int flags, int ignored, int yOffsetAdjust,
                                               const std::string& imageExtension);
    // Reads a description; false when the stream is missing.
    bool ReadDescription(platform::Stream& stream, int yOffsetAdjust);
    int CalcVRAM() const;
    int Draw(const std::string& text, double x, double y, int centre, int right, int roundX, int roundY, int shadow,
             int centreVertically);
    // 0 left, 1 centred, 2 right, 3 centred both ways; other values draw nothing.
    int DrawAligned(const std::string& text, double x, double y, int alignment, int roundX, int roundY, int shadow);
    int DrawAlignedWithShadow(const std::string& text, double x, double y, int alignment, int roundX, int roundY);
    // lineHeight 0 means the whole part of the test string's height.
    int DrawStringArray(const std::vector<std::string>& lines, double x, double y, int centre, int right, int roundX,
                        int roundY, int withShadow, int lineHeight, int centreVertically);
    // Grows every glyph array by 100 slots.
    int ExpandArrays();
    // The slot (256 on) holding character code c; 0 when none.
    int FindChar(int c) const;
    int Kill();
    int Precache();
    int ResetHandle();
    double StringHeight(const std::string& s) const;
    double StringWidth(const std::string& s) const;
    // The longest beginning of s no wider than maxWidth x ScaleFactor.
    std::string TruncateString(const std::string& s, double maxWidth) const;

private:
    // The slot a read glyph goes to; -1 when no slot is left.
    int SlotFor(int code);
};
