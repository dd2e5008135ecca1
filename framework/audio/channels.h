// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sound-effect channels: one game channel wraps one platform voice; the pool
// hands channels out in turn and keeps the sum of their volumes in bounds.
#include <list>
#include <memory>
#include <string>

namespace platform {
class Channel;
}
class TGameSound;

class TGameChannel {
public:
    virtual ~TGameChannel() = default;

    std::shared_ptr<platform::Channel> Channel;
    std::string name;
    // Never handed out by the pool.
    int Reserved = 0;
    // Handed out only once its sound has finished.
    int PlayWhenFinished = 1;
    // The volume factor its sound was started with; balancing scales it.
    float OriginalVolume = 1.0f;

    // A new object with a freshly allocated platform channel.
    static std::shared_ptr<TGameChannel> Create();
    virtual int Kill();
};

class TChannelArray {
public:
    virtual ~TChannelArray() = default;

    std::list<std::shared_ptr<TGameChannel>> Items;
    // The total volume the playing channels may add up to.
    float MaxVol = 1.5f;
    // The channel handed out last.
    std::shared_ptr<TGameChannel> Current;

    // The factor that keeps CountPlaying() + extra channels within MaxVol; applied to all.
    virtual float BalanceVolumes(int extra);
    // Counting from 1; nullptr outside the pool.
    virtual std::shared_ptr<TGameChannel> ChannelByIndex(int index);
    virtual int CountPlaying();
    static std::shared_ptr<TChannelArray> Create(int count);
    // The next free channel after Current, or nullptr when every other one is
    // busy or reserved; Current itself comes last and so is never handed out
    // twice in a row.
    virtual std::shared_ptr<TGameChannel> GetChannel();
    virtual int Kill();
    virtual int Manage();
    // Plays on the given channel, or on GetChannel() when none is given;
    // nullptr (and silence) when no channel is free.
    virtual std::shared_ptr<TGameChannel> PlayGameSound(const std::shared_ptr<TGameSound>& sound,
                                                        std::shared_ptr<TGameChannel> channel, float volume, float pan);
    virtual int SetVolume(float factor);
    // Removes the channel, stops it and appends a fresh one, keeping the pool's size.
    virtual int StopGameChannel(const std::shared_ptr<TGameChannel>& channel);
};
