// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/audio/sound_bank.h"

#include "framework/core/game_state.h"
#include "framework/core/globals.h"
#include "framework/paths/errors.h"
#include "framework/util/strings.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/files.h"

std::shared_ptr<TGameSound> TGameSound::Create(const std::string& path, int flags) {
    auto sound = std::make_shared<TGameSound>();
    sound->Load(path, flags);
    return sound;
}

int TGameSound::Load(const std::string& path, int flags) {
    name = UpperCase(platform::StripAll(path));
    sound = platform::LoadSound(path, flags);
    if (!sound) ShowError("Error loading sample " + platform::RealPath(path), 1);
    return 0;
}

int TGameSound::PlayInChannel(std::shared_ptr<platform::Channel>& channel, float pan) {
    if (!GameState()) return 0;
    // The game object keeps a reference to the sound while it plays.
    return GameState()->GameSoundPlay(channel, shared_from_this(), pan);
}

int TSoundBank::SetPath(const std::string& path) {
    // An empty path stays the current folder rather than becoming the root.
    Path = path.empty() ? path : EnsureTrailingSlash(path);
    return 0;
}

int TSoundBank::Load(const std::string& resource, float pitch, float volume, const std::string& key, int flags) {
    const std::string file = ResourceName(resource);
    std::string ext = platform::ExtractExt(file);
    std::string extension = ext.empty() ? Ext : "." + ext;
    auto sound = TGameSound::Create(Path + platform::StripExt(file) + extension, flags);
    sound->pitch = pitch;
    sound->volume = volume;
    if (!key.empty()) sound->name = UpperCase(key);
    Items[sound->name] = sound;
    return 0;
}

std::shared_ptr<TGameSound> TSoundBank::Find(const std::string& name) {
    std::string key = UpperCase(name);
    auto found = Items.find(key);
    if (found == Items.end()) ShowError("Sound '" + key + "' was not found in the SoundBank", 1);
    return found->second;
}
