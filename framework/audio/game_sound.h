// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A decoded sound with the name, pitch and volume the game plays it with.
#include <memory>
#include <string>

namespace platform {
class Sound;
class Channel;
}  // namespace platform

class TGameSound : public std::enable_shared_from_this<TGameSound> {
public:
    virtual ~TGameSound() = default;

    // File name without folder and extension, upper-cased (or a bank key).
    std::string name;
    std::shared_ptr<platform::Sound> sound;
    float pitch = 1.0f;
    float volume = 1.0f;

    // A sound that cannot be loaded is a fatal error.
    static std::shared_ptr<TGameSound> Create(const std::string& path, int flags);
    virtual int Load(const std::string& path, int flags);
    // Plays through the game object's effect rules (switch, volume, screen fade).
    virtual int PlayInChannel(std::shared_ptr<platform::Channel>& channel, float pan);
};
