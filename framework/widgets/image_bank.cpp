// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/widgets/image_bank.h"

#include "framework/paths/errors.h"
#include "framework/util/strings.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/image.h"

namespace {
int64_t PowerOfTwoAtLeast(int64_t v) {
    int64_t p = 1;
    while (p < v) p *= 2;
    return p;
}

int FrameCount(const std::shared_ptr<platform::Image>& image) { return image ? image->Frames() : 0; }
}  // namespace

int64_t TGameImage::CalcRAM() const {
    if (!image) return 0;
    return int64_t{image->Width()} * 4 * image->Height() * FrameCount(image);
}

int64_t TGameImage::CalcVRAM() const {
    if (!image) return 0;
    return PowerOfTwoAtLeast(image->Width()) * 4 * PowerOfTwoAtLeast(image->Height()) * FrameCount(image);
}

std::shared_ptr<TGameImage> TGameImage::Create(const std::string& path, int flags, int midHandle) {
    auto result = std::make_shared<TGameImage>();
    result->Load(path, flags, midHandle);
    return result;
}

std::shared_ptr<TGameImage> TGameImage::CreateAuto(const std::string& path, int cellWidth, int cellHeight,
                                                   int firstFrame, int frameCount, int flags, int midHandle) {
    auto result = std::make_shared<TGameImage>();
    if (frameCount > 1)
        result->LoadAnim(path, cellWidth, cellHeight, firstFrame, frameCount, flags, midHandle);
    else
        result->Load(path, flags, midHandle);
    return result;
}

std::shared_ptr<TGameImage> TGameImage::CreateFromImage(std::shared_ptr<platform::Image> image, const std::string& name,
                                                        int midHandle) {
    auto result = std::make_shared<TGameImage>();
    result->image = std::move(image);
    result->name = name;
    result->GetSize();
    result->MidHandle(midHandle);
    return result;
}

void TGameImage::Draw(float x, float y) const {
    if (image) platform::DrawImage(image, x, y, 0);
}

void TGameImage::GetSize() {
    if (!image) return;
    w = image->Width();
    h = image->Height();
    w2 = static_cast<float>(w / 2);
    h2 = static_cast<float>(h / 2);
}

void TGameImage::Load(const std::string& path, int flags, int midHandle) {
    name = UpperCase(platform::StripAll(path));
    image = platform::LoadImage(path, flags);
    if (!image) {
        ShowError("Error loading bitmap " + platform::RealPath(path), 1);
        return;
    }
    GetSize();
    MidHandle(midHandle);
}

void TGameImage::LoadAnim(const std::string& path, int cellWidth, int cellHeight, int firstFrame, int frameCount,
                          int flags, int midHandle) {
    name = UpperCase(platform::StripAll(path));
    image = platform::LoadAnimImage(path, cellWidth, cellHeight, firstFrame, frameCount, flags);
    if (!image) {
        ShowError("Error loading anim bitmap " + platform::RealPath(path), 1);
        return;
    }
    GetSize();
    MidHandle(midHandle);
}

void TGameImage::MidHandle(int flag) {
    if (!image) return;
    if (flag) {
        image->MidHandle();
        midhandled = 1;
    } else {
        image->SetHandle(0, 0);
        midhandled = 0;
    }
}

void TGameImage::Precache() {
    if (image) image->Precache();
}

int TImageBank::CalcRAM() const {
    int64_t total = 0;
    for (const auto& [key, entry] : Map) total += entry->CalcRAM();
    return static_cast<int>(total / 1024);
}

int TImageBank::CalcVRAM() const {
    int64_t total = 0;
    for (const auto& [key, entry] : Map) total += entry->CalcVRAM();
    return static_cast<int>(total / 1024);
}

void TImageBank::SetPath(const std::string& path) {
    Path = path;
    if (Path.empty() || (Path.back() != '/' && Path.back() != '\\')) Path += "/";
}

std::shared_ptr<TGameImage> TImageBank::Load(const std::string& resource, const std::string& key, int flags,
                                             int midHandle) {
    const std::string file = ResourceName(resource);
    std::string ext = platform::ExtractExt(file);
    ext = ext.empty() ? Ext : "." + ext;
    auto entry = TGameImage::Create(Path + platform::StripExt(file) + ext, flags, midHandle);
    if (!key.empty()) entry->name = UpperCase(key);
    Map[entry->name] = entry;
    return entry;
}

std::shared_ptr<TGameImage> TImageBank::LoadNoMid(const std::string& file, const std::string& key, int flags) {
    return Load(file, key, flags, 0);
}

std::shared_ptr<TGameImage> TImageBank::LoadAnim(const std::string& resource, int cellWidth, int cellHeight,
                                                 int firstFrame, int frameCount, int flags, int midHandle) {
    const std::string file = ResourceName(resource);
    auto entry = std::make_shared<TGameImage>();
    entry->LoadAnim(Path + file + Ext, cellWidth, cellHeight, firstFrame, frameCount, flags, midHandle == 1 ? 1 : 0);
    entry->name = UpperCase(platform::StripAll(file));
    Map[entry->name] = entry;
    return entry;
}

std::shared_ptr<TGameImage> TImageBank::Find(const std::string& name) const {
    std::string key = UpperCase(name);
    auto found = Map.find(key);
    if (found == Map.end()) {
        ShowError("Image '" + key + "' was Not found in the ImageBank", 1);
        return nullptr;
    }
    return found->second;
}

std::shared_ptr<platform::Image> TImageBank::FindTImage(const std::string& name) const {
    auto found = Map.find(UpperCase(name));
    return found == Map.end() ? nullptr : found->second->image;
}

void TImageBank::Precache() {
    for (auto& [key, entry] : Map) entry->Precache();
}
