// The quest script and the tick's sounds, played for real through SDL's dummy
// audio driver with long silent WAV files the tests write; a sound "ends"
// when the test stops its slot.
#include "tick_fixture.h"

#include "app/frame_loop.h"
#include "app/game_tick.h"
#include "app/sound_system.h"
#include "characters/character_list.h"
#include "support/gl_context.h"

#include <filesystem>

namespace {

class QuestTest : public TickTest {
protected:
    void SetUp() override
    {
        TickTest::SetUp();
        previousDirectory = std::filesystem::current_path();
        writeFile(scratch.file("Sounds/Intro.wav"), silentWav(20.0));
        writeFile(scratch.file("Sounds/FoundKey.wav"), silentWav(20.0));
        std::filesystem::current_path(scratch.path());
        audio = openDummyAudio();
    }
    void TearDown() override
    {
        Sound.release();
        std::filesystem::current_path(previousDirectory);
        TickTest::TearDown();
    }

    // The six characters added last, which a wave must be.
    void expectOrcWaveHeadingFor(float x, float z)
    {
        ASSERT_GE(Characters.main.size(), 7u);
        for (size_t i = Characters.main.size() - 6; i < Characters.main.size(); ++i) {
            const Character* orc = Characters.main[i];
            EXPECT_EQ(orc->kind, Orc);
            EXPECT_EQ(orc->destX, x);
            EXPECT_EQ(orc->destZ, z);
            EXPECT_GE(orc->x, 0.0f);
            EXPECT_LE(orc->x, 500.0f);
            EXPECT_EQ(orc->x, float(int(orc->x)));
            EXPECT_GE(orc->z, 0.0f);
            EXPECT_LE(orc->z, 500.0f);
            EXPECT_EQ(orc->z, float(int(orc->z)));
        }
    }

    ScratchDir scratch;
    std::filesystem::path previousDirectory;
    bool audio = false;
};

} // namespace

TEST_F(QuestTest, TheIntroductionHoldsTheQuestAndTheEffectsUntilItEnds)
{
    ASSERT_TRUE(audio) << "no audio device on the dummy driver";
    Sound.load("Sounds/Intro.wav", SoundSlot::Story);
    QuestStage = 0;
    Characters.gameTick(0.01f);
    EXPECT_EQ(QuestStage, 1);
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::Story));
    Characters.gameTick(0.01f);
    Characters.gameTick(0.01f);
    EXPECT_EQ(QuestStage, 1);
    EXPECT_FALSE(EffectSoundsEnabled);

    Sound.stop(SoundSlot::Story);
    Characters.gameTick(0.01f);
    EXPECT_EQ(QuestStage, 2);
    EXPECT_TRUE(EffectSoundsEnabled);

    // Nothing happens at stage 2 until a key is found.
    const size_t count = Characters.main.size();
    Characters.gameTick(0.01f);
    EXPECT_EQ(QuestStage, 2);
    EXPECT_EQ(Characters.main.size(), count);
}

TEST_F(QuestTest, TwoKeysFoundAtOnceServeBothWavesOnceTheJingleHasEnded)
{
    ASSERT_TRUE(audio) << "no audio device on the dummy driver";
    Character& hero = player();
    hero.x = 123.5f;
    hero.z = 321.25f;
    QuestStage = 2;
    EffectSoundsEnabled = true;
    KeysFound = 2;
    const size_t count = Characters.main.size();

    Characters.gameTick(0.0f);
    EXPECT_EQ(QuestStage, 3);
    EXPECT_EQ(KeysFound, 1);
    ASSERT_EQ(Characters.main.size(), count + 6);
    expectOrcWaveHeadingFor(123.5f, 321.25f);

    Characters.gameTick(0.0f);
    EXPECT_EQ(QuestStage, 4);
    EXPECT_FALSE(EffectSoundsEnabled);
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::Story));
    Characters.gameTick(0.0f);
    EXPECT_EQ(QuestStage, 4);
    EXPECT_EQ(Characters.main.size(), count + 6);

    Sound.stop(SoundSlot::Story);
    Characters.gameTick(0.0f);
    EXPECT_EQ(QuestStage, 5);
    EXPECT_TRUE(EffectSoundsEnabled);

    // The second key is already there: the next wave comes at once, sent to
    // where the player stands now.
    hero.x = 40.0f;
    hero.z = 41.0f;
    Characters.gameTick(0.0f);
    EXPECT_EQ(QuestStage, 6);
    EXPECT_EQ(KeysFound, 0);
    ASSERT_EQ(Characters.main.size(), count + 12);
    expectOrcWaveHeadingFor(40.0f, 41.0f);

    Characters.gameTick(0.0f);
    EXPECT_EQ(QuestStage, 7);
    EXPECT_FALSE(EffectSoundsEnabled);
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::Story));
    Sound.stop(SoundSlot::Story);
    Characters.gameTick(0.0f);
    EXPECT_EQ(QuestStage, 8);
    EXPECT_TRUE(EffectSoundsEnabled);
    Characters.gameTick(0.0f);
    EXPECT_EQ(QuestStage, 8);
}

TEST_F(QuestTest, EffectSoundsAreStoppedEveryTickWhileSwitchedOff)
{
    ASSERT_TRUE(audio) << "no audio device on the dummy driver";
    writeFile(scratch.file("Sounds/Long.wav"), silentWav(20.0));
    for (int slot = 0; slot <= 14; ++slot)
        if (slot != 13)
            Sound.load("Sounds/Long.wav", SoundSlot(slot));
    for (int round = 0; round < 2; ++round) {
        for (int slot = 0; slot <= 14; ++slot)
            if (slot != 13)
                Sound.play(SoundSlot(slot), 1.0f);
        Characters.gameTick(0.01f);
        for (int slot = 0; slot <= 12; ++slot)
            EXPECT_FALSE(Sound.isPlaying(SoundSlot(slot))) << "slot " << slot;
        EXPECT_TRUE(Sound.isPlaying(SoundSlot::Story));
    }

    // Switched on, with nobody near: the orc grunt plays on, the zombie
    // moan stops, and nothing is started.
    EffectSoundsEnabled = true;
    Sound.stop(SoundSlot::Story);
    Sound.play(SoundSlot::Orc, 1.0f);
    Sound.play(SoundSlot::Zombie, 1.0f);
    Characters.gameTick(0.01f);
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::Orc));
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::Zombie));
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::GoblinFight));
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::OrcDie));
}

TEST_F(QuestTest, CreaturesNearThePlayerAreHeardAndTheirDeathsToo)
{
    ASSERT_TRUE(audio) << "no audio device on the dummy driver";
    writeFile(scratch.file("Sounds/Long.wav"), silentWav(20.0));
    for (SoundSlot slot : {SoundSlot::Orc, SoundSlot::OrcDie, SoundSlot::Zombie, SoundSlot::ZombieDie,
                           SoundSlot::GoblinFight, SoundSlot::GoblinDie})
        Sound.load("Sounds/Long.wav", slot);
    EffectSoundsEnabled = true;
    TimeOfDay = 15.0f;
    Character* orc = addCharacter(Orc, 100.0f, 110.0f);
    Character* zombie = addCharacter(Zombie, 90.0f, 100.0f);
    Character* farOrc = addCharacter(Orc, 100.0f, 125.0f);
    orc->state = Idle;
    farOrc->state = Idle;
    Characters.gameTick(0.0f);
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::Orc));
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::Zombie));
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::OrcDie));

    // The near orc has just been killed: its death cry replaces the grunt.
    orc->health = -1.0f;
    Characters.gameTick(0.0f);
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::OrcDie));
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::Orc));

    // A dying orc farther than a living one: both are heard.
    Sound.stop(SoundSlot::OrcDie);
    orc->health = 35.0f;
    farOrc->z = 112.0f;
    farOrc->health = -2.0f;
    Characters.gameTick(0.0f);
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::Orc));
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::OrcDie));
    farOrc->z = 125.0f;
    farOrc->health = 35.0f;

    // Long dead: silent.
    Sound.stop(SoundSlot::OrcDie);
    orc->health = -5.0f;
    zombie->health = -2.0f;
    Characters.gameTick(0.0f);
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::OrcDie));
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::ZombieDie));
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::Zombie));
}
