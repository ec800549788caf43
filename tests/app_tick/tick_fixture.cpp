#include "tick_fixture.h"

#include "app/camera.h"
#include "app/frame_loop.h"
#include "app/game_tick.h"
#include "app/sky.h"
#include "app/sound_system.h"
#include "characters/character_list.h"
#include "platform/headless/headless.h"
#include "world/terrain_grid.h"

#include <cstdlib>

void TickTest::SetUp()
{
    Characters.clear();
    releaseAllKeys();
    fillGrid(heightGrid, WorldSize, WorldSize, 0.0f);
    fillGrid(kindGrid, WorldSize, WorldSize, int32_t(Empty));
    PlayerPower = 5.0f;
    KeysFound = 0;
    QuestStage = 8;
    EffectSoundsEnabled = false;
    PlayerSnapshot = {};
    GoblinEnemyKind = Orc;
    TimeOfDay = 6.0f;
    FrameDelta = 0.0f;
    CameraUnderwater = false;
    CameraWasUnderwater = false;
    ViewDistance = 100;
    seedRandom(7);
    Character* hero = addCharacter(Villager, 100.0f, 100.0f);
    hero->health = 35.0f;
    placeCameraAt(100.0f, 90.0f);
}

void TickTest::TearDown()
{
    releaseAllKeys();
    Characters.clear();
}

Character* TickTest::addCharacter(uint32_t kind, float x, float z)
{
    Character* c = new Character();
    c->setKind(kind, false);
    c->x = x;
    c->y = heightAt(x, z);
    c->z = z;
    c->destX = x;
    c->destZ = z;
    c->viewX = x;
    c->viewZ = z;
    Characters.add(c);
    return c;
}

Character& TickTest::player() { return *Characters.main.front(); }

void TickTest::placeCameraAt(float x, float z)
{
    CameraEye = {x, z};
    CameraForward = {0.0f, 1.0f};
}

namespace {

void putLittleEndian(std::string& bytes, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(char((value >> (8 * i)) & 0xff));
}

} // namespace

std::string silentWav(double seconds)
{
    constexpr uint32_t Rate = 8000;
    const uint32_t dataSize = uint32_t(seconds * Rate);
    std::string bytes = "RIFF";
    putLittleEndian(bytes, 36 + dataSize, 4);
    bytes += "WAVEfmt ";
    putLittleEndian(bytes, 16, 4);
    putLittleEndian(bytes, 1, 2); // PCM
    putLittleEndian(bytes, 1, 2); // mono
    putLittleEndian(bytes, Rate, 4);
    putLittleEndian(bytes, Rate, 4);
    putLittleEndian(bytes, 1, 2);
    putLittleEndian(bytes, 8, 2);
    bytes += "data";
    putLittleEndian(bytes, dataSize, 4);
    bytes.append(dataSize, char(128));
    return bytes;
}

bool openDummyAudio()
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    Sound.release();
    Sound.init();
    return Sound.opened;
}
