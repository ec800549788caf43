#include "app/game_tick.h"

#include "app/sky.h"
#include "app/sound_system.h"
#include "characters/character_list.h"
#include "platform/keys.h"
#include "world/terrain_grid.h"

#include <cmath>
#include <cstdlib>

float PlayerPower = 5.0f;
int KeysFound = 0;
int QuestStage = 0;
bool EffectSoundsEnabled = false;
PlayerSnapshotRecord PlayerSnapshot = {};

namespace {

constexpr float PowerRegainLimit = 200.0f;
constexpr float HearingRange = 20.0f;
constexpr int OrcsPerWave = 6;

// The sound slots the effect switch silences: every creature, fall, ambience
// and splash slot. The story slot (14) lies outside.
constexpr int LastEffectSlot = 12;

// What the goblin enemy redraw picks from. The value 6 names no kind, so while
// it stands goblins and the dragon hunt nobody.
constexpr uint32_t EnemyKindDraws[4] = {Orc, Villager, 6, Goblin};

// A creature whose death is heard: the kind, its death slot, and how far below
// 0 its health may fall while the death sound still starts.
struct DeathSound {
    uint32_t kind;
    SoundSlot dieSlot;
    float lowestHealth;
};

constexpr DeathSound OrcDeath = {Orc, SoundSlot::OrcDie, -4.0f};
constexpr DeathSound GoblinDeath = {Goblin, SoundSlot::GoblinDie, -10.0f};
constexpr DeathSound ZombieDeath = {Zombie, SoundSlot::ZombieDie, -4.0f};

float volumeAt(float distance) { return 1.0f - 0.05f * distance; }

// The nearest active creature of the kind that has just begun dying (health
// between the death sound's floor and 0), measured as the collection's
// queries measure. The living-only queries never find these.
const Character* findNearestDying(const CharacterList& list, const Character& player,
                                  const DeathSound& death, float& outDistance)
{
    float best = 100000.0f;
    const Character* found = nullptr;
    for (const Character* c : list.main) {
        if (c == &player || c->kind != death.kind || !c->has(Active))
            continue;
        if (!(c->health < 0.0f && c->health > death.lowestHealth))
            continue;
        const float dx = c->x - player.x;
        const float dz = c->z - player.z;
        const float score = dx * dx + dz * dz + std::fabs(c->y - player.y);
        if (score < best) {
            best = score;
            found = c;
        }
    }
    outDistance = std::sqrt(best);
    return found;
}

// Plays the death sound of the nearest dying creature of the kind within
// hearing. True when that creature is also nearer than the nearest living
// one: its death then silences the living sound for this tick.
bool playDeathSound(const CharacterList& list, const Character& player, const DeathSound& death,
                    float livingDistance)
{
    float distance = 0.0f;
    if (!findNearestDying(list, player, death, distance) || distance >= HearingRange)
        return false;
    Sound.play(death.dieSlot, 1.0f);
    Sound.setVolume(death.dieSlot, volumeAt(distance));
    return distance < livingDistance;
}

void applyMovementKeys(Character& player, float dt)
{
    if (player.has(KnockedBack) || player.health < 0.0f || player.kind == DormantZombie)
        return;
    if (keyDown(Key::Up))
        player.state = Walk;
    if (keyDown(Key::Down))
        player.state = WalkBack;
    if (keyDown(Key::Left))
        player.heading -= dt;
    if (keyDown(Key::Right))
        player.heading += dt;
}

void applyShapeKeys(Character& player, float dt)
{
    if (keyDown(Key::Digit1))
        player.setKind(Villager, false);
    if (keyDown(Key::Digit2) && PlayerPower > 0.0f)
        player.setKind(Orc, false);
    if (player.kind == Orc) {
        const float scale = 1.0f + 0.1f * player.strength;
        player.scaleY = scale;
        player.scaleX = scale;
        player.scaleZ = scale;
        PlayerPower -= dt;
        if (PlayerPower <= 0.0f)
            player.setKind(Villager, false);
    }
    if (player.kind == Dragon) {
        PlayerPower -= 2.0f * dt;
        if (PlayerPower <= 0.0f)
            player.setKind(Villager, false);
    }
    if (keyDown(Key::Digit3) && PlayerPower > 0.0f && player.health < 100.0f) {
        player.health += 4.0f * dt;
        PlayerPower -= 8.0f * dt;
    }
    if (keyDown(Key::Digit4) && PlayerPower > 0.0f)
        player.setKind(Dragon, false);
    if (keyDown(Key::Digit6))
        player.setKind(Goblin, false);
}

void applyCheatKeys(Character& player)
{
    if (keyDown(Key::K)) {
        if (keyDown(Key::Digit7))
            player.strength += 10.0f;
        if (keyDown(Key::Digit8))
            PlayerPower = 300.0f;
    }
    // A tap of 7 or 8 without K would otherwise stay latched and count once
    // K is pressed later.
    keyDown(Key::Digit7);
    keyDown(Key::Digit8);
}

// Z paints the cell under the player reddish. Positions off the grid (the
// player can stand just past 499 or below 0 between wraps) mark nothing.
void markCellUnderPlayer(const Character& player)
{
    const int column = int(player.x);
    const int row = int(player.z);
    if (column < 0 || column >= WorldSize || row < 0 || row >= WorldSize)
        return;
    greenGrid[cellIndex(column, row)] = 0.0f;
    redGrid[cellIndex(column, row)] = 0.5f;
}

void updatePlayer(Character& player, float dt)
{
    player.destX = player.x;
    player.destZ = player.z;
    player.set(Active);
    player.viewX = player.x;
    player.viewZ = player.z;
    if (!player.update(dt)) {
        player.strength *= 0.75f;
        player.health = 50.0f;
    }
}

void takeSnapshot(const Character& player)
{
    PlayerSnapshot.x = player.x;
    PlayerSnapshot.y = player.y;
    PlayerSnapshot.z = player.z;
    PlayerSnapshot.heading = player.heading;
    PlayerSnapshot.attacking = player.state == Attack;
    PlayerSnapshot.health = player.health;
    PlayerSnapshot.strength = player.strength;
    PlayerSnapshot.targetHealth = player.target ? player.target->health : 0.0f;
}

void stopEffectSounds()
{
    for (int slot = 0; slot <= LastEffectSlot; ++slot)
        Sound.stop(SoundSlot(slot));
}

void playFallSound(const Character& player)
{
    if ((player.has(KnockedBack) || player.has(Falling)) && player.fallSpeed > 0.5f)
        Sound.play(SoundSlot::Fall, 1.0f);
    else
        Sound.stop(SoundSlot::Fall);
}

void playAmbience()
{
    if (randomBetween(30, 0) != 0)
        return;
    if (CameraUnderwater) {
        Sound.play(SoundSlot::Bubbles, 1.0f);
        Sound.stop(SoundSlot::Wind);
    } else {
        Sound.play(SoundSlot::Wind, 1.0f);
        Sound.stop(SoundSlot::Bubbles);
    }
}

void playOrcSounds(const CharacterList& list, const Character& player)
{
    float distance = 0.0f;
    const Character* orc = list.findNearestOfKind(player.x, player.y, player.z, Orc, distance);
    if (playDeathSound(list, player, OrcDeath, distance)) {
        Sound.stop(SoundSlot::Orc);
        return;
    }
    if (distance < HearingRange && orc->health > 0.0f) {
        Sound.play(SoundSlot::Orc, 1.0f);
        Sound.setVolume(SoundSlot::Orc, volumeAt(distance));
    }
}

void playGoblinSounds(const CharacterList& list, const Character& player)
{
    float distance = 0.0f;
    const Character* goblin = list.findNearestOfKind(player.x, player.y, player.z, Goblin, distance);
    if (playDeathSound(list, player, GoblinDeath, distance)) {
        Sound.stop(SoundSlot::Goblin);
        Sound.stop(SoundSlot::Goblin2);
        return;
    }
    if (distance >= HearingRange || !goblin->has(Active) || !(goblin->health > 0.0f))
        return;
    const float volume = volumeAt(distance);
    if (goblin->state != Attack) {
        if (!Sound.isPlaying(SoundSlot::Goblin) && !Sound.isPlaying(SoundSlot::Goblin2))
            Sound.play(randomBetween(1, 0) == 0 ? SoundSlot::Goblin : SoundSlot::Goblin2, 1.0f);
        Sound.setVolume(SoundSlot::Goblin, volume);
        Sound.setVolume(SoundSlot::Goblin2, volume);
    } else {
        Sound.play(SoundSlot::GoblinFight, 1.0f);
        Sound.setVolume(SoundSlot::GoblinFight, volume);
    }
}

void playZombieSounds(const CharacterList& list, const Character& player)
{
    float distance = 0.0f;
    const Character* zombie = list.findNearestOfKind(player.x, player.y, player.z, Zombie, distance);
    if (playDeathSound(list, player, ZombieDeath, distance)) {
        Sound.stop(SoundSlot::Zombie);
        return;
    }
    const bool nearAndActive = distance < HearingRange && zombie->has(Active);
    if (nearAndActive && zombie->health > 0.0f) {
        Sound.play(SoundSlot::Zombie, 1.0f);
        Sound.setVolume(SoundSlot::Zombie, volumeAt(distance));
    }
    if (!nearAndActive)
        Sound.stop(SoundSlot::Zombie);
}

void playSounds(const CharacterList& list, const Character& player)
{
    if (!EffectSoundsEnabled) {
        stopEffectSounds();
        return;
    }
    playFallSound(player);
    playAmbience();
    playOrcSounds(list, player);
    playGoblinSounds(list, player);
    playZombieSounds(list, player);
}

void redrawGoblinEnemy()
{
    if (randomBetween(700, 0) != 0)
        return;
    GoblinEnemyKind = EnemyKindDraws[randomBetween(3, 0)];
}

// Six orcs from anywhere in the world, each walking to where the player
// stands now.
void spawnOrcWave(CharacterList& list, const Character& player)
{
    const float goalX = player.x;
    const float goalZ = player.z;
    for (int i = 0; i < OrcsPerWave; ++i) {
        Character* orc = new Character();
        orc->setKind(Orc, false);
        orc->x = float(randomBetween(500, 0));
        orc->z = float(randomBetween(500, 0));
        orc->destX = goalX;
        orc->destZ = goalZ;
        list.add(orc);
    }
}

// Waits for the story channel to fall silent, then lets the effects back in.
void resumeAfterStory(int nextStage)
{
    if (Sound.isPlaying(SoundSlot::Story))
        return;
    EffectSoundsEnabled = true;
    QuestStage = nextStage;
}

void useKeyForWave(CharacterList& list, int nextStage)
{
    if (KeysFound < 1)
        return;
    spawnOrcWave(list, *list.player());
    KeysFound -= 1;
    QuestStage = nextStage;
}

void playStory(int nextStage)
{
    Sound.play(SoundSlot::Story, 1.0f);
    EffectSoundsEnabled = false;
    QuestStage = nextStage;
}

void advanceQuest(CharacterList& list)
{
    switch (QuestStage) {
    case 0:
        Sound.play(SoundSlot::Story, 1.0f);
        QuestStage = 1;
        break;
    case 1:
        resumeAfterStory(2);
        break;
    case 2:
        useKeyForWave(list, 3);
        break;
    case 3:
        Sound.load("Sounds/FoundKey.wav", SoundSlot::Story);
        playStory(4);
        break;
    case 4:
        resumeAfterStory(5);
        break;
    case 5:
        useKeyForWave(list, 6);
        break;
    case 6:
        playStory(7);
        break;
    case 7:
        resumeAfterStory(8);
        break;
    default:
        break;
    }
}

} // namespace

// The sweeps address the lists by index and read their sizes afresh on every
// step: thinking may append characters (orbs, fires, burning trees), which
// are then stepped in the same sweep, and removal moves the next character
// into the current place, which is then stepped without advancing.
void CharacterList::gameTick(float dt)
{
    if (keyDown(Key::Escape))
        std::exit(0);

    Character& player = *main.front();
    if (PlayerPower < PowerRegainLimit && player.kind == Zombie)
        PlayerPower += dt;
    if (PlayerPower < 0.0f)
        PlayerPower = 0.0f;

    player.state = Idle;
    applyMovementKeys(player, dt);
    if (keyDown(Key::Control)) {
        player.state = Attack;
        player.target = nullptr;
    }
    player.clear(Jump);
    if (keyDown(Key::Space))
        player.set(Jump);
    if (player.health > 0.0f)
        applyShapeKeys(player, dt);
    applyCheatKeys(player);
    if (keyDown(Key::Z))
        markCellUnderPlayer(player);

    updatePlayer(player, dt);
    takeSnapshot(player);

    for (size_t i = 1; i < main.size();) {
        if (main[i]->think(dt))
            ++i;
        else
            removeMain(i);
    }
    for (size_t i = 0; i < second.size();) {
        if (second[i]->think(dt))
            ++i;
        else
            removeSecond(i);
    }

    playSounds(*this, player);
    redrawGoblinEnemy();
    advanceQuest(*this);
}
