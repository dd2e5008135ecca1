#pragma once
// Sound-effect channels: one game channel wraps one platform voice; the pool
// hands channels out in turn.
#include <list>
#include <memory>
#include <string>

namespace platform {
class Channel;
}

class TGameChannel {
public:
    virtual ~TGameChannel() = default;

    std::shared_ptr<platform::Channel> Channel;
    std::string name;
    int Reserved = 0;
    int PlayWhenFinished = 1;
    float OriginalVolume = 1.0f;

    // A new object with a freshly allocated platform channel.
    static std::shared_ptr<TGameChannel> Create();
    virtual int Kill();
};

class TChannelArray {
public:
    virtual ~TChannelArray() = default;

    std::list<std::shared_ptr<TGameChannel>> Items;
    float MaxVol = 1.5f;
    std::shared_ptr<TGameChannel> Current;

    static std::shared_ptr<TChannelArray> Create(int count);
    // Removes the channel, stops it and appends a fresh one, keeping the pool's size.
    virtual int StopGameChannel(const std::shared_ptr<TGameChannel>& channel);
    virtual int Kill();
};
