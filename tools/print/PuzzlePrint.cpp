// SPDX-License-Identifier: GPL-3.0-or-later
#include "tallyfold/print/PuzzlePrint.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>

namespace print {

namespace {

constexpr const char* kFont = "Carlito";
constexpr double kMillimetre = 72.0 / 25.4;  // points
constexpr double kDotsPerMillimetre = 300.0 / 25.4;

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

// Writes `text` with its middle at x and its baseline at y.
void CentredText(cairo_t* cr, const std::string& text, double x, double y) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    cairo_move_to(cr, x - extents.width / 2 - extents.x_bearing, y);
    cairo_show_text(cr, text.c_str());
}

// Text centred in both directions on (x, y), by the height of its own ink.
void MiddleText(cairo_t* cr, const std::string& text, double x, double y) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    cairo_move_to(cr, x - extents.width / 2 - extents.x_bearing, y - extents.height / 2 - extents.y_bearing);
    cairo_show_text(cr, text.c_str());
}

double TextWidth(cairo_t* cr, const std::string& text) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    return extents.x_advance;
}

void DrawBoard(cairo_t* cr, const engine::Puzzle& p, double left, double top, double cell, bool solution) {
    cairo_save(cr);
    for (unsigned r = 0; r < p.rows; ++r) {
        for (unsigned c = 0; c < p.columns; ++c) {
            const unsigned i = p.Index(r, c);
            const double x = left + c * cell, y = top + r * cell;
            if (p.cells[i] != engine::kBlack) {
                const int digit = p.cells[i];
                if (solution && digit >= 1 && digit <= 9) {
                    cairo_set_source_rgb(cr, 0, 0, 0);
                    cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
                    cairo_set_font_size(cr, cell * 0.62);
                    MiddleText(cr, std::string(1, static_cast<char>('0' + digit)), x + cell / 2, y + cell / 2);
                }
                continue;
            }
            cairo_set_source_rgb(cr, 0, 0, 0);
            cairo_rectangle(cr, x, y, cell, cell);
            cairo_fill(cr);
            const unsigned down = p.clues[i][engine::kDown], across = p.clues[i][engine::kAcross];
            if (!down && !across) continue;
            // The diagonal splits the cell: the down clue below it, the across clue above.
            cairo_set_source_rgb(cr, 1, 1, 1);
            cairo_set_line_width(cr, cell * 0.035);
            cairo_move_to(cr, x + cell * 0.06, y + cell * 0.06);
            cairo_line_to(cr, x + cell * 0.94, y + cell * 0.94);
            cairo_stroke(cr);
            cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
            cairo_set_font_size(cr, cell * 0.34);
            if (down) MiddleText(cr, std::to_string(down), x + cell * 0.3, y + cell * 0.72);
            if (across) MiddleText(cr, std::to_string(across), x + cell * 0.7, y + cell * 0.28);
        }
    }
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, std::max(cell * 0.03, 0.25));
    for (unsigned r = 0; r <= p.rows; ++r) {
        cairo_move_to(cr, left, top + r * cell);
        cairo_line_to(cr, left + p.columns * cell, top + r * cell);
    }
    for (unsigned c = 0; c <= p.columns; ++c) {
        cairo_move_to(cr, left + c * cell, top);
        cairo_line_to(cr, left + c * cell, top + p.rows * cell);
    }
    cairo_stroke(cr);
    cairo_set_line_width(cr, std::max(cell * 0.08, 0.6));
    cairo_rectangle(cr, left, top, p.columns * cell, p.rows * cell);
    cairo_stroke(cr);
    cairo_restore(cr);
}

// Five stars drawn as paths, so that no font needs the glyph: `filled` of them black.
void DrawStars(cairo_t* cr, double left, double middle, double size, int filled) {
    cairo_save(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, size * 0.07);
    for (int s = 0; s < 5; ++s) {
        const double cx = left + size * (s + 0.5) * 1.15, cy = middle;
        for (int k = 0; k < 10; ++k) {
            const double radius = (k % 2 ? 0.2 : 0.5) * size;
            const double angle = -M_PI / 2 + k * M_PI / 5;
            const double px = cx + radius * std::cos(angle), py = cy + radius * std::sin(angle);
            if (k == 0) {
                cairo_move_to(cr, px, py);
            } else {
                cairo_line_to(cr, px, py);
            }
        }
        cairo_close_path(cr);
        if (s < filled) {
            cairo_fill(cr);
        } else {
            cairo_stroke(cr);
        }
    }
    cairo_restore(cr);
}

bool EndsWith(const std::string& text, const char* end) {
    const std::string tail(end);
    if (text.size() < tail.size()) return false;
    std::string last = text.substr(text.size() - tail.size());
    std::transform(last.begin(), last.end(), last.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return last == tail;
}

// Where the picture goes: beside the target, renamed over it once complete.
std::string TemporaryBeside(const std::string& path) {
    return path + ".part" + std::to_string(std::random_device{}() % 1000000);
}

bool Place(const std::string& temporary, const std::string& path, std::string& error) {
    std::error_code code;
    std::filesystem::rename(temporary, path, code);
    if (code) {
        std::filesystem::remove(temporary, code);
        error = "cannot write " + path + ": " + code.message();
        return false;
    }
    return true;
}

// cairo writes no resolution into a PNG; without it a printer takes 72 or 96 dpi and
// the 1 cm cells come out three times too large. A pHYs chunk right after the header
// says 300 dpi.
bool MarkPrintResolution(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::string png;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) png.append(buffer, n);
    std::fclose(file);
    constexpr std::size_t kHeaderEnd = 8 + 25;  // signature, IHDR chunk
    if (png.size() < kHeaderEnd || png.compare(12, 4, "IHDR") != 0) return false;
    const auto crc32 = [](const std::string& bytes) {
        std::uint32_t crc = 0xFFFFFFFFu;
        for (unsigned char byte : bytes) {
            crc ^= byte;
            for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        return crc ^ 0xFFFFFFFFu;
    };
    const auto be32 = [](std::uint32_t v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                           static_cast<char>(v)};
    };
    const std::uint32_t perMetre = 11811;  // 300 per inch
    const std::string body = "pHYs" + be32(perMetre) + be32(perMetre) + std::string(1, '\1');
    png.insert(kHeaderEnd, be32(9) + body + be32(crc32(body)));
    file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return std::fclose(file) == 0 && written;
}

bool CheckTarget(const std::string& path, std::string& error) {
    std::error_code code;
    if (std::filesystem::is_directory(path, code)) {
        error = path + " is a folder";
        return false;
    }
    return true;
}

// Draws a finished surface's status into a message; true when it is fine.
bool SurfaceFine(cairo_surface_t* surface, const std::string& temporary, const std::string& path, std::string& error) {
    const cairo_status_t status = cairo_surface_status(surface);
    if (status == CAIRO_STATUS_SUCCESS) return true;
    std::error_code code;
    std::filesystem::remove(temporary, code);
    error = "cannot write " + path + ": " + cairo_status_to_string(status);
    return false;
}

}  // namespace

bool WritePuzzlePicture(const PrintedPuzzle& printed, bool solution, const std::string& path, std::string& error) {
    const bool png = EndsWith(path, ".png"), svg = EndsWith(path, ".svg");
    if (!png && !svg) {
        error = path + ": the picture's name must end in .png or .svg";
        return false;
    }
    if (!CheckTarget(path, error)) return false;
    const engine::Puzzle& p = printed.puzzle;
    // Millimetres: 1 cm cells, a 5 mm margin, the code 4 mm high under the board.
    const double cell = 10, margin = 5, codeHeight = 4, gap = 3;
    const double width = p.columns * cell + 2 * margin;
    const double height = p.rows * cell + 2 * margin + (printed.code.empty() ? 0 : gap + codeHeight);
    const std::string temporary = TemporaryBeside(path);
    const double scale = png ? kDotsPerMillimetre : kMillimetre;
    Surface surface(png ? cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(std::ceil(width * scale)),
                                                     static_cast<int>(std::ceil(height * scale)))
                        : cairo_svg_surface_create(temporary.c_str(), width * scale, height * scale),
                    cairo_surface_destroy);
    if (!SurfaceFine(surface.get(), temporary, path, error)) return false;
    {
        Context cr(cairo_create(surface.get()), cairo_destroy);
        cairo_scale(cr.get(), scale, scale);
        cairo_set_source_rgb(cr.get(), 1, 1, 1);
        cairo_paint(cr.get());
        DrawBoard(cr.get(), p, margin, margin, cell, solution);
        if (!printed.code.empty()) {
            cairo_set_source_rgb(cr.get(), 0, 0, 0);
            cairo_select_font_face(cr.get(), kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
            cairo_set_font_size(cr.get(), codeHeight * 1.3);
            CentredText(cr.get(), printed.code, width / 2, margin + p.rows * cell + gap + codeHeight);
        }
    }
    if (png) {
        cairo_surface_flush(surface.get());
        const cairo_status_t status = cairo_surface_write_to_png(surface.get(), temporary.c_str());
        if (status != CAIRO_STATUS_SUCCESS || !MarkPrintResolution(temporary)) {
            std::error_code code;
            std::filesystem::remove(temporary, code);
            error =
                "cannot write " + path + ": " +
                (status != CAIRO_STATUS_SUCCESS ? cairo_status_to_string(status) : "the file could not be completed");
            return false;
        }
    } else {
        cairo_surface_finish(surface.get());
        if (!SurfaceFine(surface.get(), temporary, path, error)) return false;
    }
    return Place(temporary, path, error);
}

bool WriteBooklet(const std::vector<PrintedPuzzle>& puzzles, const BookletLayout& layout, const std::string& path,
                  std::string& error) {
    if (layout.perPage != 2 && layout.perPage != 4) {
        error = "a booklet page holds 2 or 4 puzzles";
        return false;
    }
    if (!CheckTarget(path, error)) return false;
    const double pageWidth = layout.paper == Paper::kA4 ? 595.276 : 612;
    const double pageHeight = layout.paper == Paper::kA4 ? 841.89 : 792;
    const double margin = 15 * kMillimetre;
    const std::string temporary = TemporaryBeside(path);
    Surface surface(cairo_pdf_surface_create(temporary.c_str(), pageWidth, pageHeight), cairo_surface_destroy);
    if (!SurfaceFine(surface.get(), temporary, path, error)) return false;
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE, layout.title.c_str());
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, "tallyfold-engine");
    Context context(cairo_create(surface.get()), cairo_destroy);
    cairo_t* cr = context.get();
    int page = 0;

    const auto startPage = [&](const std::string& heading) {
        ++page;
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr, 13);
        cairo_move_to(cr, margin, margin * 0.75);
        cairo_show_text(cr, heading.c_str());
        cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, 10);
        CentredText(cr, std::to_string(page), pageWidth / 2, pageHeight - margin * 0.5);
    };

    // One puzzle in its slot: caption and stars, the board as large as fits, the code.
    const auto drawSlot = [&](const PrintedPuzzle& printed, const std::string& caption, double x, double y, double w,
                              double h, bool solution, double captionSize) {
        const engine::Puzzle& p = printed.puzzle;
        const double captionHeight = captionSize * 1.6, codeHeight = captionSize * 1.6;
        const double cell = std::min({w / p.columns, (h - captionHeight - codeHeight) / p.rows, 12 * kMillimetre});
        const double boardWidth = p.columns * cell, boardLeft = x + (w - boardWidth) / 2;
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr, captionSize);
        cairo_move_to(cr, boardLeft, y + captionSize);
        cairo_show_text(cr, caption.c_str());
        if (!solution && printed.stars > 0) {
            const double starSize = captionSize * 0.95;
            DrawStars(cr, boardLeft + boardWidth - starSize * 5.75, y + captionSize * 0.62, starSize, printed.stars);
        }
        DrawBoard(cr, p, boardLeft, y + captionHeight, cell, solution);
        if (!printed.code.empty()) {
            cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
            cairo_set_font_size(cr, captionSize * 0.85);
            const std::string text = "Code " + printed.code;
            cairo_move_to(cr, boardLeft + boardWidth - TextWidth(cr, text),
                          y + captionHeight + p.rows * cell + codeHeight * 0.8);
            cairo_show_text(cr, text.c_str());
        }
    };

    const auto drawPages = [&](bool solution, int perPage, int columns, double captionSize) {
        const int rows = perPage / columns;
        const double top = margin, areaWidth = pageWidth - 2 * margin, areaHeight = pageHeight - 2 * margin;
        const double gap = 8 * kMillimetre;
        const double slotWidth = (areaWidth - (columns - 1) * gap) / columns;
        const double slotHeight = (areaHeight - (rows - 1) * gap) / rows;
        for (std::size_t k = 0; k < puzzles.size(); ++k) {
            const int at = static_cast<int>(k % static_cast<std::size_t>(perPage));
            if (at == 0) {
                if (k > 0 || solution) cairo_show_page(cr);
                startPage(solution ? "Solutions" : layout.title);
            }
            const double x = margin + (at % columns) * (slotWidth + gap);
            const double y = top + (at / columns) * (slotHeight + gap);
            const std::string caption = (solution ? "Solution " : "Puzzle ") + std::to_string(k + 1) +
                                        (solution || puzzles[k].caption.empty() ? "" : "   " + puzzles[k].caption);
            drawSlot(puzzles[k], caption, x, y, slotWidth, slotHeight, solution, captionSize);
        }
    };

    if (puzzles.empty()) {
        startPage(layout.title);
    } else {
        drawPages(false, layout.perPage, layout.perPage == 2 ? 1 : 2, layout.perPage == 2 ? 14 : 11);
        drawPages(true, 6, 2, 9);
    }
    cairo_show_page(cr);
    context.reset();
    cairo_surface_finish(surface.get());
    if (!SurfaceFine(surface.get(), temporary, path, error)) return false;
    return Place(temporary, path, error);
}

void ReleasePrintResources() {
    cairo_debug_reset_static_data();
    FcFini();
}

}  // namespace print
