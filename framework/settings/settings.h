// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The framework's settings file: the keys in the order the file holds them,
// each read and written through its owner's accessors, and the markers that
// bring the shipped defaults back after a crash during a settings change.
// The game object owns one.
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TIniFile;
class TPaths;

class TSettings {
public:
    // The markers live in the folders paths names.
    explicit TSettings(const TPaths& paths);
    ~TSettings();

    // One key: its value as the file keeps it, and where a value read from
    // the file goes (checked there before use).
    struct TKey {
        std::string Name;
        std::function<std::string()> Get;
        std::function<void(const std::string&)> Set;
    };
    // Keys are written in the order they were added.
    void AddKey(TKey key) { Keys.push_back(std::move(key)); }
    // Called before every save, so that who waits to save something knows it is done.
    std::function<void()> BeforeSave;

    std::shared_ptr<TIniFile> Ini;

    int IniFill();
    int IniExtract();
    int IniUpdate(int changed);
    int MakeGoodExit();
    int CheckGoodExit();

    // After a settings change the "settings changed" marker goes with the first
    // frame shown this long after the change (PostDraw), so that only a crash
    // during the change itself brings the defaults back.
    static constexpr int SettingsConfirmMs = 5000;
    int SettingsChangePending = 0;
    int SettingsChangedAt = 0;
    int ConfirmSettingsChange();

private:
    const TPaths& Paths;
    std::vector<TKey> Keys;
    std::string MarkerPath(const std::string& name) const;
};
