// The sound slots over SDL2_mixer, played for real through SDL's dummy driver
// (which mixes in real time) and its disk driver (which writes the mix to a
// file), with short WAV files the tests generate.
#include "app/sound_system.h"
#include "support/gl_context.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int WavRate = 44100;

void putLittleEndian(std::string& bytes, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(char((value >> (8 * i)) & 0xff));
}

// A mono 16-bit PCM WAV at 44,100 Hz holding a 440 Hz sine of the given
// number of frames and peak amplitude (0..1).
std::string sineWav(int frames, float amplitude = 0.5f)
{
    const uint32_t dataSize = uint32_t(frames) * 2;
    std::string bytes = "RIFF";
    putLittleEndian(bytes, 36 + dataSize, 4);
    bytes += "WAVEfmt ";
    putLittleEndian(bytes, 16, 4);
    putLittleEndian(bytes, 1, 2); // PCM
    putLittleEndian(bytes, 1, 2); // mono
    putLittleEndian(bytes, WavRate, 4);
    putLittleEndian(bytes, WavRate * 2, 4);
    putLittleEndian(bytes, 2, 2);
    putLittleEndian(bytes, 16, 2);
    bytes += "data";
    putLittleEndian(bytes, dataSize, 4);
    for (int i = 0; i < frames; ++i) {
        const float value = amplitude * 32767.0f * std::sin(6.2831853f * 440.0f * float(i) / WavRate);
        putLittleEndian(bytes, uint32_t(int16_t(std::lround(value))) & 0xffff, 2);
    }
    return bytes;
}

int framesOf(double seconds) { return int(seconds * WavRate); }

// Polls until the slot stops playing; false if it is still playing after
// the timeout, which is many times any sound the tests play.
bool waitUntilQuiet(SoundSlot slot, double timeoutSeconds = 10.0)
{
    const Uint64 start = SDL_GetTicks64();
    while (Sound.isPlaying(slot)) {
        if (SDL_GetTicks64() - start > Uint64(timeoutSeconds * 1000.0))
            return false;
        SDL_Delay(5);
    }
    return true;
}

int channelVolume(int channel) { return Mix_Volume(channel, -1); }

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Sound.release();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    void TearDown() override
    {
        Sound.release();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }

    // Opens the dummy device and loads one generated sound into a slot.
    void openWith(std::initializer_list<std::pair<SoundSlot, int>> slotFrames)
    {
        Sound.init();
        ASSERT_TRUE(Sound.opened) << SDL_GetError();
        for (const auto& [slot, frames] : slotFrames) {
            const std::string path = scratch.file("s" + std::to_string(int(slot)) + ".wav");
            writeFile(path, sineWav(frames));
            Sound.load(path.c_str(), slot);
            ASSERT_NE(Sound.sounds[int(slot)], nullptr) << Mix_GetError();
        }
    }

    int channelOf(SoundSlot slot) const { return Sound.channels[int(slot)].channel; }

    ScratchDir scratch;
};

TEST_F(SoundTest, SoundPlaysForItsLengthAndStartsAgainOnTheNextRequest)
{
    openWith({{SoundSlot::Orc, framesOf(0.3)}});
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::Orc)) << "never started";
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::Wind)) << "empty slot";
    Sound.play(SoundSlot::Wind, 1.0f);
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::Wind));

    Sound.play(SoundSlot::Orc, 1.0f);
    ASSERT_TRUE(Sound.isPlaying(SoundSlot::Orc));
    EXPECT_TRUE(Sound.playing);
    const VoiceHandle first = Sound.channels[int(SoundSlot::Orc)];
    EXPECT_EQ(Mix_GetChunk(first.channel), Sound.sounds[int(SoundSlot::Orc)]);

    ASSERT_TRUE(waitUntilQuiet(SoundSlot::Orc));
    EXPECT_FALSE(Sound.playing);
    EXPECT_EQ(Mix_Playing(first.channel), 0);

    Sound.play(SoundSlot::Orc, 1.0f);
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::Orc)) << "a finished slot starts again";
    const VoiceHandle second = Sound.channels[int(SoundSlot::Orc)];
    EXPECT_FALSE(second.channel == first.channel && second.generation == first.generation);
    Sound.stop(SoundSlot::Orc);
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::Orc));
    EXPECT_EQ(Mix_Playing(second.channel), 0);
}

TEST_F(SoundTest, RequestingASlotThatStillPlaysChangesNothingNotEvenItsVolume)
{
    openWith({{SoundSlot::Goblin, framesOf(5.0)}});
    Sound.play(SoundSlot::Goblin, 0.5f);
    ASSERT_TRUE(Sound.isPlaying(SoundSlot::Goblin));
    const VoiceHandle started = Sound.channels[int(SoundSlot::Goblin)];
    EXPECT_EQ(channelVolume(started.channel), 64);

    Sound.play(SoundSlot::Goblin, 1.0f);
    const VoiceHandle after = Sound.channels[int(SoundSlot::Goblin)];
    EXPECT_EQ(after.channel, started.channel);
    EXPECT_EQ(after.generation, started.generation);
    EXPECT_EQ(channelVolume(started.channel), 64) << "volume of a sound still playing was changed";
    EXPECT_EQ(Mix_Playing(-1), 1) << "a second voice was started";

    // Volumes the game tick sets directly on the playing voice, including
    // the out-of-range ones a distance beyond 20 units would give.
    Sound.setVolume(SoundSlot::Goblin, 0.25f);
    EXPECT_EQ(channelVolume(started.channel), 32);
    Sound.setVolume(SoundSlot::Goblin, -0.3f);
    EXPECT_EQ(channelVolume(started.channel), 0);
    Sound.setVolume(SoundSlot::Goblin, 7.0f);
    EXPECT_EQ(channelVolume(started.channel), MIX_MAX_VOLUME);

    Sound.stop(SoundSlot::Goblin);
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::Goblin));
    EXPECT_EQ(Mix_Playing(-1), 0);
}

TEST_F(SoundTest, HandleWhoseChannelWentToAnotherSlotNoLongerPlaysOrControlsIt)
{
    openWith({{SoundSlot::Orc, framesOf(0.1)}, {SoundSlot::Zombie, framesOf(5.0)}, {SoundSlot::Fall, framesOf(5.0)}});

    // Reused after the first sound ended by itself.
    Sound.play(SoundSlot::Orc, 0.2f);
    const int orcChannel = channelOf(SoundSlot::Orc);
    ASSERT_TRUE(waitUntilQuiet(SoundSlot::Orc));
    Sound.play(SoundSlot::Zombie, 1.0f);
    ASSERT_EQ(channelOf(SoundSlot::Zombie), orcChannel) << "the mixer was expected to reuse the lowest free channel";
    EXPECT_EQ(channelVolume(orcChannel), MIX_MAX_VOLUME) << "the new sound took the old sound's volume";
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::Orc));
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::Zombie));

    Sound.setVolume(SoundSlot::Orc, 0.0f);
    EXPECT_EQ(channelVolume(orcChannel), MIX_MAX_VOLUME) << "an old handle changed another slot's volume";
    Sound.stop(SoundSlot::Orc);
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::Zombie)) << "an old handle stopped another slot's sound";

    // Reused after the first sound was stopped.
    Sound.stop(SoundSlot::Zombie);
    Sound.play(SoundSlot::Fall, 0.75f);
    ASSERT_EQ(channelOf(SoundSlot::Fall), orcChannel);
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::Zombie));
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::Fall));
    EXPECT_EQ(channelVolume(orcChannel), 96);

    // The first slot now starts on a channel of its own.
    Sound.play(SoundSlot::Orc, 1.0f);
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::Orc));
    EXPECT_NE(channelOf(SoundSlot::Orc), orcChannel);
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::Fall));
    EXPECT_EQ(channelVolume(orcChannel), 96);
}

class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& dir) : previous(std::filesystem::current_path())
    {
        std::filesystem::current_path(dir);
    }
    ~CurrentDirectory() { std::filesystem::current_path(previous); }

private:
    std::filesystem::path previous;
};

TEST_F(SoundTest, TableFillsItsSlotsAndTheStorySlotTakesTheKeyJingle)
{
    // Each file a different length so the slot it lands in can be told;
    // the introduction is long enough to still play when the jingle loads.
    auto framesFor = [](SoundSlot slot) { return slot == SoundSlot::Story ? framesOf(1.0) : 1000 + 37 * int(slot); };
    for (const SoundFile& row : SoundTable)
        if (row.slot != SoundSlot::Fall)
            writeFile(scratch.file(row.fileName), sineWav(framesFor(row.slot)));
    const int jingleFrames = framesOf(0.15) + 3;
    writeFile(scratch.file("Sounds/FoundKey.wav"), sineWav(jingleFrames));

    CurrentDirectory inScratch(scratch.path());
    Sound.loadTable();
    ASSERT_TRUE(Sound.opened);
    int rate = 0, channelCount = 0;
    Uint16 format = 0;
    ASSERT_EQ(Mix_QuerySpec(&rate, &format, &channelCount), 1);
    ASSERT_EQ(rate, WavRate);
    const int bytesPerFrame = channelCount * int(SDL_AUDIO_BITSIZE(format) / 8);

    EXPECT_EQ(std::string(SoundTable[13].fileName), "Sounds/Intro.wav");
    for (const SoundFile& row : SoundTable) {
        if (row.slot == SoundSlot::Fall)
            continue;
        const Mix_Chunk* chunk = Sound.sounds[int(row.slot)];
        ASSERT_NE(chunk, nullptr) << row.fileName;
        EXPECT_EQ(int(chunk->alen), framesFor(row.slot) * bytesPerFrame) << row.fileName;
    }
    for (int empty : {13, 15, 16, 17})
        EXPECT_EQ(Sound.sounds[empty], nullptr) << "slot " << empty;

    // A missing file leaves its slot silent, and asking for it is harmless.
    EXPECT_EQ(Sound.sounds[int(SoundSlot::Fall)], nullptr);
    Sound.play(SoundSlot::Fall, 1.0f);
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::Fall));

    Sound.play(SoundSlot::Story, 1.0f);
    ASSERT_TRUE(Sound.isPlaying(SoundSlot::Story));
    const int introChannel = channelOf(SoundSlot::Story);
    const Mix_Chunk* intro = Sound.sounds[int(SoundSlot::Story)];

    Sound.load("Sounds/FoundKey.wav", SoundSlot::Story);
    const Mix_Chunk* jingle = Sound.sounds[int(SoundSlot::Story)];
    ASSERT_NE(jingle, nullptr);
    ASSERT_NE(jingle, intro);
    EXPECT_EQ(int(jingle->alen), jingleFrames * bytesPerFrame);
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::Story)) << "loading the jingle cut the introduction";
    EXPECT_EQ(Mix_GetChunk(introChannel), intro);

    ASSERT_TRUE(waitUntilQuiet(SoundSlot::Story));
    for (int time = 0; time < 2; ++time) {
        Sound.play(SoundSlot::Story, 1.0f);
        ASSERT_TRUE(Sound.isPlaying(SoundSlot::Story));
        EXPECT_EQ(Mix_GetChunk(channelOf(SoundSlot::Story)), jingle);
        ASSERT_TRUE(waitUntilQuiet(SoundSlot::Story));
    }
}

TEST_F(SoundTest, ASoundMayBecomeAMinuteAndTheTableEightMinutes)
{
    Sound.init();
    ASSERT_TRUE(Sound.opened) << SDL_GetError();
    const std::string longer = scratch.file("longer.wav");
    const std::string shorter = scratch.file("shorter.wav");
    writeFile(longer, sineWav(framesOf(60.5)));
    writeFile(shorter, sineWav(framesOf(59.0)));
    Sound.load(longer.c_str(), SoundSlot::Orc);
    EXPECT_EQ(Sound.sounds[int(SoundSlot::Orc)], nullptr);

    // Replaced sounds are still held, so they count too.
    for (int i = 0; i < 8; ++i) {
        Sound.load(shorter.c_str(), SoundSlot::Story);
        ASSERT_NE(Sound.sounds[int(SoundSlot::Story)], nullptr) << "load " << i;
    }
    Sound.load(shorter.c_str(), SoundSlot::Wind);
    EXPECT_EQ(Sound.sounds[int(SoundSlot::Wind)], nullptr);

    // Released, the table starts empty again.
    Sound.release();
    Sound.init();
    Sound.load(shorter.c_str(), SoundSlot::Wind);
    EXPECT_NE(Sound.sounds[int(SoundSlot::Wind)], nullptr);
}

TEST_F(SoundTest, WithoutAnAudioDeviceEverythingIsAQuietNoOp)
{
    writeFile(scratch.file("Sounds/Orc.wav"), sineWav(framesOf(0.2)));
    const std::string orcPath = scratch.file("Sounds/Orc.wav");

    // No such driver: SDL's audio fails to start.
    setenv("SDL_AUDIODRIVER", "thornwick-no-such-driver", 1);
    Sound.loadTable();
    EXPECT_FALSE(Sound.opened);
    Sound.load(orcPath.c_str(), SoundSlot::Orc);
    for (int slot = 0; slot < SoundSlotCount; ++slot)
        EXPECT_EQ(Sound.sounds[slot], nullptr);
    Sound.play(SoundSlot::Orc, 1.0f);
    Sound.play(SoundSlot::Story, 1.0f);
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::Orc));
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::Story));
    Sound.setVolume(SoundSlot::Orc, 0.5f);
    Sound.stop(SoundSlot::Orc);
    Sound.update();
    Sound.release();
    Sound.release();

    // A driver that starts but whose device cannot be opened.
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", scratch.file("no-such-dir/out.raw").c_str(), 1);
    Sound.init();
    EXPECT_FALSE(Sound.opened);
    Sound.load(orcPath.c_str(), SoundSlot::Orc);
    Sound.play(SoundSlot::Orc, 1.0f);
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::Orc));
    Sound.release();

    // Neither failure leaves the audio half open: a working driver opens.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    Sound.init();
    EXPECT_TRUE(Sound.opened);
    Sound.load(orcPath.c_str(), SoundSlot::Orc);
    Sound.play(SoundSlot::Orc, 1.0f);
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::Orc));
    Sound.release();
    Sound.release();
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::Orc));
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

// The mixed output SDL's disk driver wrote, in units of 16-bit full scale
// (32767), whatever sample format the mixer mixes in.
std::vector<float> readDiskOutput(const std::string& raw, Uint16 format)
{
    std::ifstream in(raw, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<float> samples;
    if (format == AUDIO_F32SYS) {
        samples.resize(bytes.size() / 4);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 4);
        for (float& sample : samples)
            sample *= 32767.0f;
    } else if (format == AUDIO_S16SYS) {
        std::vector<int16_t> shorts(bytes.size() / 2);
        std::memcpy(shorts.data(), bytes.data(), shorts.size() * 2);
        samples.assign(shorts.begin(), shorts.end());
    } else {
        ADD_FAILURE() << "unexpected mixer format " << format;
    }
    return samples;
}

// Opens the sound system on SDL's disk driver, lets `play` start sounds and
// wait while they play, then closes it and returns what was mixed.
template <typename Play>
std::vector<float> recordMix(const ScratchDir& scratch, Play play)
{
    const std::string raw = scratch.file("mix.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    Sound.init();
    EXPECT_TRUE(Sound.opened) << SDL_GetError();
    int rate = 0, channelCount = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&rate, &format, &channelCount);
    play();
    Sound.release();
    return readDiskOutput(raw, format);
}

// Plays one sound at the given volume to its end and returns the mix.
std::vector<float> mixToDisk(const ScratchDir& scratch, const std::string& wav, float volume)
{
    return recordMix(scratch, [&] {
        Sound.load(wav.c_str(), SoundSlot::Splash);
        Sound.play(SoundSlot::Splash, volume);
        EXPECT_TRUE(Sound.isPlaying(SoundSlot::Splash));
        EXPECT_TRUE(waitUntilQuiet(SoundSlot::Splash));
    });
}

float peakOf(const std::vector<float>& samples)
{
    float peak = 0.0f;
    for (float sample : samples)
        peak = std::max(peak, std::fabs(sample));
    return peak;
}

size_t audibleSamples(const std::vector<float>& samples)
{
    size_t audible = 0;
    for (float sample : samples)
        audible += std::fabs(sample) > 1000.0f;
    return audible;
}

TEST_F(SoundTest, MixedOutputCarriesTheSoundAtItsVolume)
{
    const std::string wav = scratch.file("loud.wav");
    writeFile(wav, sineWav(framesOf(0.25), 0.5f));

    const std::vector<float> full = mixToDisk(scratch, wav, 1.0f);
    ASSERT_GE(full.size(), size_t(framesOf(0.25) * 2)) << "the disk driver wrote less than the sound";
    EXPECT_GT(audibleSamples(full), size_t(framesOf(0.25))) << "the mix is silent while the sound plays";
    const float level = peakOf(full);
    EXPECT_GE(level, 16384.0f * 0.5f) << "the sound lost more than half its level to the headroom";
    EXPECT_LE(level, 16384.0f + 2.0f);

    EXPECT_NEAR(peakOf(mixToDisk(scratch, wav, 0.5f)), level * 0.5f, level * 0.02f)
        << "volumes are not kept relative to each other";
    EXPECT_EQ(peakOf(mixToDisk(scratch, wav, 0.0f)), 0.0f) << "samples were mixed before the volume was set";
}

// -1 dBFS in 16-bit samples.
constexpr float CeilingSample = 29204.0f;

TEST_F(SoundTest, EverySoundOfTheGameAtOnceAtFullVolumeNeverClipsAndOneAloneKeepsHalfItsLevel)
{
    // The game's own sounds, each peaking at -1.5 dBFS: all 14 rows of the
    // table at volume 1 on top of each other for a second and a half.
    const std::string content = THORNWICK_RUN_DIR;
    const std::vector<float> all = recordMix(scratch, [&] {
        for (const SoundFile& row : SoundTable) {
            Sound.load((content + "/" + row.fileName).c_str(), row.slot);
            ASSERT_NE(Sound.sounds[int(row.slot)], nullptr) << row.fileName << ": " << Mix_GetError();
        }
        for (const SoundFile& row : SoundTable)
            Sound.play(row.slot, 1.0f);
        for (const SoundFile& row : SoundTable)
            EXPECT_TRUE(Sound.isPlaying(row.slot)) << row.fileName;
        SDL_Delay(1500);
    });
    ASSERT_FALSE(all.empty());
    EXPECT_LE(peakOf(all), CeilingSample) << "the mix of every sound reaches above -1 dBFS";
    EXPECT_GE(peakOf(all), 16384.0f) << "the mix of every sound is quieter than one sound";
    EXPECT_GT(audibleSamples(all), all.size() / 2) << "the mix of every sound is silent for long stretches";

    // Fourteen copies of one loud sine in step, the worst a mix can hold:
    // their sum is fourteen times full scale before the headroom.
    const std::string loud = scratch.file("loudest.wav");
    writeFile(loud, sineWav(framesOf(1.0), 0.8414f));
    const std::vector<float> inStep = recordMix(scratch, [&] {
        for (const SoundFile& row : SoundTable)
            Sound.load(loud.c_str(), row.slot);
        for (const SoundFile& row : SoundTable)
            Sound.play(row.slot, 1.0f);
        for (const SoundFile& row : SoundTable)
            EXPECT_TRUE(waitUntilQuiet(row.slot));
    });
    EXPECT_LE(peakOf(inStep), CeilingSample);
    EXPECT_GE(peakOf(inStep), 16384.0f);

    // One such sound alone: its level before the headroom was its own peak.
    const float alone = peakOf(mixToDisk(scratch, loud, 1.0f));
    EXPECT_GE(alone, 0.8414f * 32767.0f * 0.5f) << "one sound alone lost more than half its level";
    EXPECT_LE(alone, CeilingSample);
}

} // namespace
