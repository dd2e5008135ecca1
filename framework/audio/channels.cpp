#include "framework/audio/channels.h"

#include <algorithm>

#include "tallyfold/platform/audio.h"

std::shared_ptr<TGameChannel> TGameChannel::Create() {
    auto channel = std::make_shared<TGameChannel>();
    channel->Channel = platform::AllocChannel();
    return channel;
}

int TGameChannel::Kill() {
    if (Channel) Channel->Stop();
    Channel.reset();
    return 0;
}

std::shared_ptr<TChannelArray> TChannelArray::Create(int count) {
    auto array = std::make_shared<TChannelArray>();
    for (int i = 0; i < count; ++i) array->Items.push_back(TGameChannel::Create());
    if (!array->Items.empty()) array->Current = array->Items.front();
    return array;
}

int TChannelArray::StopGameChannel(const std::shared_ptr<TGameChannel>& channel) {
    if (!channel) return 0;
    Items.remove(channel);
    if (channel->Channel) channel->Channel->Stop();
    Items.push_back(TGameChannel::Create());
    Current = Items.back();
    return 0;
}

int TChannelArray::Kill() {
    for (auto& channel : Items) {
        if (channel->Channel) channel->Channel->Stop();
        channel->Channel.reset();
    }
    Items.clear();
    Current.reset();
    return 0;
}
