#include "app/sound_system.h"

#include "platform/content_file.h"
#include "platform/sound_driver.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <algorithm>
#include <cmath>
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

// The mixer decodes from the bytes our own reader took, so it never reads a
// stream without end; it keeps its own copy of the samples.
Mix_Chunk* readSound(const char* fileName)
{
    std::string bytes;
    ContentFailure failure = readContentFile(fileName, SoundFileLimit, bytes);
    Mix_Chunk* chunk = nullptr;
    if (failure == ContentFailure::None) {
        chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), int(bytes.size())), 1);
        if (!chunk)
            failure = ContentFailure::WrongFormat;
    }
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
    sounds[index] = readSound(fileName);
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
