// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/widgets/bitmap_font.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "framework/paths/errors.h"
#include "framework/widgets/text_style.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/stream.h"

namespace {
constexpr float kPi = 3.14159265358979f;
// The character counter of a drawn string is 8-bit.
constexpr size_t kMaxDrawnChars = 256;
// Key positions are stored in 8 bits (1-based), so a key must start within
// the first 255 characters of its line.
constexpr size_t kMaxKeyPos = 254;
constexpr int kMaxExtraChars = 65535;

double Floor(double v) { return std::floor(v + 0.5); }

// UTF-8 to character codes; a byte that does not start a valid sequence
// stands for itself (Latin-1).
std::vector<int> Codes(const std::string& s) {
    std::vector<int> out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t need = 0;
        int code = c;
        if (c >= 0xC2 && c < 0xE0)
            need = 1, code = c & 0x1F;
        else if (c >= 0xE0 && c < 0xF0)
            need = 2, code = c & 0x0F;
        else if (c >= 0xF0 && c < 0xF5)
            need = 3, code = c & 0x07;
        bool ok = need > 0;
        for (size_t k = 1; ok && k <= need; ++k) {
            if (i + k >= s.size()) {
                ok = false;
                break;
            }
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) ok = false;
            code = (code << 6) | (cc & 0x3F);
        }
        if (ok) {
            out.push_back(code);
            i += need + 1;
        } else {
            out.push_back(c);
            ++i;
        }
    }
    return out;
}

// Length in bytes of the character that starts at s[i], as Codes reads it.
size_t CharBytes(const std::string& s, size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t need = c >= 0xC2 && c < 0xE0 ? 1 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xF0 && c < 0xF5 ? 3 : 0;
    for (size_t k = 1; k <= need; ++k)
        if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
    return need + 1;
}

bool StartsWith(const std::string& line, const std::string& prefix) {
    return line.compare(0, prefix.size(), prefix) == 0;
}

bool StartsWithNoCase(const std::string& line, const std::string& prefix) {
    if (line.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(line[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

size_t FindNoCase(const std::string& line, const std::string& key) {
    for (size_t i = 0; i + key.size() <= line.size(); ++i)
        if (StartsWithNoCase(line.substr(i, key.size()), key)) return i;
    return std::string::npos;
}

// The fixed-width field after key: count characters, read as far as they
// form a number. nullopt-like false when the key is absent or too far in.
bool Field(const std::string& line, const std::string& key, size_t count, std::string& out) {
    const size_t pos = line.find(key);
    if (pos == std::string::npos || pos > kMaxKeyPos) return false;
    out = line.substr(pos + key.size(), count);
    return true;
}

// Leading-number parsing: blanks, a sign, digits (and for reals one point);
// whatever follows ends the number.
double LeadingNumber(const std::string& text, bool real) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    size_t start = i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    bool point = false;
    while (i < text.size() &&
           (std::isdigit(static_cast<unsigned char>(text[i])) || (real && !point && text[i] == '.'))) {
        if (text[i] == '.') point = true;
        ++i;
    }
    const std::string number = text.substr(start, i - start);
    return number.empty() ? 0.0 : std::strtod(number.c_str(), nullptr);
}

double IntField(const std::string& line, const std::string& key, size_t count) {
    std::string text;
    return Field(line, key, count, text) ? std::trunc(LeadingNumber(text, false)) : 0.0;
}
}  // namespace

std::shared_ptr<TBitmapFont> TBitmapFont::Create(const std::string& source, int flags, int /*ignored*/,
                                                 int yOffsetAdjust, const std::string& imageExtension) {
    auto font = std::make_shared<TBitmapFont>();
    // Glyph rectangles are measured from the picture's corner. The automatic
    // centring is put back afterwards so that other pictures are unaffected.
    const bool autoMid = platform::AutoMidHandle();
    platform::SetAutoMidHandle(false);
    const std::string picture = source + imageExtension;
    font->Image = platform::LoadImage(picture, flags);
    platform::SetAutoMidHandle(autoMid);
    if (!font->Image) {
        ShowError("Error loading bitmap " + platform::RealPath(picture), 1);
        return nullptr;
    }
    font->Image->SetHandle(0, 0);
    const std::string description = source + ".fnt";
    auto stream = platform::ReadStream("littleendian::" + description);
    if (!stream) {
        ShowError("Error loading file " + platform::RealPath(description), 1);
        return nullptr;
    }
    font->ReadDescription(*stream, yOffsetAdjust);
    stream->Close();
    return font;
}

bool TBitmapFont::ReadDescription(platform::Stream& stream, int yOffsetAdjust) {
    auto next = [&stream](std::string& line) {
        if (stream.Eof()) {
            line.clear();
            return false;
        }
        line = stream.ReadLine();
        return true;
    };
    std::string line;
    if (!next(line)) return false;

    ScaleFactor = 1;
    if (StartsWithNoCase(line, "SCALEF")) {
        // Either spelling of the key; a scale that is not a positive number
        // would make every glyph vanish, so it counts as 1.
        const size_t pos = FindNoCase(line, "scaleF=");
        if (pos != std::string::npos && pos <= kMaxKeyPos) {
            const double scale = LeadingNumber(line.substr(pos + 7, 4), true);
            if (std::isfinite(scale) && scale > 0) ScaleFactor = scale;
        }
    }
    next(line);
    if (StartsWith(line, "info")) next(line);

    TextureW = IntField(line, "scaleW=", 4);
    TextureH = IntField(line, "scaleH=", 4);

    next(line);
    if (StartsWith(line, "page")) next(line);
    if (StartsWith(line, "chars")) next(line);

    for (;;) {
        if (StartsWith(line, "kerning")) break;
        std::string idText;
        if (Field(line, "id=", 5, idText)) {
            const int id = static_cast<int>(LeadingNumber(idText, false));
            const int slot = id > 0 ? SlotFor(id) : -1;
            if (slot > 0) {
                const auto s = static_cast<size_t>(slot);
                ID[s] = id;
                xPos[s] = IntField(line, "x=", 4);
                yPos[s] = IntField(line, "y=", 4);
                // A glyph cannot be less than empty.
                width[s] = std::max(0.0, IntField(line, "width=", 3));
                height[s] = std::max(0.0, IntField(line, "height=", 3));
                xOffset[s] = IntField(line, "xoffset=", 3);
                yOffset[s] = IntField(line, "yoffset=", 3) + yOffsetAdjust;
                xAdvance[s] = IntField(line, "xadvance=", 3);
                if (NumChars < 65535) ++NumChars;
            }
        }
        if (!next(line)) break;
    }
    return true;
}

int TBitmapFont::SlotFor(int code) {
    if (code < 256) return code;
    if (int existing = FindChar(code)) return existing;
    if (NumExtraChars >= kMaxExtraChars) return -1;
    const int slot = 256 + NumExtraChars;
    while (slot >= ArraySize) ExpandArrays();
    ++NumExtraChars;
    return slot;
}

int TBitmapFont::CalcVRAM() const {
    if (!Image) return 0;
    auto pow2 = [](int v) {
        int p = 1;
        while (p < v) p *= 2;
        return p;
    };
    return pow2(Image->Width()) * 4 * pow2(Image->Height());
}

int TBitmapFont::ExpandArrays() {
    ArraySize += 100;
    const auto size = static_cast<size_t>(ArraySize);
    ID.resize(size, 0);
    for (auto* array : {&width, &height, &xAdvance, &xOffset, &yOffset, &xPos, &yPos}) array->resize(size, 0.0);
    return 0;
}

int TBitmapFont::FindChar(int c) const {
    const int end = std::min(256 + static_cast<int>(NumExtraChars), ArraySize);
    for (int slot = 256; slot < end; ++slot)
        if (ID[static_cast<size_t>(slot)] == c) return slot;
    return 0;
}

int TBitmapFont::Kill() {
    Image.reset();
    return 0;
}

int TBitmapFont::Precache() {
    if (Image) Image->Precache();
    return 0;
}

int TBitmapFont::ResetHandle() {
    ChangeHandle = 0;
    HandleX = HandleY = 0;
    if (Image) Image->SetHandle(0, 0);
    return 0;
}

double TBitmapFont::StringWidth(const std::string& s) const {
    double sum = 0;
    for (int code : Codes(s)) {
        const int slot = code < 256 ? code : FindChar(code);
        if (slot < 0 || slot >= ArraySize) continue;
        sum += xAdvance[static_cast<size_t>(slot)] + CharGap;
    }
    if (sum > 0) sum -= CharGap;
    return sum * ScaleFactor;
}

double TBitmapFont::StringHeight(const std::string& s) const {
    double sum = 0;
    int counted = 0;
    for (int code : Codes(s)) {
        const int slot = code < 256 ? code : FindChar(code);
        if (slot < 0 || slot >= ArraySize) continue;
        const double h = height[static_cast<size_t>(slot)];
        if (h > 0) {
            sum += h;
            ++counted;
        }
    }
    // The sum over one less than the count leaves room between lines; with a
    // single measured character that room is not defined, so its own height is used.
    if (counted == 0) return 0;
    if (counted == 1) return sum * ScaleFactor;
    return sum / (counted - 1) * ScaleFactor;
}

std::string TBitmapFont::TruncateString(const std::string& s, double maxWidth) const {
    size_t fits = 0;
    for (size_t end = 0; end < s.size();) {
        end += CharBytes(s, end);
        if (StringWidth(s.substr(0, end)) > maxWidth * ScaleFactor) break;
        fits = end;
    }
    return s.substr(0, fits);
}

int TBitmapFont::Draw(const std::string& text, double x, double y, int centre, int right, int roundX, int roundY,
                      int shadow, int centreVertically) {
    if (text.empty()) return 0;
    int savedR = 255, savedG = 255, savedB = 255;
    if (shadow) {
        platform::GetColor(savedR, savedG, savedB);
        platform::SetColor(0, 0, 0);
        platform::SetAlpha(TextStyle.ShadowAlpha * TextStyle.Alpha);
        x += TextStyle.ShadowX;
        y += TextStyle.ShadowY;
    }
    float platformX, platformY;
    platform::GetScale(platformX, platformY);
    double sx = platformX, sy = platformY;

    double hx = HandleX, hy = HandleY;
    if (ChangeHandle) {
        // Offsets about the handle are scaled by the platform, so the
        // alignment is added unscaled.
        if (centre) hx += StringWidth(text) / 2;
        if (right) hx += StringWidth(text);
        if (centreVertically) hy += StringHeight(TestString) / 2;
    } else {
        if (centre) x -= StringWidth(text) / 2 * sx;
        if (right) x -= StringWidth(text) * sx;
        if (centreVertically) y -= StringHeight(TestString) / 2 * sy;
    }
    sx *= ScaleFactor;
    sy *= ScaleFactor;

    const double angle = platform::GetRotation() * kPi / 180.0;
    const double cosA = std::cos(angle), sinA = std::sin(angle);
    const auto codes = Codes(text);
    const size_t count = std::min(codes.size(), kMaxDrawnChars);
    for (size_t i = 0; i < count; ++i) {
        const int slot = codes[i] < 256 ? codes[i] : FindChar(codes[i]);
        if (slot < 0 || slot >= ArraySize) continue;
        const auto s = static_cast<size_t>(slot);
        double gw = width[s] * ScaleFactor, gh = height[s] * ScaleFactor;
        double gx, gy;
        if (ChangeHandle) {
            // Each glyph's corner sits at its offset from the common handle,
            // turned and scaled as the platform will turn and scale the glyph.
            const double ox = -(hx - xOffset[s] * ScaleFactor) * platformX;
            const double oy = -(hy - yOffset[s] * ScaleFactor) * platformY;
            gx = x + ox * cosA - oy * sinA;
            gy = y + ox * sinA + oy * cosA;
            hx -= (xAdvance[s] + CharGap) * ScaleFactor;
        } else {
            gx = x + xOffset[s] * sx;
            gy = y + yOffset[s] * sy;
            x += (xAdvance[s] + CharGap) * sx;
        }
        if (roundX && sx == 1.0) {
            gx = Floor(gx);
            gw = Floor(gw);
        }
        if (roundY && sy == 1.0) {
            gy = Floor(gy);
            gh = Floor(gh);
        }
        if (Image && width[s] > 0 && height[s] > 0)
            platform::DrawSubImageRect(Image, static_cast<float>(gx), static_cast<float>(gy), static_cast<float>(gw),
                                       static_cast<float>(gh), static_cast<float>(xPos[s]), static_cast<float>(yPos[s]),
                                       static_cast<float>(width[s]), static_cast<float>(height[s]));
    }

    if (shadow) {
        platform::SetColor(savedR, savedG, savedB);
        platform::SetAlpha(TextStyle.Alpha);
    }
    return 0;
}

int TBitmapFont::DrawAligned(const std::string& text, double x, double y, int alignment, int roundX, int roundY,
                             int shadow) {
    switch (alignment) {
        case 0:
            return Draw(text, x, y, 0, 0, roundX, roundY, shadow, 0);
        case 1:
            return Draw(text, x, y, 1, 0, roundX, roundY, shadow, 0);
        case 2:
            return Draw(text, x, y, 0, 1, roundX, roundY, shadow, 0);
        case 3:
            return Draw(text, x, y, 1, 0, roundX, roundY, shadow, 1);
        default:
            return 0;
    }
}

int TBitmapFont::DrawAlignedWithShadow(const std::string& text, double x, double y, int alignment, int roundX,
                                       int roundY) {
    DrawAligned(text, x, y, alignment, roundX, roundY, 1);
    return DrawAligned(text, x, y, alignment, roundX, roundY, 0);
}

int TBitmapFont::DrawStringArray(const std::vector<std::string>& lines, double x, double y, int centre, int right,
                                 int roundX, int roundY, int withShadow, int lineHeight, int centreVertically) {
    if (lineHeight == 0) lineHeight = static_cast<int>(StringHeight(TestString));
    if (centreVertically) y -= std::floor(lineHeight * static_cast<double>(lines.size()) / 2 + 0.5);
    for (const auto& line : lines) {
        if (withShadow) Draw(line, x, y, centre, right, roundX, roundY, 1, 0);
        Draw(line, x, y, centre, right, roundX, roundY, 0, 0);
        y += lineHeight;
    }
    return 0;
}
