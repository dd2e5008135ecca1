// SPDX-License-Identifier: GPL-3.0-or-later
#include "core_support.h"

#include "game/core/services.h"

void CoreServicesTest::SetUp() {
    TCoreServices& s = CoreServices();
    s = TCoreServices{};
    s.Clock = [this] { return now; };
    s.SeedRandom = [this](int seed) { random.seed(static_cast<std::uint32_t>(seed)); };
    s.Random = [this](int min, int max) { return std::uniform_int_distribution<int>(min, max)(random); };
    s.Text = [](const std::string& key, std::string& text) {
        text = key;
        return true;
    };
    s.Notice = [this](const std::string& message) { notices.push_back(message); };
    s.ProfileFolder = [] { return std::string("profiles/"); };
    s.SharedFolder = [] { return std::string(); };
    s.WriteFile = [this](const std::string& path, const std::string& bytes, std::string*) {
        files[path] = bytes;
        return true;
    };
    s.ReadFile = [this](const std::string& path, std::int64_t maxBytes, std::string& bytes, std::string* reason, bool) {
        const auto file = files.find(path);
        if (file == files.end()) {
            if (reason) *reason = "it does not exist";
            return TCoreRead::Missing;
        }
        if (static_cast<std::int64_t>(file->second.size()) > maxBytes) return TCoreRead::TooLarge;
        bytes = file->second;
        return TCoreRead::Read;
    };
    s.Exists = [this](const std::string& path) { return files.count(path) != 0; };
    s.IsPlainFile = s.Exists;
    s.Rename = [this](const std::string& from, const std::string& to) {
        const auto file = files.find(from);
        if (file == files.end()) return false;
        files[to] = file->second;
        files.erase(from);
        return true;
    };
    s.Delete = [this](const std::string& path) { return files.erase(path) != 0; };
    s.LogError = [this](const std::string& message) { errorLog.push_back(message); };
}

void CoreServicesTest::TearDown() { CoreServices() = TCoreServices{}; }
