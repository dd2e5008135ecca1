// SPDX-License-Identifier: GPL-3.0-or-later
#include "data_support.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <jpeglib.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace datatest {

fs::path DataDir() { return TALLYFOLD_TEST_DATA_DIR; }
fs::path PakStaging() { return TALLYFOLD_TEST_PAK_STAGING; }
fs::path ArtifactsDir() { return TALLYFOLD_TEST_ARTIFACTS_DIR; }
fs::path AssetsTool() { return TALLYFOLD_TEST_ASSETS_TOOL; }
fs::path CarlitoDir() { return TALLYFOLD_TEST_CARLITO_DIR; }
fs::path SourceDataDir() { return TALLYFOLD_TEST_SOURCE_DATA_DIR; }

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

namespace {
std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}
}  // namespace

fs::path FindCaseless(const fs::path& dir, const std::string& fileName) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec))
        if (Lower(entry.path().filename().string()) == Lower(fileName)) return entry.path();
    return {};
}

Picture::Picture(Picture&& other) noexcept : width(other.width), height(other.height), surface(other.surface) {
    other.surface = nullptr;
}

Picture::~Picture() {
    if (surface) cairo_surface_destroy(surface);
}

namespace {

struct JpegError {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void OnJpegError(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }

Picture LoadJpeg(const fs::path& file) {
    Picture picture;
    const std::string bytes = ReadFile(file);
    if (bytes.empty()) return picture;
    jpeg_decompress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.base);
    error.base.error_exit = OnJpegError;
    cairo_surface_t* surface = nullptr;
    std::vector<unsigned char> row;  // before setjmp: a long jump must not skip its destructor
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        if (surface) cairo_surface_destroy(surface);
        return Picture();
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const int w = static_cast<int>(info.output_width), h = static_cast<int>(info.output_height);
    surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    row.resize(static_cast<size_t>(w) * 3);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        unsigned char* rows[1] = {row.data()};
        jpeg_read_scanlines(&info, rows, 1);
        auto* px = reinterpret_cast<std::uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int x = 0; x < w; ++x)
            px[x] =
                0xFF000000u | (std::uint32_t(row[x * 3]) << 16) | (std::uint32_t(row[x * 3 + 1]) << 8) | row[x * 3 + 2];
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    cairo_surface_mark_dirty(surface);
    picture.width = w;
    picture.height = h;
    picture.surface = surface;
    return picture;
}

}  // namespace

Picture LoadPicture(const fs::path& file) {
    const std::string ext = Lower(file.extension().string());
    if (ext == ".jpg" || ext == ".jpeg") return LoadJpeg(file);
    Picture picture;
    cairo_surface_t* s = cairo_image_surface_create_from_png(file.string().c_str());
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return picture;
    }
    picture.surface = s;
    picture.width = cairo_image_surface_get_width(s);
    picture.height = cairo_image_surface_get_height(s);
    return picture;
}

namespace {

std::uint32_t Le32(const std::string& b, size_t at) {
    return std::uint32_t(static_cast<unsigned char>(b[at])) |
           std::uint32_t(static_cast<unsigned char>(b[at + 1])) << 8 |
           std::uint32_t(static_cast<unsigned char>(b[at + 2])) << 16 |
           std::uint32_t(static_cast<unsigned char>(b[at + 3])) << 24;
}

Audio LoadWav(const fs::path& file) {
    Audio audio;
    const std::string b = ReadFile(file);
    if (b.size() < 44 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return audio;
    size_t at = 12;
    int format = 0, bits = 0, channels = 0, rate = 0;
    while (at + 8 <= b.size()) {
        const std::string id = b.substr(at, 4);
        const size_t size = Le32(b, at + 4);
        if (at + 8 + size > b.size()) return audio;
        if (id == "fmt ") {
            format = static_cast<unsigned char>(b[at + 8]) | static_cast<unsigned char>(b[at + 9]) << 8;
            channels = static_cast<unsigned char>(b[at + 10]);
            rate = static_cast<int>(Le32(b, at + 12));
            bits = static_cast<unsigned char>(b[at + 22]);
        } else if (id == "data") {
            if (format != 1 || bits != 16 || channels < 1) return audio;
            for (size_t i = 0; i + 1 < size; i += 2) {
                const auto v = static_cast<std::int16_t>(static_cast<unsigned char>(b[at + 8 + i]) |
                                                         static_cast<unsigned char>(b[at + 9 + i]) << 8);
                audio.samples.push_back(v / 32768.0f);
            }
            audio.channels = channels;
            audio.rate = rate;
            return audio;
        }
        at += 8 + size + (size & 1);
    }
    return audio;
}

Audio LoadOgg(const fs::path& file) {
    Audio audio;
    OggVorbis_File vf;
    if (ov_fopen(file.string().c_str(), &vf) != 0) return audio;
    const vorbis_info* info = ov_info(&vf, -1);
    const int channels = info->channels;
    const int rate = static_cast<int>(info->rate);
    float** pcm = nullptr;
    int section = 0;
    long n;
    while ((n = ov_read_float(&vf, &pcm, 4096, &section)) > 0)
        for (long i = 0; i < n; ++i)
            for (int ch = 0; ch < channels; ++ch) audio.samples.push_back(pcm[ch][i]);
    ov_clear(&vf);
    if (n < 0) return Audio();
    audio.channels = channels;
    audio.rate = rate;
    return audio;
}

}  // namespace

Audio LoadAudio(const fs::path& file) {
    return Lower(file.extension().string()) == ".ogg" ? LoadOgg(file) : LoadWav(file);
}

double PeakDb(const Audio& audio) {
    float peak = 0;
    for (float s : audio.samples) peak = std::max(peak, std::fabs(s));
    return peak > 0 ? 20 * std::log10(peak) : -200;
}

double RmsDb(const Audio& audio) {
    double sum = 0;
    for (float s : audio.samples) sum += double(s) * s;
    return sum > 0 ? 10 * std::log10(sum / audio.samples.size()) : -200;
}

std::map<std::string, std::vector<std::string>> ReadTextTable(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    std::map<std::string, std::vector<std::string>> table;
    size_t i = 0;
    while (i < lines.size()) {
        if (Lower(lines[i]) != "[text]") throw std::runtime_error("header expected at line " + std::to_string(i + 1));
        ++i;
        std::vector<std::string> entry;
        while (i < lines.size() && (lines[i].empty() || lines[i][0] != '[')) entry.push_back(lines[i++]);
        if (entry.empty()) throw std::runtime_error("entry without a key before line " + std::to_string(i + 1));
        std::string key = entry.front();
        for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        table[key] = std::vector<std::string>(entry.begin() + 1, entry.end());
    }
    return table;
}

void UseGameFont(cairo_t* cr, double px) {
    // Loaded once and kept for the life of the test program.
    static cairo_font_face_t* face = [] {
        FT_Library library = nullptr;
        FT_Init_FreeType(&library);
        FT_Face ft = nullptr;
        const fs::path font = PakStaging() / "calibri.ttf";
        if (FT_New_Face(library, font.string().c_str(), 0, &ft) != 0)
            throw std::runtime_error("cannot load " + font.string());
        return cairo_ft_font_face_create_for_ft_face(ft, 0);
    }();
    cairo_set_font_face(cr, face);
    cairo_set_font_size(cr, px);
}

double TextWidth(const std::string& text, double px) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* cr = cairo_create(s);
    UseGameFont(cr, px);
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    cairo_destroy(cr);
    cairo_surface_destroy(s);
    return e.x_advance;
}

}  // namespace datatest
