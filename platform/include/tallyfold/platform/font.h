// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TrueType fonts rasterised once per size into a glyph atlas.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

enum FontStyle : int { FONT_BOLD = 1, FONT_ITALIC = 2, FONT_SMOOTH = 4 };

class ImageFont {
public:
    virtual ~ImageFont() = default;
    virtual int Size() const = 0;
    virtual int Height() const = 0;  // line height in whole pixels
    virtual int TextWidth(const std::string& utf8) const = 0;
    // Whether the font draws this character itself rather than a stand-in box.
    virtual bool HasGlyph(uint32_t codePoint) const = 0;
    // Pixels from the top of a drawn line down to its baseline.
    virtual int Ascent() const = 0;
    // How far the inked pixels of the text reach above and below the
    // baseline; both 0 for text without visible glyphs.
    virtual void InkExtent(const std::string& utf8, int& above, int& below) const = 0;
};

// nullptr when the file or data is not a usable font.
std::shared_ptr<ImageFont> LoadImageFont(const std::string& path, int size, int style = FONT_SMOOTH);
std::shared_ptr<ImageFont> LoadImageFont(const std::vector<uint8_t>& bytes, int size, int style = FONT_SMOOTH);
// The built-in font used when none is selected: a system sans font when one is
// installed, else BuiltinFont().
std::shared_ptr<ImageFont> DefaultFont();
// Blocky glyphs that need no font file; text can always be drawn.
std::shared_ptr<ImageFont> BuiltinFont();

}  // namespace platform
