// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/archive/pak_manager.h"

#include <algorithm>
#include <map>
#include <vector>

#include "framework/paths/errors.h"
#include "framework/util/strings.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/font.h"
#include "tallyfold/platform/image.h"

namespace {

std::string LowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool EndsWithNoCase(const std::string& name, const std::string& suffix) {
    return name.size() >= suffix.size() && LowerCase(name.substr(name.size() - suffix.size())) == LowerCase(suffix);
}

std::string AbsoluteFolder(const std::string& path) {
    std::string absolute = platform::RealPath(path);
    return EnsureTrailingSlash(absolute.empty() ? path : absolute);
}

// Entries other than "." and "..", sorted so every run sees the same order.
std::vector<std::string> SortedEntries(const std::string& folder) {
    std::vector<std::string> names;
    auto entries = platform::LoadDir(folder);
    if (!entries) return names;
    for (auto& name : *entries)
        if (name != "." && name != ".." && !name.empty()) names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
}

// Deep enough for any real resources tree, shallow enough to stop a symbolic
// link that points back up the tree.
constexpr int MAX_FOLDER_DEPTH = 32;

void CollectFiles(const std::string& folder, const std::string& relative, const std::string& ext, int depth,
                  std::vector<std::string>& out) {
    if (depth > MAX_FOLDER_DEPTH) return;
    for (auto& name : SortedEntries(folder)) {
        std::string full = folder + name;
        int type = platform::FileType(full);
        if (type == platform::FILETYPE_DIR) {
            CollectFiles(full + "/", relative + name + "/", ext, depth + 1, out);
        } else if (type == platform::FILETYPE_FILE && !EndsWithNoCase(name, ext)) {
            out.push_back(relative + name);
        }
    }
}

}  // namespace

std::shared_ptr<TPakFileManager> TPakFileManager::Create(const std::string& path, const std::string& ext) {
    auto manager = std::make_shared<TPakFileManager>();
    manager->Path = AbsoluteFolder(path);
    manager->Ext = ext;
    manager->Reload();
    return manager;
}

int TPakFileManager::Reload() {
    Map.clear();
    TotalSize = 0;
    LoadPaks(Path, Ext);
    LoadFiles(Path);
    return 0;
}

void TPakFileManager::Put(const std::shared_ptr<TPakItem>& item) { Map[LowerCase(ResourceName(item->Name))] = item; }

int TPakFileManager::LoadPaks(const std::string& path, const std::string& ext) {
    if (platform::FileType(path) != platform::FILETYPE_DIR) return 0;
    std::string folder = AbsoluteFolder(path);
    // Every archive is read before any is merged, so a damaged one stops the
    // load without leaving half of the folder in the map.
    std::vector<std::shared_ptr<TPakFile>> paks;
    for (auto& name : SortedEntries(folder)) {
        if (!EndsWithNoCase(name, ext)) continue;
        // Each archive may only take what the ones before it left of the budget.
        if (auto pak = TPakFile::Create(folder + name, TPakFile::MAX_TOTAL_SIZE - TotalSize)) {
            TotalSize += pak->TotalSize();
            paks.push_back(std::move(pak));
        }
    }
    int added = 0;
    for (auto& pak : paks)
        for (auto& item : pak->Items) {
            Put(item);
            ++added;
        }
    return added;
}

int TPakFileManager::LoadFiles(const std::string& path) {
    if (platform::FileType(path) != platform::FILETYPE_DIR) return 0;
    std::string folder = AbsoluteFolder(path);
    std::vector<std::string> files;
    CollectFiles(folder, "", Ext, 0, files);
    if (files.empty()) return 0;
    int added = 0;
    for (auto& name : files) {
        auto stream = platform::ReadStream(folder + name);
        if (!stream) continue;
        int64_t size = stream->Size();
        // A stray huge file is not a resource; reading it would only cost memory.
        if (size < 0 || size > TPakFile::MAX_REAL_SIZE || size > TPakFile::MAX_TOTAL_SIZE - TotalSize) continue;
        auto item = std::make_shared<TPakItem>();
        item->Name = name;
        item->VarType = PakVarTypeOf(name);
        item->Data.resize(static_cast<size_t>(size));
        size_t got = size > 0 ? stream->Read(item->Data.data(), item->Data.size()) : 0;
        stream->Close();
        if (got != item->Data.size()) continue;
        item->RealSize = static_cast<int64_t>(item->Data.size());
        TotalSize += size;
        Put(item);
        ++added;
    }
    return added;
}

int TPakFileManager::LoadPakFile(const std::string& path) {
    auto pak = TPakFile::Create(path, TPakFile::MAX_TOTAL_SIZE - TotalSize);
    if (!pak) return 0;
    TotalSize += pak->TotalSize();
    for (auto& item : pak->Items) Put(item);
    return static_cast<int>(pak->Items.size());
}

std::shared_ptr<TPakItem> TPakFileManager::GetItem(const std::string& name) const {
    auto found = Map.find(LowerCase(ResourceName(name)));
    return found == Map.end() ? nullptr : found->second;
}

std::vector<uint8_t> TPakFileManager::GetBinary(const std::string& name) const {
    auto item = GetItem(name);
    return item ? item->GetBinary() : std::vector<uint8_t>{};
}

std::string TPakFileManager::GetString(const std::string& name) const {
    auto item = GetItem(name);
    return item ? item->GetString() : std::string();
}

std::shared_ptr<TBank> TPakFileManager::GetBank(const std::string& name) const {
    auto item = GetItem(name);
    return item ? item->GetBank() : nullptr;
}

std::shared_ptr<platform::Stream> TPakFileManager::GetStream(const std::string& name) const {
    auto item = GetItem(name);
    return item ? item->GetStream() : nullptr;
}

std::string TPakFileManager::GetText(const std::string& name) const {
    auto item = GetItem(name);
    return item ? item->GetText() : std::string();
}

std::shared_ptr<platform::Pixmap> TPakFileManager::GetPixmap(const std::string& name) const {
    auto item = GetItem(name);
    return item ? item->GetPixmap() : nullptr;
}

// An item NAME.png takes the item NAME@2x.png as its double-size companion.
std::shared_ptr<platform::Image> TPakFileManager::WithDouble(std::shared_ptr<platform::Image> image,
                                                             const std::string& name) const {
    const std::string doubleName = platform::DoubleSizeName(name);
    auto item = image && !doubleName.empty() ? GetItem(doubleName) : nullptr;
    if (item) platform::AttachDoubleSize(image, item->GetBinary(), doubleName);
    return image;
}

std::shared_ptr<platform::Image> TPakFileManager::GetImage(const std::string& name, int flags) const {
    auto item = GetItem(name);
    return item ? WithDouble(item->GetImage(flags), name) : nullptr;
}

std::shared_ptr<platform::Image> TPakFileManager::GetAnimImage(const std::string& name, int cellW, int cellH, int first,
                                                               int count, int flags) const {
    auto item = GetItem(name);
    return item ? WithDouble(item->GetAnimImage(cellW, cellH, first, count, flags), name) : nullptr;
}

std::shared_ptr<platform::ImageFont> TPakFileManager::GetImageFont(const std::string& name, int size, int style) const {
    auto item = GetItem(name);
    return item ? item->GetImageFont(size, style) : nullptr;
}

std::shared_ptr<platform::Sound> TPakFileManager::GetSound(const std::string& name, int flags) const {
    auto item = GetItem(name);
    return item ? item->GetSound(flags) : nullptr;
}

std::shared_ptr<platform::Sound> TPakFileManager::GetAudioSample(const std::string& name) const {
    auto item = GetItem(name);
    return item ? item->GetAudioSample() : nullptr;
}

std::shared_ptr<platform::Stream> TPakFileStreamFactory::CreateStream(const std::string& /*url*/,
                                                                      const std::string& protocol,
                                                                      const std::string& path, bool /*readable*/,
                                                                      bool writable) {
    if (protocol != Protocoll || writable || !PakMan) return nullptr;
    return PakMan->GetStream(path);
}

std::shared_ptr<platform::Stream> TPakFileStreamFactory::Open(const std::string& protocol, const std::string& path,
                                                              bool readable, bool writable) {
    return CreateStream(protocol + "::" + path, protocol, path, readable, writable);
}

std::shared_ptr<TPakFileStreamFactory> RegisterPakFileStreamFactory(std::shared_ptr<TPakFileManager> manager,
                                                                    const std::string& protocol) {
    auto factory = std::make_shared<TPakFileStreamFactory>();
    factory->PakMan = std::move(manager);
    factory->Protocoll = protocol;
    platform::RegisterStreamFactory(factory);
    return factory;
}

void CreateArchiveFonts(const TPakFileManager& manager, const std::string& systemFont) {
    const std::string name = "calibri.ttf";
    // The distribution's copy of the font gets its fixes; a damaged or missing
    // one leaves the archive's copy, which is the same typeface.
    const bool fromSystem = !systemFont.empty() && platform::FileType(systemFont) == platform::FILETYPE_FILE &&
                            platform::LoadImageFont(systemFont, 12, platform::FONT_SMOOTH) != nullptr;
    auto render = [&](int size) {
        auto font = fromSystem ? platform::LoadImageFont(systemFont, size, platform::FONT_SMOOTH) : nullptr;
        if (!font) font = manager.GetImageFont(name, size, platform::FONT_SMOOTH);
        if (!font) ShowError("Error loading font " + platform::RealPath(manager.Path + name), 1);
        return font;
    };
    Resources.Font12 = render(12);
    Resources.Font16 = render(16);
    Resources.Font18 = render(18);
    Resources.Font20 = render(20);
    Resources.Font25 = render(25);
    Resources.Font34 = render(34);
    // Other sizes come from the same bytes, read once: the manager may be gone
    // by the time a board asks for a size no one used before.
    auto bytes =
        std::make_shared<const std::vector<uint8_t>>(fromSystem ? std::vector<uint8_t>() : manager.GetBinary(name));
    auto made = std::make_shared<std::map<int, std::shared_ptr<platform::ImageFont>>>();
    Resources.FontOfSize = [fromSystem, systemFont, bytes, made](int size) -> std::shared_ptr<platform::ImageFont> {
        size = std::clamp(size, 6, 200);
        auto& font = (*made)[size];
        if (font) return font;
        font = fromSystem ? platform::LoadImageFont(systemFont, size, platform::FONT_SMOOTH)
                          : platform::LoadImageFont(*bytes, size, platform::FONT_SMOOTH);
        return font;
    };
}
