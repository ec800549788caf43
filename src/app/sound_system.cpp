#include "app/sound_system.h"

SoundSystem Sound;

void SoundSystem::init() {}
void SoundSystem::load(const char*, SoundSlot) {}
void SoundSystem::play(SoundSlot, float) {}
bool SoundSystem::isPlaying(SoundSlot) { return false; }
void SoundSystem::setVolume(SoundSlot, float) {}
void SoundSystem::stop(SoundSlot) {}
void SoundSystem::update() {}
void SoundSystem::release() {}
void SoundSystem::loadTable() {}
