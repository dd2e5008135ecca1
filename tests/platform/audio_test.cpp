// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "tallyfold/platform/audio.h"
#include "test_support.h"

extern char** environ;

using namespace platform;

namespace {

void Put16(std::string& s, int v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, static_cast<int>(v & 0xFFFF));
    Put16(s, static_cast<int>(v >> 16));
}

// A 16-bit mono square wave as a WAV file.
std::vector<uint8_t> SquareWav(double seconds, int rate = 22050, int channels = 1, int bits = 16) {
    std::string pcm;
    const int frames = static_cast<int>(seconds * rate);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) {
            bool high = (i / 25) % 2 == 0;
            if (bits == 16)
                Put16(pcm, high ? 12000 : -12000);
            else
                pcm += static_cast<char>(high ? 200 : 56);
        }
    std::string w = "RIFF";
    Put32(w, static_cast<uint32_t>(36 + pcm.size()));
    w += "WAVEfmt ";
    Put32(w, 16);
    Put16(w, 1);
    Put16(w, channels);
    Put32(w, static_cast<uint32_t>(rate));
    Put32(w, static_cast<uint32_t>(rate * channels * bits / 8));
    Put16(w, channels * bits / 8);
    Put16(w, bits);
    w += "data";
    Put32(w, static_cast<uint32_t>(pcm.size()));
    return tftest::ToBytes(w + pcm);
}

// Mono samples (-1..1) encoded with libvorbis.
std::vector<uint8_t> EncodeOgg(const std::vector<float>& samples, int rate) {
    std::vector<uint8_t> out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 1, rate, 0.3f) != 0) return out;
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 1);
    ogg_packet header, comm, code;
    vorbis_analysis_headerout(&vd, &vc, &header, &comm, &code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comm);
    ogg_stream_packetin(&os, &code);
    ogg_page og;
    auto append = [&](const ogg_page& p) {
        out.insert(out.end(), p.header, p.header + p.header_len);
        out.insert(out.end(), p.body, p.body + p.body_len);
    };
    while (ogg_stream_flush(&os, &og)) append(og);
    const int frames = static_cast<int>(samples.size());
    float** buffer = vorbis_analysis_buffer(&vd, frames);
    std::copy(samples.begin(), samples.end(), buffer[0]);
    vorbis_analysis_wrote(&vd, frames);
    vorbis_analysis_wrote(&vd, 0);
    ogg_packet op;
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
        vorbis_analysis(&vb, nullptr);
        vorbis_bitrate_addblock(&vb);
        while (vorbis_bitrate_flushpacket(&vd, &op)) {
            ogg_stream_packetin(&os, &op);
            while (ogg_stream_pageout(&os, &og)) append(og);
        }
    }
    while (ogg_stream_flush(&os, &og)) append(og);
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

std::vector<uint8_t> SineOgg(double seconds, int rate = 22050) {
    std::vector<float> samples(static_cast<size_t>(seconds * rate));
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = 0.5f * std::sin(2 * 3.14159265f * 440 * i / rate);
    return EncodeOgg(samples, rate);
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool Contains(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

TEST(Audio, DriversByNameAndTheSilentOnes) {
    EnableOpenALAudio();
    auto drivers = AudioDrivers();
    EXPECT_TRUE(Contains(drivers, "OpenAL Default"));
    EXPECT_TRUE(Contains(drivers, "OpenAL Generic Software"));
    EXPECT_TRUE(Contains(drivers, "OpenAL No Output")) << "the null device under ALSOFT_DRIVERS=null";
    EnableOpenALAudio();  // twice registers nothing twice
    EXPECT_EQ(AudioDrivers().size(), drivers.size());

    for (const char* missing : {"FreeAudio", "DirectSound", "None", ""}) {
        EXPECT_FALSE(SetAudioDriver(missing)) << missing;
        EXPECT_FALSE(AudioAvailable());
        EXPECT_EQ(CurrentAudioDriver(), "");
    }
    EXPECT_TRUE(SetAudioDriver("openal GENERIC software"));
    EXPECT_TRUE(AudioAvailable());
    EXPECT_EQ(CurrentAudioDriver(), "OpenAL Generic Software");
    EXPECT_TRUE(SetAudioDriver("OpenAL Default"));
    EXPECT_FALSE(SetAudioDriver("None"));  // shuts the old one down first
    EXPECT_FALSE(AudioAvailable());
}

TEST(Audio, SoundsDecodeFromWavAndOgg) {
    auto wav = LoadSound(SquareWav(0.5));
    ASSERT_TRUE(wav);
    EXPECT_NEAR(wav->Seconds(), 0.5, 0.01);
    EXPECT_FALSE(wav->Looping());
    auto stereo8 = LoadSound(SquareWav(0.25, 11025, 2, 8), SOUND_LOOP);
    ASSERT_TRUE(stereo8);
    EXPECT_NEAR(stereo8->Seconds(), 0.25, 0.01);
    EXPECT_TRUE(stereo8->Looping());

    auto oggBytes = SineOgg(0.5);
    ASSERT_FALSE(oggBytes.empty());
    auto ogg = LoadSound(oggBytes);
    ASSERT_TRUE(ogg);
    EXPECT_NEAR(ogg->Seconds(), 0.5, 0.05);

    tftest::TempDir dir;
    tftest::WriteFile(dir / "Tone.OGG", std::string(oggBytes.begin(), oggBytes.end()));
    EXPECT_TRUE(LoadSound(dir / "tone.ogg"));  // resources open whatever their case
    EXPECT_FALSE(LoadSound(dir / "absent.wav"));
}

TEST(Audio, DamagedSoundsGiveNothing) {
    auto wav = SquareWav(0.1);
    auto ogg = SineOgg(0.2);
    EXPECT_FALSE(LoadSound(std::vector<uint8_t>{}));
    EXPECT_FALSE(LoadSound(tftest::ToBytes("RIFF\x10\0\0\0WAVEjunkjunkjunk")));
    EXPECT_FALSE(LoadSound(std::vector<uint8_t>(wav.begin(), wav.begin() + 40)));
    EXPECT_FALSE(LoadSound(tftest::ToBytes("OggS" + std::string(200, '\x5A'))));
    EXPECT_FALSE(LoadSound(std::vector<uint8_t>(ogg.begin(), ogg.begin() + 100)));
    EXPECT_FALSE(LoadSound(tftest::ToBytes(std::string(1000, '\0'))));
    // Format fields that make no sense: zero channels, zero rate.
    auto zeroChannels = wav;
    zeroChannels[22] = 0;
    EXPECT_FALSE(LoadSound(zeroChannels));
    auto zeroRate = wav;
    zeroRate[24] = zeroRate[25] = zeroRate[26] = zeroRate[27] = 0;
    EXPECT_FALSE(LoadSound(zeroRate));
    // A chunk that claims far more than the file holds is damage, not a
    // reason to reserve gigabytes.
    auto longClaim = wav;
    longClaim[40] = longClaim[41] = longClaim[42] = '\xFF';
    longClaim[43] = '\x7F';
    EXPECT_FALSE(LoadSound(longClaim));
    auto longFmt = wav;
    longFmt[16] = longFmt[17] = '\xFF';
    EXPECT_FALSE(LoadSound(longFmt));
}

TEST(Audio, ChannelsPlayPauseStopAndLoop) {
    EnableOpenALAudio();
    ASSERT_TRUE(SetAudioDriver("OpenAL Generic Software"));
    auto sound = LoadSound(SquareWav(0.6));
    auto blip = LoadSound(SquareWav(0.03));
    auto loop = LoadSound(SquareWav(0.03), SOUND_LOOP);
    ASSERT_TRUE(sound && blip && loop);

    auto ch = AllocChannel();
    ASSERT_TRUE(ch);
    PlaySound(sound, ch);
    EXPECT_TRUE(ch->Playing());
    ch->SetPaused(true);
    EXPECT_TRUE(ch->Playing()) << "a paused channel still holds its sound";
    ch->SetPaused(false);
    ch->Stop();
    EXPECT_FALSE(ch->Playing());

    // Cued: waits with its settings until resumed.
    CueSound(sound, ch);
    ch->SetVolume(0.25f);
    ch->SetPan(-1.0f);
    ch->SetRate(1.5f);
    EXPECT_FALSE(ch->Playing());
    EXPECT_FLOAT_EQ(ch->Volume(), 0.25f);
    ch->SetPaused(false);
    EXPECT_TRUE(ch->Playing());
    ch->SetVolume(7.0f);
    EXPECT_FLOAT_EQ(ch->Volume(), 1.0f);
    ch->SetRate(0.0f);  // out of OpenAL's range: must not break the channel
    ch->SetPan(std::nanf(""));
    EXPECT_TRUE(ch->Playing());

    // Cueing into a busy channel replaces its sound; the channel keeps its settings.
    ch->SetRate(1.0f);
    CueSound(blip, ch);
    ch->SetPaused(false);
    auto looping = AllocChannel();
    PlaySound(loop, looping);
    PlaySound(blip, nullptr);  // nobody keeps this channel; it just plays
    Sleep(200);
    EXPECT_FALSE(ch->Playing());
    EXPECT_TRUE(looping->Playing());
    looping->Stop();
    EXPECT_FALSE(looping->Playing());
    ASSERT_FALSE(SetAudioDriver("None"));
}

// A sound that is mixed comes to its end; one on a stopped mixer never does.
bool EndsWithin(const std::shared_ptr<Channel>& ch, int ms) {
    for (int waited = 0; waited < ms && ch->Playing(); waited += 10) Sleep(10);
    return !ch->Playing();
}

TEST(Audio, TheMixerRestsInSilenceAndWakesForTheNextSound) {
    EnableOpenALAudio();
    ASSERT_TRUE(SetAudioDriver("OpenAL Generic Software"));
    auto blip = LoadSound(SquareWav(0.05));
    auto tune = LoadSound(SquareWav(0.2));
    auto ch = AllocChannel();
    PlaySound(blip, ch);
    EXPECT_FALSE(RestAudioIfSilent(0)) << "a sound is playing";
    ASSERT_TRUE(EndsWithin(ch, 2000));
    EXPECT_FALSE(RestAudioIfSilent(60000)) << "not quiet for long enough yet";
    EXPECT_TRUE(RestAudioIfSilent(0));
    // Started by play, by resuming a cued sound and by resuming a paused one.
    PlaySound(blip, ch);
    EXPECT_TRUE(EndsWithin(ch, 2000)) << "played";
    EXPECT_TRUE(RestAudioIfSilent(0));
    CueSound(blip, ch);
    ch->SetPaused(false);
    EXPECT_TRUE(EndsWithin(ch, 2000)) << "cued, then resumed";
    PlaySound(tune, ch);
    ch->SetPaused(true);
    EXPECT_TRUE(RestAudioIfSilent(0)) << "a paused sound is not heard";
    ch->SetPaused(false);
    EXPECT_TRUE(EndsWithin(ch, 2000)) << "paused, then resumed";
    // A new driver starts awake.
    EXPECT_TRUE(RestAudioIfSilent(0));
    ASSERT_TRUE(SetAudioDriver("OpenAL Default"));
    PlaySound(blip, ch);
    EXPECT_TRUE(EndsWithin(ch, 2000)) << "after a driver change";
    ASSERT_FALSE(SetAudioDriver("None"));
    EXPECT_FALSE(RestAudioIfSilent(0));
}

TEST(Audio, SilenceAndDriverChanges) {
    EnableOpenALAudio();
    SetAudioDriver("None");
    // Silent: sounds decode and channels exist, they just never play.
    auto sound = LoadSound(SquareWav(0.6));
    ASSERT_TRUE(sound);
    auto ch = AllocChannel();
    ASSERT_TRUE(ch);
    PlaySound(sound, ch);
    EXPECT_FALSE(ch->Playing());
    ch->SetVolume(0.5f);
    EXPECT_FLOAT_EQ(ch->Volume(), 0.5f);
    ch->SetPaused(false);
    ch->Stop();

    // The sound loaded while silent plays once a driver is there, on the
    // same channel object.
    ASSERT_TRUE(SetAudioDriver("OpenAL Default"));
    PlaySound(sound, ch);
    EXPECT_TRUE(ch->Playing());
    // A driver change ends what played; the channel works on the new one.
    ASSERT_TRUE(SetAudioDriver("OpenAL Generic Software"));
    EXPECT_FALSE(ch->Playing());
    PlaySound(sound, ch);
    EXPECT_TRUE(ch->Playing());
    // A channel dropped while playing is no trouble at shut-down.
    ch.reset();
    SetAudioDriver("None");
}

// Half a second going up from 200 Hz to 2 kHz: no stretch of it looks like
// another, so a gap or a repeat at a loop point shows.
std::vector<float> Chirp(double seconds, int rate) {
    std::vector<float> samples(static_cast<size_t>(seconds * rate));
    double phase = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        const double f = 200 + 1800 * double(i) / double(samples.size());
        phase += 2 * M_PI * f / rate;
        samples[i] = static_cast<float>(0.5 * std::sin(phase));
    }
    return samples;
}

TEST(Audio, StreamedMusicPlaysLoopsPausesResumesAndStops) {
    EnableOpenALAudio();
    ASSERT_TRUE(SetAudioDriver("OpenAL Generic Software"));
    const auto bytes = SineOgg(0.3);
    auto once = LoadSound(bytes, SOUND_STREAM);
    auto looped = LoadSound(bytes, SOUND_STREAM | SOUND_LOOP);
    ASSERT_TRUE(once && looped);
    EXPECT_NEAR(once->Seconds(), 0.3, 0.05);
    EXPECT_FALSE(once->Looping());
    EXPECT_TRUE(looped->Looping());
    EXPECT_FALSE(LoadSound(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 100), SOUND_STREAM));
    EXPECT_FALSE(LoadSound(tftest::ToBytes("OggS" + std::string(200, '\x5A')), SOUND_STREAM));
    auto wav = LoadSound(SquareWav(0.1), SOUND_STREAM);  // only OGG streams; a WAV decodes whole
    ASSERT_TRUE(wav);

    // Shorter than the buffers it is decoded into: ends on its own, once.
    auto ch = AllocChannel();
    CueSound(once, ch);
    EXPECT_FALSE(ch->Playing()) << "cued, not yet resumed";
    ch->SetPaused(false);
    EXPECT_TRUE(ch->Playing());
    EXPECT_TRUE(EndsWithin(ch, 3000));
    PlaySound(wav, ch);
    EXPECT_TRUE(EndsWithin(ch, 3000)) << "a streamed sound leaves the channel fit for any other";

    // Looped, it plays on for many times its length: the refill keeps up,
    // also on a second channel playing the same sound.
    PlaySound(looped, ch);
    auto second = AllocChannel();
    PlaySound(looped, second);
    Sleep(1500);
    EXPECT_TRUE(ch->Playing());
    EXPECT_TRUE(second->Playing());
    second->Stop();
    EXPECT_FALSE(second->Playing());

    // Paused it is not heard and the mixer may rest; resumed, it wakes the
    // mixer and plays on.
    ch->SetPaused(true);
    EXPECT_TRUE(ch->Playing()) << "a paused channel still holds its sound";
    Sleep(1200);  // longer than the queued buffers last
    EXPECT_TRUE(RestAudioIfSilent(0));
    ch->SetPaused(false);
    EXPECT_FALSE(RestAudioIfSilent(0));
    Sleep(1200);
    EXPECT_TRUE(ch->Playing());
    ch->SetVolume(0.3f);
    EXPECT_FLOAT_EQ(ch->Volume(), 0.3f);

    // A driver change ends it like any sound; the channel and the sound work
    // on the new device, and the refill with them.
    ASSERT_TRUE(SetAudioDriver("OpenAL Default"));
    EXPECT_FALSE(ch->Playing());
    PlaySound(looped, ch);
    Sleep(1500);
    EXPECT_TRUE(ch->Playing());
    ch->Stop();
    EXPECT_FALSE(ch->Playing());

    // Dropped while it plays, a channel's stream finishes and is freed; with
    // no driver a streamed sound is silent like any other.
    PlaySound(once, ch);
    ch.reset();
    PlaySound(looped, nullptr);
    ASSERT_FALSE(SetAudioDriver("None"));
    auto silent = AllocChannel();
    PlaySound(looped, silent);
    EXPECT_FALSE(silent->Playing());
}

// The child process of PlayedSoundReachesTheMixer, run before main: OpenAL
// reads its configuration once per process, so the wave-file writer needs a
// fresh one.
int PlayIntoWaveFile() {
    EnableOpenALAudio();
    if (!SetAudioDriver("OpenAL Generic Software")) return 2;
    auto sound = LoadSound(SquareWav(0.3));
    if (!sound) return 3;
    auto ch = AllocChannel();
    PlaySound(sound, ch);
    for (int i = 0; i < 100 && ch->Playing(); ++i) Sleep(10);
    SetAudioDriver("None");  // closes the device, which finishes the file
    return 0;
}

// The child of StreamedMusicLoopsWithoutAGap: the tune in TF_STREAM_CHILD,
// looped for 1.6 s.
int StreamIntoWaveFile(const char* path) {
    EnableOpenALAudio();
    if (!SetAudioDriver("OpenAL Generic Software")) return 2;
    auto tune = LoadSound(path, SOUND_STREAM | SOUND_LOOP);
    if (!tune) return 3;
    auto ch = AllocChannel();
    PlaySound(tune, ch);
    Sleep(1600);
    if (!ch->Playing()) return 4;
    SetAudioDriver("None");
    return 0;
}

const bool kWaveChild = [] {
    if (std::getenv("TF_WAVE_CHILD")) _exit(PlayIntoWaveFile());
    if (const char* tune = std::getenv("TF_STREAM_CHILD")) _exit(StreamIntoWaveFile(tune));
    return false;
}();

// Runs this test program again as a child with OpenAL's wave-file writer and
// the configuration `conf`, plus `variable` in its environment; its exit code.
int RunWaveChild(const std::string& conf, const std::string& variable) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "ALSOFT_", 7) != 0) env.emplace_back(*e);
    env.push_back("ALSOFT_DRIVERS=wave");
    env.push_back("ALSOFT_CONF=" + conf);
    env.push_back(variable);
    std::vector<char*> envp;
    for (auto& s : env) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string self = "/proc/self/exe";
    char* argv[] = {self.data(), nullptr};

    pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        int devnull = open("/dev/null", O_WRONLY);
        if (devnull >= 0) dup2(devnull, 1);
        execve("/proc/self/exe", argv, envp.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The samples of a WAV file of 32-bit floats, one channel.
std::vector<float> MonoFloats(const std::string& wav) {
    std::vector<float> out;
    size_t pos = 12;
    while (pos + 8 <= wav.size()) {
        uint32_t len;
        std::memcpy(&len, wav.data() + pos + 4, 4);
        if (wav.compare(pos, 4, "data") == 0) {
            const size_t n = std::min<size_t>(len, wav.size() - pos - 8) / 4;
            out.resize(n);
            std::memcpy(out.data(), wav.data() + pos + 8, n * 4);
            return out;
        }
        pos += 8 + len + (len & 1);
    }
    return out;
}

// Peak absolute sample of a WAV file's data, as a fraction of full scale.
double Peak(const std::string& wav) {
    if (wav.size() < 12 || wav.compare(0, 4, "RIFF") != 0) return -1;
    int format = 0, bits = 0;
    size_t pos = 12;
    while (pos + 8 <= wav.size()) {
        std::string id = wav.substr(pos, 4);
        uint32_t len;
        std::memcpy(&len, wav.data() + pos + 4, 4);
        const char* body = wav.data() + pos + 8;
        if (id == "fmt ") {
            uint16_t tag, b;
            std::memcpy(&tag, body, 2);
            std::memcpy(&b, body + 14, 2);
            format = tag == 0xFFFE ? static_cast<unsigned char>(body[24]) : tag;
            bits = b;
        } else if (id == "data") {
            size_t n = std::min<size_t>(len, wav.size() - pos - 8);
            double peak = 0;
            if (format == 3 && bits == 32) {
                for (size_t i = 0; i + 4 <= n; i += 4) {
                    float f;
                    std::memcpy(&f, body + i, 4);
                    peak = std::max(peak, double(std::fabs(f)));
                }
            } else if (format == 1 && bits == 16) {
                for (size_t i = 0; i + 2 <= n; i += 2) {
                    int16_t v;
                    std::memcpy(&v, body + i, 2);
                    peak = std::max(peak, std::abs(v) / 32768.0);
                }
            }
            return peak;
        }
        pos += 8 + len + (len & 1);
    }
    return -1;
}

TEST(AudioWave, PlayedSoundReachesTheMixer) {
    tftest::TempDir dir;
    const std::string out = dir / "mix.wav";
    tftest::WriteFile(dir / "alsoft.conf", "[wave]\nfile=" + out + "\n");
    ASSERT_EQ(RunWaveChild(dir / "alsoft.conf", "TF_WAVE_CHILD=1"), 0);
    const double peak = Peak(tftest::ReadFile(out));
    EXPECT_GT(peak, 0.1) << "the square wave should be audible in the mixer's output";
}

// What the mixer puts out is the tune, decoded here on its own, over and over
// with nothing lost or added where it starts again.
TEST(AudioWave, StreamedMusicLoopsWithoutAGap) {
    constexpr int kRate = 22050;
    tftest::TempDir dir;
    const std::string out = dir / "mix.wav", tune = dir / "tune.ogg";
    const auto ogg = EncodeOgg(Chirp(0.3, kRate), kRate);
    tftest::WriteFile(tune, std::string(ogg.begin(), ogg.end()));
    // The mixer at the tune's rate, one channel, floats: it passes the samples on unchanged but for a gain.
    tftest::WriteFile(dir / "alsoft.conf",
                      "[general]\nfrequency=22050\nchannels=mono\nsample-type=float32\n"
                      "[wave]\nfile=" +
                          out + "\n");
    ASSERT_EQ(RunWaveChild(dir / "alsoft.conf", "TF_STREAM_CHILD=" + tune), 0);
    const std::vector<float> mix = MonoFloats(tftest::ReadFile(out));

    std::vector<float> ref;
    {
        OggVorbis_File vf;
        ASSERT_EQ(ov_fopen(tune.c_str(), &vf), 0);
        char block[4096];
        int stream = 0;
        for (long got; (got = ov_read(&vf, block, sizeof block, 0, 2, 1, &stream)) > 0;)
            for (long i = 0; i + 1 < got; i += 2) {
                int16_t v;
                std::memcpy(&v, block + i, 2);
                ref.push_back(v / 32768.0f);
            }
        ov_clear(&vf);
    }
    const size_t n = ref.size();
    ASSERT_NEAR(double(n), 0.3 * kRate, 100);

    // Where the tune starts in the mix (the device ran a moment before), and
    // the mixer's gain: the best match over the first pass.
    size_t start = 0;
    double best = -1, gain = 0;
    for (size_t off = 0; off + n <= mix.size() && off < size_t(kRate); ++off) {
        double dot = 0, energy = 0;
        for (size_t i = 0; i < n; i += 4) {
            dot += mix[off + i] * ref[i];
            energy += mix[off + i] * mix[off + i];
        }
        const double score = energy > 0 ? dot / std::sqrt(energy) : 0;
        if (score > best) best = score, start = off, gain = 0;
    }
    double dot = 0, norm = 0;
    for (size_t i = 0; i < n; ++i) dot += mix[start + i] * ref[i], norm += ref[i] * ref[i];
    gain = dot / norm;
    ASSERT_GT(gain, 0.1) << "the tune should be audible in the mixer's output";

    // At least four passes after the first; the mixer's soft start is skipped.
    const size_t passes = (mix.size() - start) / n;
    ASSERT_GE(passes, 5u) << "1.6 s of a 0.3 s tune";
    double worst = 0;
    size_t worstAt = 0;
    for (size_t i = 256; i < (passes - 1) * n; ++i) {
        const double error = std::fabs(mix[start + i] - gain * ref[i % n]);
        if (error > worst) worst = error, worstAt = i;
    }
    EXPECT_LT(worst, 0.01) << "at sample " << worstAt << " of the tune's pass " << worstAt / n << " (" << n
                           << " samples a pass)";
}

}  // namespace
