// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/audio/channels.h"

#include <algorithm>

#include "framework/audio/game_sound.h"
#include "framework/core/game_state.h"
#include "framework/core/globals.h"
#include "tallyfold/platform/audio.h"

namespace {
bool IsPlaying(const std::shared_ptr<TGameChannel>& channel) { return channel->Channel && channel->Channel->Playing(); }
}  // namespace

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

std::shared_ptr<TGameChannel> TChannelArray::GetChannel() {
    if (Items.empty()) return nullptr;
    auto start = Current;
    auto it = std::find(Items.begin(), Items.end(), Current);
    // A Current that has left the pool makes every channel a candidate, first one first.
    size_t candidates = it == Items.end() ? Items.size() : Items.size() - 1;
    for (size_t i = 0; i < candidates; ++i) {
        if (it == Items.end() || ++it == Items.end()) it = Items.begin();
        auto& channel = *it;
        if (!channel->Reserved && (!channel->PlayWhenFinished || !IsPlaying(channel))) {
            Current = channel;
            return channel;
        }
    }
    Current = start;
    return nullptr;
}

int TChannelArray::CountPlaying() { return static_cast<int>(std::count_if(Items.begin(), Items.end(), IsPlaying)); }

float TChannelArray::BalanceVolumes(int extra) {
    int playing = CountPlaying() + extra;
    float factor = playing == 0 ? 1.0f : std::min(1.0f, MaxVol / static_cast<float>(playing));
    SetVolume(factor);
    return factor;
}

int TChannelArray::SetVolume(float factor) {
    float sound = GameState() ? static_cast<float>(GameState()->SoundVolume) / 100.0f : 1.0f;
    for (auto& channel : Items)
        if (channel->Channel) channel->Channel->SetVolume(channel->OriginalVolume * factor * sound);
    return 0;
}

std::shared_ptr<TGameChannel> TChannelArray::ChannelByIndex(int index) {
    if (index < 1 || index > static_cast<int>(Items.size())) return nullptr;
    return *std::next(Items.begin(), index - 1);
}

std::shared_ptr<TGameChannel> TChannelArray::PlayGameSound(const std::shared_ptr<TGameSound>& sound,
                                                           std::shared_ptr<TGameChannel> channel, float volume,
                                                           float pan) {
    if (!sound) return nullptr;
    if (!channel) channel = GetChannel();
    if (!channel) return nullptr;
    channel->OriginalVolume = volume;
    // The new sound counts as playing already.
    float factor = BalanceVolumes(1);
    sound->volume = factor * volume;
    sound->PlayInChannel(channel->Channel, pan);
    return channel;
}

int TChannelArray::Manage() {
    BalanceVolumes(0);
    return 0;
}

int TChannelArray::StopGameChannel(const std::shared_ptr<TGameChannel>& channel) {
    if (!channel) return 0;
    if (channel->Channel) channel->Channel->Stop();
    auto it = std::find(Items.begin(), Items.end(), channel);
    // Stopping a channel twice must not grow the pool.
    if (it == Items.end()) return 0;
    Items.erase(it);
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
