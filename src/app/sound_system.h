// Sound: a fixed table of 18 slots over SDL2_mixer. Each slot holds one sound
// loaded whole into memory and a handle to the voice it last played on. The
// mix is made in floating point and limited below -1 dBFS, so any number of
// sounds at once never clips.
// One program-wide instance, Sound, owned here; the world build loads it, the
// game tick and the fog update play it, the frame loop releases it at exit.
#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

struct Mix_Chunk;

enum class SoundSlot : int {
    Orc = 0,
    OrcDie = 1,
    Wind = 2,
    Bubbles = 3,
    Zombie = 4,
    ZombieDie = 5,
    Splash = 6,
    SplashOut = 7,
    Fall = 8,
    Goblin = 9,
    Goblin2 = 10,
    GoblinDie = 11,
    GoblinFight = 12,
    Story = 14,
};

constexpr int SoundSlotCount = 18;

// A sound may decode to at most one minute of the mixer's format, and all the
// sounds held at once, replaced ones included, to this many minutes: room
// for every slot to hold a sound of half a minute.
constexpr double SoundTableBudget = 8.0;
constexpr int MixerChannelCount = 200;

// One row of the slot table: which file loadTable puts into which slot, in
// the order they are loaded.
struct SoundFile {
    SoundSlot slot;
    const char* fileName;
};

constexpr int SoundTableSize = 14;
extern const SoundFile SoundTable[SoundTableSize];

// How many sounds each mixer channel has finished (ended or halted). Raised by
// the mixer's channel-finished callback on the audio thread.
extern std::atomic<unsigned> ChannelGenerations[MixerChannelCount];

// A voice as the mixer hands it out: the channel and the generation of that
// channel when the sound started. Channel numbers are reused, so a handle
// plays only while the channel's generation still matches.
struct VoiceHandle {
    int channel = -1;
    unsigned generation = 0;
};

struct SoundSystem {
    int result = 0;
    bool opened = false;
    Mix_Chunk* sounds[SoundSlotCount] = {};
    VoiceHandle channels[SoundSlotCount];
    bool playing = false;
    // Sounds a slot no longer holds; a channel may still be playing them, so
    // they are freed only at release.
    std::vector<Mix_Chunk*> replaced;
    size_t heldBytes = 0;   // of every sound held, at the mixer's format

    // Opens the audio device (44,100 Hz stereo, 200 channels, mixed in
    // floating point) and puts the limiter after the mix. Fails quietly:
    // without a device every later call does nothing.
    void init();
    void load(const char* fileName, SoundSlot slot);
    // Starts the slot's sound at volume 0..1 unless it is still playing, in
    // which case nothing changes, not even the volume.
    void play(SoundSlot slot, float volume);

    bool isPlaying(SoundSlot slot);
    void setVolume(SoundSlot slot, float volume);
    void stop(SoundSlot slot);

    void update();
    void release();

    // init, then the slot table in its load order.
    void loadTable();
};

extern SoundSystem Sound;
