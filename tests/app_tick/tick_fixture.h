// Shared by the game tick tests: a fresh collection holding a villager player
// on flat dry ground, the tick's globals at their start values (the quest
// finished unless a test says otherwise), no keys held, and helpers that make
// characters and WAV files.
#pragma once

#include "characters/character.h"

#include <gtest/gtest.h>

#include <string>

class TickTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A character of the kind at (x, ground, z), handed to the collection.
    Character* addCharacter(uint32_t kind, float x, float z);
    Character& player();
    // The camera that the characters' view test reads, looking along +z.
    void placeCameraAt(float x, float z);
};

// A mono 8-bit PCM WAV of silence lasting the given seconds: long enough
// that a sound started by a test is still playing when the test looks.
std::string silentWav(double seconds);

// Opens the audio device on SDL's dummy driver; false when it cannot.
bool openDummyAudio();
