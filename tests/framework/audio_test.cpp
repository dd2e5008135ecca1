// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "framework/audio/channels.h"
#include "framework/audio/sound_bank.h"
#include "framework/paths/errors.h"
#include "framework/screens/screen.h"
#include "framework/settings/ini_file.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/system.h"
#include "test_support.h"
#include "wav_fixture.h"

namespace fs = std::filesystem;

namespace {

// OpenAL reads its backend once, at first use: the null device exists on every
// machine, with or without a sound card. A value set from outside (the mixer
// tests' wave writer) is kept.
const bool NullAudioBackend = [] { return ::setenv("ALSOFT_DRIVERS", "null", 0) == 0; }();

std::string RaisedBy(const std::function<void()>& action) {
    try {
        action();
    } catch (const RuntimeError& e) {
        return e.what();
    }
    return "(nothing raised)";
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The audio state as start-up leaves it: the OpenAL device open, the music,
// speech and escape channels allocated, settings going to a folder of the test's own.
class AudioTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        dir = fs::temp_directory_path() / ("tallyfold-audio-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        Game->Paths->UseCorrectPath = 1;
        Game->Paths->SubPath = dir.string() + "/";
        Game->Settings->Ini->FileName = Game->Paths->SubPath + "tallyfold";
        Game->SoundPath = dir.string() + "/sound/";
        Game->MusicPath = dir.string() + "/music/";
        WriteFile(dir / "sound/buttonclick.wav", MakeWav(0.05));
        WriteFile(dir / "sound/long.wav", MakeWav(4.0));
        // Content decides the decoder; the name only has to be found.
        WriteFile(dir / "sound/applause.ogg", MakeWav(0.05));
        WriteFile(dir / "music/tune.wav", MakeWav(4.0));
        Game->Audio->ChangeSoundDriver("OpenAL Generic Software", 0);
        ASSERT_EQ(Game->Audio->SoundDriver, "OpenAL Generic Software") << "OpenAL's null device should be there";
        Game->Audio->MusicChannel = platform::AllocChannel();
        Game->SpeechChannel = platform::AllocChannel();
        Game->Audio->EscapeChannel = platform::AllocChannel();
        fs::remove(SettingsFile());
        Resources.SoundBank = std::make_shared<TSoundBank>();
    }
    void TearDown() override {
        Game->Kill();
        Resources.SoundBank = std::make_shared<TSoundBank>();
        FrameworkTest::TearDown();
        fs::remove_all(dir);
    }

    std::string SettingsFile() const { return Game->Paths->SubPath + "tallyfold.ini"; }
    std::string Saved(const std::string& name) const { return ReadIniValue(SettingsFile(), name); }
    bool Marked() const { return fs::exists(dir / "inichanged.dat"); }
    std::shared_ptr<TGameSound> Long() { return TGameSound::Create(Game->SoundPath + "long.wav", 0); }

    fs::path dir;
};

}  // namespace

TEST_F(AudioTest, PoolHandsChannelsOutInTurnAndSkipsWhenAllAreBusy) {
    Game->Audio->ChannelsCreate(16);
    auto& pool = *Game->Channels;
    EXPECT_EQ(pool.MaxVol, 16.0f);
    auto sound = Long();
    // The first sound goes to the second channel, and so on round to the first.
    for (int click = 1; click <= 16; ++click) {
        auto channel = pool.PlayGameSound(sound, nullptr, 1.0f, 0.0f);
        int expected = click < 16 ? click + 1 : 1;
        EXPECT_EQ(channel, pool.ChannelByIndex(expected)) << "click " << click;
    }
    EXPECT_EQ(pool.CountPlaying(), 16);
    EXPECT_EQ(sound->volume, 1.0f) << "16 channels within MaxVol 16 are never turned down";
    EXPECT_EQ(pool.PlayGameSound(sound, nullptr, 1.0f, 0.0f), nullptr) << "every channel is busy";

    // One finishes: the next click takes it.
    auto fifth = pool.ChannelByIndex(5);
    fifth->Channel->Stop();
    EXPECT_EQ(pool.PlayGameSound(sound, nullptr, 1.0f, 0.0f), fifth);
    // The channel handed out last is never handed out again at once, even when free.
    fifth->Channel->Stop();
    EXPECT_EQ(pool.GetChannel(), nullptr);
    EXPECT_EQ(pool.Current, fifth);
    pool.ChannelByIndex(9)->Channel->Stop();
    EXPECT_EQ(pool.GetChannel(), pool.ChannelByIndex(9));

    // Reserved channels are never handed out; a pool of one never hands one out.
    pool.ChannelByIndex(10)->Channel->Stop();
    pool.ChannelByIndex(10)->Reserved = 1;
    pool.ChannelByIndex(11)->Channel->Stop();
    EXPECT_EQ(pool.GetChannel(), pool.ChannelByIndex(11));
    EXPECT_EQ(TChannelArray::Create(1)->GetChannel(), nullptr);

    // Stopping replaces the channel at the end and keeps the pool's size, even when done twice.
    auto third = pool.ChannelByIndex(3);
    pool.StopGameChannel(third);
    pool.StopGameChannel(third);
    EXPECT_EQ(pool.Items.size(), 16u);
    EXPECT_FALSE(third->Channel->Playing());
    EXPECT_EQ(pool.Current, pool.ChannelByIndex(16));
    EXPECT_EQ(pool.ChannelByIndex(17), nullptr);
    EXPECT_EQ(pool.ChannelByIndex(0), nullptr);

    Game->Audio->ChannelsKill();
    EXPECT_EQ(Game->Channels, nullptr);
}

TEST_F(AudioTest, PoolBalancesVolumesAboveItsLimit) {
    Game->Audio->SoundSetVolume(50, 0);
    auto pool = TChannelArray::Create(4);  // MaxVol stays 1.5
    auto sound = Long();
    pool->PlayGameSound(sound, nullptr, 1.0f, 0.0f);
    EXPECT_FLOAT_EQ(sound->volume, 1.0f);
    pool->PlayGameSound(sound, nullptr, 1.0f, 0.0f);
    EXPECT_FLOAT_EQ(sound->volume, 0.75f);
    auto third = pool->PlayGameSound(sound, nullptr, 0.8f, 0.0f);
    EXPECT_FLOAT_EQ(sound->volume, 0.5f * 0.8f);
    EXPECT_NEAR(third->Channel->Volume(), 0.5f * 0.8f * 0.5f, 1e-4);
    EXPECT_NEAR(pool->ChannelByIndex(2)->Channel->Volume(), 0.5f * 0.5f, 1e-4);
    pool->Kill();
}

TEST_F(AudioTest, EffectsFollowTheSwitchTheVolumeAndTheScreenFade) {
    Game->Audio->SoundSetVolume(50, 0);
    Game->Audio->SetEscapeSound("buttonclick");
    ASSERT_TRUE(Game->Audio->EscapeSound);
    EXPECT_EQ(Game->Audio->EscapeSound->name, "BUTTONCLICK");
    Game->Audio->EscapeSoundPlay();
    EXPECT_TRUE(Game->Audio->EscapeChannel->Playing());
    EXPECT_NEAR(Game->Audio->EscapeChannel->Volume(), 0.5f, 1e-4);

    auto sound = Long();
    sound->volume = 0.8f;
    Game->GameFade->Active = 1;
    Game->GameFade->Ratio = 0.5f;
    std::shared_ptr<platform::Channel> channel = platform::AllocChannel();
    sound->PlayInChannel(channel, 0.0f);
    EXPECT_NEAR(channel->Volume(), 0.5f * 0.8f * 0.5f, 1e-4);
    Game->GameFade->Active = 0;

    std::shared_ptr<platform::Channel> returned;
    Game->Audio->SoundPlayReturnChannel(returned, sound->sound, 1.5f);
    ASSERT_TRUE(returned);
    EXPECT_TRUE(returned->Playing());
    auto first = returned;
    Game->Audio->SoundPlayReturnChannel(returned, sound->sound, 1.0f);
    EXPECT_NE(returned, first);
    EXPECT_NEAR(first->Volume(), 0.1f, 1e-4) << "the old sound goes on quietly";

    // Switched off: nothing starts, nothing already playing stops.
    Game->Audio->SoundOff();
    std::shared_ptr<platform::Channel> quiet = platform::AllocChannel();
    Game->Audio->GameSoundPlay(quiet, sound, 0.0f);
    Game->Audio->SoundPlaySameChannel(quiet, sound->sound);
    Game->Audio->EscapeChannel->Stop();
    Game->Audio->EscapeSoundPlay();
    EXPECT_FALSE(quiet->Playing());
    EXPECT_FALSE(Game->Audio->EscapeChannel->Playing());
    EXPECT_TRUE(returned->Playing());

    EXPECT_EQ(RaisedBy([] { Game->Audio->SetEscapeSound("missing"); }),
              "Error loading sample " + Game->SoundPath + "missing.wav");
}

TEST_F(AudioTest, MusicVolumeWithACustomScaleAndFades) {
    Game->Audio->MusicSetVolume(50, 0);
    Game->Audio->CustomMusicVolume = 75;
    EXPECT_EQ(Game->Audio->GetMusicVolume(), 37);
    Game->Audio->CustomMusicVolume = 0;
    EXPECT_EQ(Game->Audio->GetMusicVolume(), 50);

    Game->Audio->MusicFadeIn = 0.0f;
    Game->Audio->MusicLoad("tune.wav", 1);
    Game->Audio->MusicPlay(1, 75, 0);
    EXPECT_EQ(Game->Audio->MusicName, "tune.wav");
    EXPECT_TRUE(Game->Audio->MusicChannel->Playing());
    EXPECT_NEAR(Game->Audio->MusicChannel->Volume(), 0.37f, 1e-4) << "no fade-in: full volume at once";

    // A 50 ms fade-in is 10 steps at 200 steps a second.
    Game->Audio->MusicFadeIn = 50.0f;
    Game->Audio->MusicPlay(1, 0, 0);
    float start = Game->Audio->MusicChannel->Volume();
    EXPECT_LT(start, 0.1f);
    Delta = 1.0f;
    for (int i = 0; i < 20; ++i) Game->Audio->MusicFadeInManage();
    EXPECT_NEAR(Game->Audio->MusicChannel->Volume(), 0.5f, 1e-4);

    // A fade-out ends silent with the tune still running.
    Game->Audio->MusicFadeOutSet(100);
    Game->Audio->MusicFadeOutManage();
    EXPECT_NEAR(Game->Audio->MusicChannel->Volume(), 0.5f * 0.95f, 1e-3);
    for (int i = 0; i < 30; ++i) Game->Audio->MusicFadeOutManage();
    EXPECT_EQ(Game->Audio->MusicChannel->Volume(), 0.0f);
    EXPECT_TRUE(Game->Audio->MusicChannel->Playing());

    Game->Audio->MusicPlay(0, 0, 1);
    EXPECT_EQ(Game->Audio->MusicChannel->Volume(), 0.0f) << "started silent";
}

// The game's own tune, streamed as the title plays it: it plays on past the
// second that is decoded ahead, pauses with the music switch (and lets the
// mixer rest), continues, and stops.
TEST_F(AudioTest, TheGamesTunePlaysPausesAndContinues) {
    const fs::path tune = fs::path(TALLYFOLD_TEST_DATA_DIR) / "music" / "music.ogg";
    if (!fs::exists(tune)) GTEST_SKIP() << "the build has not made the music";
    fs::copy_file(tune, dir / "music" / "music.ogg");
    Game->Audio->MusicLoad("music.ogg", 1);
    ASSERT_TRUE(Game->Audio->MusicSample);
    EXPECT_TRUE(Game->Audio->MusicSample->Looping());
    EXPECT_GT(Game->Audio->MusicSample->Seconds(), 30.0);
    Game->Audio->MusicPlay(1, 0, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_TRUE(Game->Audio->MusicChannel->Playing());
    EXPECT_FALSE(platform::RestAudioIfSilent(0));
    EXPECT_EQ(Game->Audio->MusicOff(), 1);
    EXPECT_TRUE(Game->Audio->MusicChannel->Playing()) << "paused, not stopped";
    EXPECT_TRUE(platform::RestAudioIfSilent(0));
    EXPECT_EQ(Game->Audio->MusicOn(), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    EXPECT_TRUE(Game->Audio->MusicChannel->Playing());
    EXPECT_FALSE(platform::RestAudioIfSilent(0));
    Game->Audio->MusicStop();
    EXPECT_FALSE(Game->Audio->MusicChannel->Playing());
}

TEST_F(AudioTest, MusicSwitchedOffAndOnAroundLoadingAndPlaying) {
    // Right after loading nothing plays yet, so there is nothing to switch off.
    Game->Audio->MusicLoad("tune.wav", 1);
    EXPECT_EQ(Game->Audio->MusicOff(), 0);
    EXPECT_EQ(Game->Music, 1);

    // Loaded while off: only the name is kept; MusicOn loads it, and plays it
    // once a tune has been started.
    Game->Music = 0;
    Game->Audio->MusicNone();
    Game->Audio->MusicSample.reset();
    Game->Audio->MusicLoad("tune.wav", 1);
    EXPECT_EQ(Game->Audio->MusicSample, nullptr);
    EXPECT_EQ(Game->Audio->MusicFileName, "tune.wav");
    EXPECT_EQ(Game->Audio->MusicOn(), 1);
    EXPECT_NE(Game->Audio->MusicSample, nullptr);
    EXPECT_FALSE(Game->Audio->MusicChannel->Playing()) << "MusicName is still none";

    Game->Music = 0;
    Game->Audio->MusicLoad("tune.wav", 1);
    Game->Audio->MusicPlay(1, 0, 0);
    EXPECT_EQ(Game->Audio->MusicRestart, 1);
    EXPECT_EQ(Game->Audio->MusicOn(), 1);
    EXPECT_TRUE(Game->Audio->MusicChannel->Playing());
    EXPECT_EQ(Game->Audio->MusicRestart, 0);
    EXPECT_EQ(Game->Audio->MusicOn(), 0) << "already on";

    // Off pauses, on continues the same tune on the same channel.
    auto channel = Game->Audio->MusicChannel;
    EXPECT_EQ(Game->Audio->MusicOff(), 1);
    EXPECT_EQ(Game->Music, 0);
    EXPECT_EQ(Game->Audio->MusicOn(), 1);
    EXPECT_EQ(Game->Audio->MusicChannel, channel);
    EXPECT_TRUE(channel->Playing());

    // With no tune ever chosen, switching music on has nothing to load.
    Game->Audio->MusicOff();
    Game->Audio->MusicNone();
    EXPECT_EQ(Game->Audio->MusicOn(), 1);

    Game->Audio->MusicStop();
    EXPECT_NE(Game->Audio->MusicChannel, channel);
    EXPECT_FALSE(channel->Playing());
    EXPECT_EQ(RaisedBy([] { Game->Audio->MusicLoad("absent.ogg", 1); }),
              "Error loading sample " + Game->MusicPath + "absent.ogg");
}

TEST_F(AudioTest, VolumesClampAndSaveWithTheChangedMarker) {
    Game->Audio->MusicSetVolume(150, 0);
    EXPECT_EQ(Game->MusicVolume, 100);
    EXPECT_FALSE(fs::exists(SettingsFile())) << "save 0 does not save";

    Game->MusicVolume = 5;
    Game->Audio->MusicChangeVolume(-10);
    EXPECT_EQ(Game->MusicVolume, 0);
    EXPECT_EQ(Saved("Music Volume"), "0");
    EXPECT_TRUE(Marked());
    EXPECT_EQ(Game->Audio->MusicChannel->Volume(), 0.0f);

    Game->Audio->SoundChangeVolume(1000);
    EXPECT_EQ(Game->SoundVolume, 100);
    Game->Audio->SpeechSetVolume(-5, 1);
    EXPECT_EQ(Game->SpeechVolume, 0);
    EXPECT_EQ(Game->SpeechChannel->Volume(), 0.0f);
    EXPECT_EQ(Saved("Speech Volume"), "0");
    Game->Audio->SpeechChangeVolume(-2000000000);
    EXPECT_EQ(Game->SpeechVolume, 0);

    // Paused, the music hot key changes and saves nothing.
    fs::remove(SettingsFile());
    Game->Paused = 1;
    Game->Audio->ToggleMusic();
    EXPECT_EQ(Game->Music, 1);
    EXPECT_FALSE(fs::exists(SettingsFile()));
    Game->Paused = 0;
    Game->Audio->ToggleSound();
    EXPECT_EQ(Game->Sound, 0);
    EXPECT_EQ(Saved("Sound"), "0");
}

TEST_F(AudioTest, SoundBankFindsSoundsInAnyCaseAndStopsOnAMissingOne) {
    Resources.SoundBank->SetPath(Game->SoundPath.substr(0, Game->SoundPath.size() - 1));
    EXPECT_EQ(Resources.SoundBank->Path, Game->SoundPath);
    Resources.SoundBank->Load("buttonclick", 1.0f, 1.0f, "", 0);
    Resources.SoundBank->Load("applause.ogg", 1.0f, 1.0f, "", 0);
    Resources.SoundBank->Load("buttonclick", 1.5f, 0.5f, "Soft", 0);
    EXPECT_EQ(Resources.SoundBank->Find("ButtonClick")->name, "BUTTONCLICK");
    EXPECT_EQ(Resources.SoundBank->Find("applause")->name, "APPLAUSE");
    EXPECT_EQ(Resources.SoundBank->Find("soft")->pitch, 1.5f);
    EXPECT_EQ(Resources.SoundBank->Items.size(), 3u);

    EXPECT_EQ(RaisedBy([] { Resources.SoundBank->Find("Fanfare"); }), "Sound 'FANFARE' was not found in the SoundBank");
    EXPECT_EQ(notices.back(), "Sound 'FANFARE' was not found in the SoundBank");
    EXPECT_EQ(RaisedBy([] { Resources.SoundBank->Load("applause", 1.0f, 1.0f, "", 0); }),
              "Error loading sample " + Game->SoundPath + "applause.wav");
}

TEST_F(AudioTest, SpeechWaitsUnlessInterruptedAndPausesWhenOff) {
    auto first = Long();
    auto second = TGameSound::Create(Game->SoundPath + "buttonclick.wav", 0);
    Game->Audio->SpeechPlay(first, 0);
    EXPECT_TRUE(Game->SpeechChannel->Playing());
    Game->Audio->SpeechPlay(second, 0);
    EXPECT_EQ(Game->Audio->SpeechStopped, 0);
    EXPECT_EQ(Game->Audio->SpeechOff(), 1);
    EXPECT_TRUE(Game->SpeechChannel->Playing()) << "paused, not stopped";
    EXPECT_EQ(Game->Audio->SpeechOn(), 1);
    EXPECT_EQ(Game->Audio->SpeechOn(), 0);
    auto channel = Game->SpeechChannel;
    Game->Audio->SpeechStop();
    EXPECT_FALSE(channel->Playing());
    EXPECT_NE(Game->SpeechChannel, channel);
}

TEST_F(AudioTest, DriverChangeThatFailsLeavesTheGameSilentAndSaves) {
    Game->Audio->ChangeSoundDriver("DirectSound", 0);
    EXPECT_EQ(Game->Audio->SoundDriver, "None");
    EXPECT_EQ(Saved("Sound Driver"), "None");
    EXPECT_FALSE(Marked());
    Game->Audio->ChangeSoundDriver("FreeAudio", 1);
    EXPECT_TRUE(Marked());
    // Silent, the game still runs every play call.
    Game->Audio->ChannelsCreate(16);
    auto sound = Long();
    EXPECT_NE(Game->Channels->PlayGameSound(sound, nullptr, 1.0f, 0.0f), nullptr);
    Game->Audio->SoundPlay(sound->sound);
    Game->Audio->ChangeSoundDriver("OpenAL Generic Software", 0);
    EXPECT_EQ(Game->Audio->SoundDriver, "OpenAL Generic Software");
}

// The two tests below run the same program again in a child process, because
// OpenAL reads its configuration once per process.
namespace {

std::string ChildMode() {
    const char* mode = std::getenv("TALLYFOLD_AUDIO_CHILD");
    return mode ? mode : "";
}

int RunChild(const std::string& mode, const std::string& env) {
    std::string self = fs::read_symlink("/proc/self/exe").string();
    std::string command =
        env + " TALLYFOLD_AUDIO_CHILD=" + mode + " '" + self + "' --gtest_filter=AudioChild.Run > /dev/null 2>&1";
    return std::system(command.c_str());
}

// Largest absolute sample of a WAV file OpenAL's wave writer made, from 0 to 1.
double Peak(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto u16 = [&](size_t at) { return static_cast<unsigned>(b[at] | b[at + 1] << 8); };
    auto u32 = [&](size_t at) { return static_cast<uint32_t>(u16(at) | u16(at + 2) << 16); };
    if (b.size() < 12) return -1;
    unsigned format = 0, bits = 0;
    double peak = 0;
    for (size_t at = 12; at + 8 <= b.size();) {
        uint32_t size = u32(at + 4);
        std::string id(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4);
        size_t body = at + 8;
        if (id == "fmt ") {
            format = u16(body);
            bits = u16(body + 14);
            if (format == 0xFFFE) format = u16(body + 24);
        } else if (id == "data") {
            size_t end = std::min(b.size(), body + size);
            for (size_t i = body; i + bits / 8 <= end; i += bits / 8) {
                double v = 0;
                if (format == 3 && bits == 32) {
                    uint32_t raw = u32(i);
                    float f;
                    std::memcpy(&f, &raw, 4);
                    v = f;
                } else if (format == 1 && bits == 16) {
                    v = static_cast<int16_t>(u16(i)) / 32768.0;
                } else if (format == 1 && bits == 8) {
                    v = (b[i] - 128) / 128.0;
                }
                peak = std::max(peak, std::fabs(v));
            }
        }
        at = body + size + (size & 1);
    }
    return peak;
}

}  // namespace

TEST(AudioChild, Run) {
    std::string mode = ChildMode();
    if (mode.empty()) GTEST_SKIP() << "runs only as the child of the tests below";
    fs::path dir = std::getenv("TALLYFOLD_AUDIO_DIR");
    platform::SetNotifyHook([](const std::string&, bool) {});
    auto game = std::make_shared<TGame>();
    Game = game;
    game->FixedRateLogic->Create();
    game->Paths->SubPath = dir.string() + "/";
    game->Settings->Ini->FileName = game->Paths->SubPath + "tallyfold";
    game->SoundPath = dir.string() + "/";
    game->Audio->ChangeSoundDriver("OpenAL Generic Software", 0);
    if (mode == "nodevice") {
        EXPECT_EQ(game->Audio->SoundDriver, "None");
        std::exit(testing::Test::HasFailure() ? 1 : 0);
    }
    ASSERT_EQ(game->Audio->SoundDriver, "OpenAL Generic Software");
    game->Audio->EscapeChannel = platform::AllocChannel();
    game->Audio->SetEscapeSound("buttonclick");
    if (mode == "muted") game->Audio->SoundOff();
    game->Audio->EscapeSoundPlay();
    for (int i = 0; i < 100 && game->Audio->EscapeChannel->Playing(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // Closing the device finishes the file.
    game->Audio->ChangeSoundDriver("None", 0);
    std::exit(testing::Test::HasFailure() ? 1 : 0);
}

TEST(AudioMixer, EscapeClickReachesTheMixer) {
    if (!ChildMode().empty()) GTEST_SKIP();
    fs::path dir = fs::temp_directory_path() / ("tallyfold-mixer-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    WriteFile(dir / "buttonclick.wav", MakeWav(0.3));
    auto run = [&](const std::string& mode) {
        fs::path conf = dir / (mode + ".conf");
        fs::path out = dir / (mode + ".wav");
        std::ofstream(conf) << "[general]\ndrivers=wave\n[wave]\nfile=" << out.string() << "\n";
        std::string env =
            "ALSOFT_DRIVERS=wave ALSOFT_CONF='" + conf.string() + "' TALLYFOLD_AUDIO_DIR='" + dir.string() + "'";
        EXPECT_EQ(RunChild(mode, env), 0) << mode;
        return Peak(out);
    };
    EXPECT_GT(run("click"), 0.1) << "the click is in the mixed output";
    EXPECT_LT(run("muted"), 0.001) << "with sound off the output stays silent";

    // Without any device the game runs silent and says so in its settings.
    std::string env = "ALSOFT_DRIVERS=no-such-backend TALLYFOLD_AUDIO_DIR='" + dir.string() + "'";
    EXPECT_EQ(RunChild("nodevice", env), 0);
    EXPECT_EQ(ReadIniValue((dir / "tallyfold.ini").string(), "Sound Driver"), "None");
    EXPECT_FALSE(fs::exists(dir / "inichanged.dat"));
    fs::remove_all(dir);
}
