// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A private folder for one test, removed afterwards, and small file helpers.
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

class ScratchDir {
public:
    ScratchDir() {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() / ("tallyfold-test-" + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // The folder with a trailing "/", the form the framework keeps folders in.
    std::string Folder() const { return path_.string() + "/"; }
    std::string operator/(const std::string& name) const { return Folder() + name; }

private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }
