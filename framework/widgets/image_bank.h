// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Loaded pictures (single images or strips of animation frames) and the
// program-wide store that screens fetch them from by name.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace platform {
class Image;
}

class TGameImage {
public:
    virtual ~TGameImage() = default;

    // Upper-case key: the file name without folder and extension.
    std::string name;
    std::shared_ptr<platform::Image> image;
    // One frame's size; the halves use integer division (31 -> 15).
    int w = 0, h = 0;
    float w2 = 0, h2 = 0;
    int midhandled = 0;
    int tag = 0;

    // Decoded bytes, and bytes with each side rounded up to a power of two.
    // 64-bit because a long strip of large frames overflows an int.
    int64_t CalcRAM() const;
    int64_t CalcVRAM() const;
    // Each of these ends the program through ShowError when the file cannot be loaded.
    static std::shared_ptr<TGameImage> Create(const std::string& path, int flags, int midHandle);
    static std::shared_ptr<TGameImage> CreateAuto(const std::string& path, int cellWidth, int cellHeight,
                                                  int firstFrame, int frameCount, int flags, int midHandle);
    // Wraps a picture that is already loaded; the name is kept as given.
    static std::shared_ptr<TGameImage> CreateFromImage(std::shared_ptr<platform::Image> image, const std::string& name,
                                                       int midHandle);
    // Frame 0 with the current drawing state.
    void Draw(float x, float y) const;
    void GetSize();
    void Load(const std::string& path, int flags, int midHandle);
    void LoadAnim(const std::string& path, int cellWidth, int cellHeight, int firstFrame, int frameCount, int flags,
                  int midHandle);
    void MidHandle(int flag);
    void Precache();
};

class TImageBank {
public:
    virtual ~TImageBank() = default;

    std::map<std::string, std::shared_ptr<TGameImage>> Map;
    std::string Path;
    std::string Ext = ".png";

    // Kilobytes over all images.
    int CalcRAM() const;
    int CalcVRAM() const;
    void SetPath(const std::string& path);
    // The file's own extension wins over Ext; a non-empty key replaces the
    // image's name. An entry under the same name is replaced.
    std::shared_ptr<TGameImage> Load(const std::string& file, const std::string& key, int flags, int midHandle);
    std::shared_ptr<TGameImage> LoadNoMid(const std::string& file, const std::string& key, int flags);
    // Ext is always appended; the handle is centred only for midHandle == 1.
    std::shared_ptr<TGameImage> LoadAnim(const std::string& file, int cellWidth, int cellHeight, int firstFrame,
                                         int frameCount, int flags, int midHandle);
    // Any letter case; a missing name ends the program.
    std::shared_ptr<TGameImage> Find(const std::string& name) const;
    // Any letter case; nullptr when missing.
    std::shared_ptr<platform::Image> FindTImage(const std::string& name) const;
    void Precache();
};
