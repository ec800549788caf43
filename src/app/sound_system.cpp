#include "app/sound_system.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

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

} // namespace

void SoundSystem::init()
{
    if (opened)
        return;
    result = SDL_InitSubSystem(SDL_INIT_AUDIO);
    if (result != 0)
        return;
    result = Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024);
    if (result != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
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
    sounds[index] = Mix_LoadWAV(fileName);
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
