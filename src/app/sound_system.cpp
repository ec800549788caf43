#include "app/sound_system.h"

#include "platform/content_file.h"
#include "platform/sound_driver.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

SoundSystem Sound;

const SoundFile SoundTable[SoundTableSize] = {
    {SoundSlot::Orc, "Sounds/Orc.wav"},
    {SoundSlot::Wind, "Sounds/Wind.wav"},
    {SoundSlot::Bubbles, "Sounds/Bubbles.wav"},
    {SoundSlot::OrcDie, "Sounds/OrcDie.wav"},
    {SoundSlot::Goblin, "Sounds/Goblin.wav"},
    {SoundSlot::Goblin2, "Sounds/Goblin2.wav"},
    {SoundSlot::GoblinDie, "Sounds/GoblinDie.wav"},
    {SoundSlot::GoblinFight, "Sounds/GoblinFight.wav"},
    {SoundSlot::Zombie, "Sounds/Zombie.wav"},
    {SoundSlot::ZombieDie, "Sounds/ZombieDie.wav"},
    {SoundSlot::Splash, "Sounds/Splash.wav"},
    {SoundSlot::SplashOut, "Sounds/SplashOut.wav"},
    {SoundSlot::Fall, "Sounds/Fall.wav"},
    {SoundSlot::Story, "Sounds/Intro.wav"},
};

std::atomic<unsigned> ChannelGenerations[MixerChannelCount];

namespace {

// Runs on the audio thread for sounds that end, and on the caller's thread for
// halted ones; the mixer forbids calling back into it from here.
void SDLCALL countFinishedSound(int channel)
{
    if (channel >= 0 && channel < MixerChannelCount)
        ChannelGenerations[channel].fetch_add(1);
}

// Headroom. Sounds are made to peak at -1.5 dBFS, so two at full volume
// already overflow a 16-bit mix. The mixer therefore mixes in floating point,
// where sums do not clip, and the finished mix goes through a fixed gain and
// a peak limiter before it reaches the device. The gain takes one sound alone
// at full volume to 0.7 of its level, below the limiter's threshold; the
// limiter leaves everything below the threshold alone and bends louder mixes
// smoothly under the ceiling, the same for every sound in them, so their
// relative loudness and the volume-by-distance levels stay as they are.
constexpr float MixGain = 0.7f;
constexpr float LimitThreshold = 0.6f;
constexpr float LimitCeiling = 0.88f;   // -1.1 dBFS
constexpr float LimitReleaseSeconds = 0.08f;

// The limiter's state. The post-mix callback is its only user once the
// device is open; it runs on the audio thread and allocates, locks and
// reads nothing.
struct MixLimiter {
    int channels = 2;
    float release = 0.0f;    // envelope kept per sample while it falls
    float envelope = 0.0f;   // the loudest recent frame, after the gain
};

MixLimiter Limiter;

// Gain that brings an envelope above the threshold under the ceiling: the
// curve leaves the threshold with slope 1 and approaches the ceiling without
// reaching it.
float limiterGain(float envelope)
{
    if (!(envelope > LimitThreshold))
        return 1.0f;
    constexpr float room = LimitCeiling - LimitThreshold;
    const float limited = LimitThreshold + room * (1.0f - std::exp(-(envelope - LimitThreshold) / room));
    return limited / envelope;
}

// Every sample of a frame is at most the envelope, so after the limiter's
// gain it is below the ceiling; the envelope rises at once and falls slowly,
// so the gain changes smoothly once a loud passage has begun.
void SDLCALL limitMix(void* data, Uint8* stream, int bytes)
{
    MixLimiter& limiter = *static_cast<MixLimiter*>(data);
    float* samples = reinterpret_cast<float*>(stream);
    const int channels = limiter.channels;
    const int frames = bytes / int(sizeof(float)) / channels;
    for (int f = 0; f < frames; ++f) {
        float* frame = samples + f * channels;
        float peak = 0.0f;
        for (int c = 0; c < channels; ++c)
            peak = std::max(peak, std::fabs(frame[c]) * MixGain);
        limiter.envelope = std::max(peak, limiter.envelope * limiter.release);
        // Long silence would sink the envelope into denormal floats, which
        // are slow to compute with.
        if (limiter.envelope < 1e-9f)
            limiter.envelope = 0.0f;
        const float gain = MixGain * limiterGain(limiter.envelope);
        for (int c = 0; c < channels; ++c)
            frame[c] *= gain;
    }
}

// Called with the device open and before anything plays.
void startLimiter()
{
    int rate = 0, channels = 0;
    Uint16 format = 0;
    if (!Mix_QuerySpec(&rate, &format, &channels) || format != AUDIO_F32SYS || channels < 1)
        return;
    Limiter = MixLimiter{};
    Limiter.channels = channels;
    Limiter.release = std::exp(-1.0f / (LimitReleaseSeconds * float(rate)));
    Mix_SetPostMix(limitMix, &Limiter);
}

int slotIndex(SoundSlot slot)
{
    const int index = static_cast<int>(slot);
    return index >= 0 && index < SoundSlotCount ? index : -1;
}

// 0..1 to the mixer's 0..128. A negative level would make Mix_Volume a mere
// query and leave the old volume in place, so it is silence instead.
int mixerVolume(float volume)
{
    if (!(volume > 0.0f))
        return 0;
    if (volume >= 1.0f)
        return MIX_MAX_VOLUME;
    return static_cast<int>(volume * MIX_MAX_VOLUME + 0.5f);
}

// The one line a player without a sound device sees; SDL's reason says which
// driver failed and how.
void reportNoSound()
{
    std::fprintf(stderr, "thornwick: running without sound (%s)\n", SDL_GetError());
}

// What a WAV file's header says about the samples it holds, as far as the
// file goes.
struct WavShape {
    uint32_t channels = 0;
    uint32_t rate = 0;
    uint32_t bits = 0;
    uint64_t dataBytes = 0;     // of the data chunk, within the file
    bool cutShort = false;      // the data chunk claims more than the file holds
    size_t dataLengthAt = 0;    // where the data chunk's length is written
};

uint32_t littleU32(const std::string& bytes, size_t at)
{
    const auto byte = [&](size_t i) { return uint32_t(uint8_t(bytes[at + i])); };
    return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

uint32_t littleU16(const std::string& bytes, size_t at)
{
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8;
}

// Walks the RIFF chunks to the format and the data, in the bytes at hand
// from the start of a file of fileSize bytes. Only a WAV file can be
// measured before it is decoded, so nothing else is taken, though the mixer
// would decode other kinds too.
bool readWavShape(const std::string& bytes, uint64_t fileSize, WavShape& shape)
{
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
        return false;
    bool haveFormat = false;
    uint64_t at = 12;
    while (at + 8 <= bytes.size()) {
        const uint32_t length = littleU32(bytes, size_t(at) + 4);
        const uint64_t body = at + 8;
        if (bytes.compare(size_t(at), 4, "fmt ") == 0 && length >= 16 && body + 16 <= bytes.size()) {
            shape.channels = littleU16(bytes, size_t(body) + 2);
            shape.rate = littleU32(bytes, size_t(body) + 4);
            shape.bits = littleU16(bytes, size_t(body) + 14);
            haveFormat = true;
        } else if (bytes.compare(size_t(at), 4, "data") == 0) {
            const uint64_t held = fileSize - body;
            shape.dataBytes = std::min<uint64_t>(length, held);
            shape.cutShort = length > held;
            shape.dataLengthAt = size_t(at) + 4;
            return haveFormat;
        }
        at = body + length + (length & 1);
    }
    return false;
}

// The mixer's own format, which every sound is converted to.
struct MixerFormat {
    int rate = 0;
    int channels = 0;
    int sampleBytes = 0;
    Uint16 format = 0;

    // One minute of it: five times the longest sound the game ships.
    double soundLimit() const { return 60.0 * rate * channels * sampleBytes; }
};

MixerFormat mixerFormat()
{
    MixerFormat mixer;
    if (!Mix_QuerySpec(&mixer.rate, &mixer.format, &mixer.channels))
        return MixerFormat{};
    mixer.sampleBytes = SDL_AUDIO_BITSIZE(mixer.format) / 8;
    return mixer;
}

// The conversion works in floating point at the larger of the two channel
// counts before it resamples, so a sound at a high rate needs room beyond
// its converted size; 4 minutes' worth covers a minute of 8 channels.
constexpr double ConversionRoom = 4.0;

// What converting the sound would take: None, WrongFormat for a header SDL
// cannot convert from, Empty for one without a whole frame, or TooLong; with
// converted set to its converted size.
// Measured from the header alone: a rate of 1 Hz makes a few bytes decode
// to gigabytes.
ContentFailure judgeWav(const WavShape& shape, const MixerFormat& mixer, double& converted)
{
    converted = 0.0;
    if (shape.channels == 0 || shape.rate == 0 || shape.rate > uint32_t(INT32_MAX) || shape.channels > 255)
        return ContentFailure::WrongFormat;
    SDL_AudioCVT probe;
    if (SDL_BuildAudioCVT(&probe, AUDIO_S16SYS, Uint8(shape.channels), int(shape.rate), mixer.format,
                          Uint8(mixer.channels), mixer.rate) < 0)
        return ContentFailure::WrongFormat;
    // Compressed forms give at most two samples a byte.
    const double frames = double(shape.dataBytes) * 8.0 / (double(shape.channels) * std::max(shape.bits, 4u));
    if (frames < 1.0)
        return ContentFailure::Empty;
    converted = std::ceil(frames * mixer.rate / shape.rate) * mixer.channels * mixer.sampleBytes;
    const double working = frames * std::max<double>(shape.channels, mixer.channels) * sizeof(float);
    if (converted > mixer.soundLimit() || working > ConversionRoom * mixer.soundLimit())
        return ContentFailure::TooLong;
    return ContentFailure::None;
}

// None, or why the sound must not be converted: alone, or with the sounds
// held before it.
ContentFailure judgeSound(const WavShape& shape, size_t heldBytes)
{
    const MixerFormat mixer = mixerFormat();
    double converted = 0.0;
    const ContentFailure failure = judgeWav(shape, mixer, converted);
    if (failure == ContentFailure::None && double(heldBytes) + converted > SoundTableBudget * mixer.soundLimit())
        return ContentFailure::TooLong;
    return failure;
}

// Where the format and the data chunk's header lie in any ordinary WAV file.
constexpr size_t WavHeadBytes = 64 * 1024;

// The mixer decodes from the bytes our own reader took, so it never reads a
// stream without end; it keeps its own copy of the samples.
Mix_Chunk* readSound(const char* fileName, size_t heldBytes)
{
    // The header first: a sound it refuses is read no further. A head
    // without the whole header is judged once all is read.
    std::string bytes;
    uint64_t fileSize = 0;
    ContentFailure failure = readContentFileStart(fileName, SoundFileLimit, WavHeadBytes, bytes, fileSize);
    WavShape shape;
    if (failure == ContentFailure::None && bytes.size() < fileSize) {
        if (readWavShape(bytes, fileSize, shape))
            failure = judgeSound(shape, heldBytes);
        if (failure == ContentFailure::None)
            failure = readContentFile(fileName, SoundFileLimit, bytes);
    }
    if (failure == ContentFailure::None) {
        shape = WavShape{};
        failure = readWavShape(bytes, bytes.size(), shape) ? judgeSound(shape, heldBytes)
                                                           : ContentFailure::WrongFormat;
    }
    // SDL allocates what the data chunk claims, up to 4 GiB, before it finds
    // the file shorter; told what is there, it takes the same samples.
    if (failure == ContentFailure::None && shape.cutShort)
        for (int i = 0; i < 4; ++i)
            bytes[shape.dataLengthAt + i] = char(shape.dataBytes >> (8 * i) & 0xff);
    Mix_Chunk* chunk = nullptr;
    if (failure == ContentFailure::None) {
        chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), int(bytes.size())), 1);
        if (!chunk)
            failure = ContentFailure::WrongFormat;
    }
    // A sound cut short plays what it holds, as the mixer takes it.
    if (failure == ContentFailure::None && shape.cutShort)
        reportContentFailure(fileName, ContentFailure::Truncated);
    if (failure != ContentFailure::None)
        reportContentFailure(fileName, failure);
    return chunk;
}

} // namespace

void SoundSystem::init()
{
    if (opened)
        return;
    quietSoundDriverMessages();
    result = SDL_InitSubSystem(SDL_INIT_AUDIO);
    if (result != 0) {
        reportNoSound();
        return;
    }
    // Floating-point mixing whatever the device takes: SDL converts the
    // limited mix to the device's own format.
    result = Mix_OpenAudioDevice(44100, AUDIO_F32SYS, 2, 1024, nullptr,
                                 SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (result != 0) {
        reportNoSound();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    startLimiter();
    Mix_AllocateChannels(MixerChannelCount);
    Mix_ChannelFinished(countFinishedSound);
    opened = true;
}

void SoundSystem::load(const char* fileName, SoundSlot slot)
{
    const int index = slotIndex(slot);
    if (!opened || index < 0)
        return;
    // A channel may still be playing the sound this slot held.
    if (sounds[index])
        replaced.push_back(sounds[index]);
    sounds[index] = readSound(fileName, heldBytes);
    if (sounds[index])
        heldBytes += sounds[index]->alen;
    result = sounds[index] ? 0 : -1;
}

void SoundSystem::play(SoundSlot slot, float volume)
{
    const int index = slotIndex(slot);
    if (!opened || index < 0 || !sounds[index])
        return;
    if (isPlaying(slot))
        return;
    const int channel = Mix_GroupAvailable(-1);
    if (channel < 0 || channel >= MixerChannelCount)
        return;
    // A channel keeps the volume of its previous sound. Setting the new one
    // while the channel is idle means not one sample is mixed at the old level.
    Mix_Volume(channel, mixerVolume(volume));
    result = Mix_PlayChannel(channel, sounds[index], 0);
    if (result != channel)
        return;
    // Read after starting: Mix_PlayChannel waits for the mixer, so a finish
    // callback for the channel's previous sound has already been counted.
    channels[index] = {channel, ChannelGenerations[channel].load()};
}

bool SoundSystem::isPlaying(SoundSlot slot)
{
    playing = false;
    const int index = slotIndex(slot);
    if (!opened || index < 0)
        return false;
    const VoiceHandle& voice = channels[index];
    if (voice.channel < 0)
        return false;
    playing = ChannelGenerations[voice.channel].load() == voice.generation && Mix_Playing(voice.channel) != 0;
    return playing;
}

void SoundSystem::setVolume(SoundSlot slot, float volume)
{
    if (isPlaying(slot))
        Mix_Volume(channels[slotIndex(slot)].channel, mixerVolume(volume));
}

void SoundSystem::stop(SoundSlot slot)
{
    if (isPlaying(slot))
        Mix_HaltChannel(channels[slotIndex(slot)].channel);
}

// SDL_mixer mixes on its own thread and needs nothing per frame; the call is
// kept so the frame loop has one place to service sound.
void SoundSystem::update() {}

void SoundSystem::release()
{
    if (!opened)
        return;
    Mix_HaltChannel(-1);
    Mix_ChannelFinished(nullptr);
    Mix_SetPostMix(nullptr, nullptr);
    for (Mix_Chunk*& chunk : sounds) {
        Mix_FreeChunk(chunk);
        chunk = nullptr;
    }
    for (Mix_Chunk* chunk : replaced)
        Mix_FreeChunk(chunk);
    replaced.clear();
    heldBytes = 0;
    for (VoiceHandle& voice : channels)
        voice = VoiceHandle{};
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    opened = false;
    playing = false;
}

void SoundSystem::loadTable()
{
    init();
    for (const SoundFile& row : SoundTable)
        load(row.fileName, row.slot);
}
