// The two drawing passes of the characters: solid bodies right after the
// terrain, and the see-through things (fires, birds, burning crowns) after the
// water and scenery, from the farthest to the nearest so blending stacks.
#include "characters/character_drawing.h"

#include "assets/animation.h"
#include "characters/character_geometry.h"
#include "characters/character_list.h"
#include "game_state.h"
#include "world/geometry.h"
#include "world/shape_primitives.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <span>
#include <vector>

namespace {

// ---- Choosing the animation -------------------------------------------

// The conditions of the animation rows, tested in row order; the first row
// whose condition holds is played.
enum class Pose {
    Always,
    Falling,
    Dying,
    SwimmingAttacking,
    Swimming,
    BurningWalking,
    Walking,
    BurningWalkingBack,
    WalkingBack,
    Resting,
    Attacking,
};

struct AnimationRow {
    Pose when;
    AnimationSlot male;
    AnimationSlot female;
    int flags;
    float speed;
    float blendRate;
};

constexpr float OrcBlend = 5.0f;
constexpr AnimationRow OrcRows[] = {
    {Pose::Falling, OrcFall, OrcFall, PlayOnce, 2.0f, OrcBlend},
    {Pose::Dying, OrcDie, OrcDie, PlayOnce, 10.0f, OrcBlend},
    {Pose::Swimming, OrcSwim, OrcSwim, PlayLoop, 10.0f, OrcBlend},
    {Pose::Walking, OrcWalk, OrcWalk, PlayLoop, 20.0f, OrcBlend},
    {Pose::WalkingBack, OrcWalk, OrcWalk, PlayLoop, -20.0f, OrcBlend},
    {Pose::Resting, OrcIdle, OrcIdle, PlayLoop, 1.0f, OrcBlend},
    {Pose::Attacking, OrcAttack, OrcAttack, PlayLoop, 10.0f, OrcBlend},
};

// Villagers and zombies share the male and female bodies.
constexpr float HumanBlend = 1.0f;
constexpr AnimationRow HumanRows[] = {
    {Pose::Falling, MaleFall, FemaleFall, PlayLoop, 20.0f, HumanBlend},
    {Pose::Dying, MaleDie, FemaleDie, PlayOnce, 20.0f, 6.0f},
    {Pose::SwimmingAttacking, MaleSwimAttack, FemaleSwimAttack, PlayLoop, 40.0f, HumanBlend},
    {Pose::Swimming, MaleSwim, FemaleSwim, PlayLoop, 10.0f, HumanBlend},
    {Pose::BurningWalking, MaleWalkAfraid, FemaleWalkAfraid, PlayLoop, 30.0f, HumanBlend},
    {Pose::Walking, MaleWalk, FemaleWalk, PlayLoop, 30.0f, HumanBlend},
    {Pose::BurningWalkingBack, MaleWalkAfraid, FemaleWalkAfraid, PlayLoop, -30.0f, HumanBlend},
    {Pose::WalkingBack, MaleWalk, FemaleWalk, PlayLoop, -30.0f, HumanBlend},
    {Pose::Resting, MaleIdle, FemaleIdle, PlayLoop, 1.0f, 0.5f},
    {Pose::Attacking, MaleAttack, FemaleAttack, PlayLoop, 40.0f, HumanBlend},
};

constexpr float GoblinBlend = 5.0f;
constexpr AnimationRow GoblinRows[] = {
    {Pose::Dying, GoblinDie, GoblinDie, PlayOnce, 20.0f, GoblinBlend},
    {Pose::Swimming, GoblinSwim, GoblinSwim, PlayLoop, 10.0f, GoblinBlend},
    {Pose::Falling, GoblinFall, GoblinFall, PlayLoop, 2.0f, GoblinBlend},
    {Pose::Walking, GoblinWalk, GoblinWalk, PlayLoop, 20.0f, GoblinBlend},
    {Pose::WalkingBack, GoblinWalk, GoblinWalk, PlayLoop, -20.0f, GoblinBlend},
    {Pose::Resting, GoblinIdle, GoblinIdle, PlayLoop, 2.0f, GoblinBlend},
    {Pose::Attacking, GoblinAttack, GoblinAttack, PlayLoop, 20.0f, GoblinBlend},
};

// A zombie lying in the ground is its old body, dead.
constexpr AnimationRow DormantRows[] = {
    {Pose::Always, MaleDie, FemaleDie, PlayOnce, 20.0f, KeepBlendRate},
};

bool holds(Pose pose, const Character& c)
{
    switch (pose) {
    case Pose::Always:
        return true;
    case Pose::Falling:
        return c.has(Falling);
    case Pose::Dying:
        return c.health < 0.0f;
    case Pose::SwimmingAttacking:
        return c.has(Swimming) && c.state == Attack;
    case Pose::Swimming:
        return c.has(Swimming);
    case Pose::BurningWalking:
        return c.state == Walk && c.has(Burning);
    case Pose::Walking:
        return c.state == Walk;
    case Pose::BurningWalkingBack:
        return c.state == WalkBack && c.has(Burning);
    case Pose::WalkingBack:
        return c.state == WalkBack;
    case Pose::Resting:
        return c.state == Stand || c.state == Idle;
    case Pose::Attacking:
        return c.state == Attack;
    }
    return false;
}

// The rows of a body and the blend rate it keeps when no row holds (Rise and
// the Dying state of a body that is not below 0 health).
struct Body {
    std::span<const AnimationRow> rows;
    float blendRate;
};

Body bodyOf(uint32_t kind)
{
    switch (kind) {
    case Orc:
        return {OrcRows, OrcBlend};
    case Zombie:
    case Villager:
    case ZombieKing:
        return {HumanRows, HumanBlend};
    case Goblin:
        return {GoblinRows, GoblinBlend};
    case DormantZombie:
        return {DormantRows, KeepBlendRate};
    default:
        return {{}, KeepBlendRate};
    }
}

// ---- First pass --------------------------------------------------------

bool isSkinnedWalker(uint32_t kind)
{
    return kind == Orc || kind == Zombie || kind == Villager || kind == ZombieKing || kind == Goblin;
}

// These draw at their own body scale rather than the record's.
bool scaledByRecord(uint32_t kind)
{
    return kind != Zombie && kind != Dragon && kind != Goblin && kind != DormantZombie;
}

constexpr float BodyScale = 0.6f;
constexpr float NearListDistanceSq = 5.0f;

void drawSkin(AnimatedModel& model, TextureSlot skin)
{
    glColor3f(1.0f, 1.0f, 1.0f);
    bindTexture(skin);
    model.computePose();
    model.draw();
}

void applyAnimation(Character& c)
{
    const AnimationChoice choice = chooseAnimation(c);
    if (choice.blendRate != KeepBlendRate)
        c.model->blendRate = choice.blendRate;
    if (choice.plays)
        c.model->play(AnimationLibrary::instance().get(choice.slot), choice.flags, choice.speed);
}

void drawSkinnedWalker(Character& c)
{
    if (!c.model)
        c.setupKind(true);
    if (!c.model)
        return;
    applyAnimation(c);
    glScalef(BodyScale, BodyScale, BodyScale);
    drawSkin(*c.model, skinOf(c));
}

void drawDormantZombie(Character& c)
{
    glScalef(BodyScale, BodyScale, BodyScale);
    glColor3f(1.0f, 1.0f, 1.0f);
    if (!c.model)
        return;
    applyAnimation(c);
    drawSkin(*c.model, skinOf(c));
}

void drawDragonWing(float shoulder, float elbow)
{
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, -0.08f, 0.0f);
    glRotatef(shoulder, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, -0.17f, 0.0f);
    drawSegment(0.05f, 0.015f, 0.15f, 0.003f, 0.2f, 1.0f);
    glRotatef(elbow, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, -0.2f, 0.0f);
    drawSegment(0.15f, 0.003f, 0.05f, 0.003f, 0.2f, 1.0f);
    glRotatef(elbow, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, -0.2f, 0.0f);
    drawSegment(0.05f, 0.003f, 0.01f, 0.0f, 0.2f, 1.0f);
}

// The dragon is built from spheres and tubes; its wings beat with phase.
// Angles in degrees.
void drawDragonModel(float shoulder, float elbow, float neck, float tail)
{
    glPushMatrix();
    glColor3f(1.0f, 0.0f, 0.0f);

    glPushMatrix();
    bindTexture(TextureSlot::Pyramid);
    glScalef(1.4f, 0.7f, 0.8f);
    glCallList(SphereList);
    glPopMatrix();

    glPushMatrix();
    drawDragonWing(shoulder, elbow);
    glPopMatrix();

    glPushMatrix();
    glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
    drawDragonWing(shoulder, elbow);
    glPopMatrix();

    glPushMatrix();
    glTranslatef(-0.08f, 0.018f, 0.0f);
    glRotatef(neck + 45.0f, 0.0f, 0.0f, 1.0f);
    drawSegment(0.02f, 0.02f, 0.06f, 0.06f, 0.23f, 1.0f);
    glTranslatef(0.0f, 0.2f, 0.0f);
    glRotatef(neck, 0.0f, 0.0f, 1.0f);
    glTranslatef(-0.06f, 0.0f, 0.0f);
    glScalef(1.0f, 0.5f, 0.7f);
    glCallList(SphereList);
    glPopMatrix();

    glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, 0.1f, 0.0f);
    glRotatef(tail, 0.0f, 0.0f, 1.0f);
    drawSegment(0.025f, 0.025f, 0.05f, 0.05f, 0.2f, 1.0f);
    glTranslatef(0.0f, 0.2f, 0.0f);
    glRotatef(tail, 1.0f, 0.0f, 0.0f);
    drawSegment(0.0f, 0.0f, 0.025f, 0.025f, 0.2f, 1.0f);
    glPopMatrix();
}

void drawDragon(const Character& c)
{
    glScalef(7.0f, 7.0f, 7.0f);
    const float beat = 20.0f * std::cos(c.phase);
    drawDragonModel(beat + 10.0f, beat - 20.0f, beat, beat);
}

void drawOrb(float red, float green, float blue)
{
    glColor3f(red, green, blue);
    glDisable(GL_LIGHTING);
    bindTexture(TextureSlot::Pyramid);
    glCallList(SphereList);
    glEnable(GL_LIGHTING);
}

GLuint nearOrFar(float cameraDistanceSq, GLuint nearList, GLuint farList)
{
    return cameraDistanceSq > NearListDistanceSq ? farList : nearList;
}

// ---- Second pass -------------------------------------------------------

// The part of a record the second pass draws from. The pass orders copies,
// not the records, so drawing cannot disturb the lists it walks.
struct BlendedSnapshot {
    uint32_t kind;
    float x, y, z;
    float pitch, heading, tilt;
    float scaleY, scaleX, scaleZ;
    float phase;
    float cameraDistanceSq;
};

BlendedSnapshot snapshotOf(const Character& c)
{
    return {c.kind, c.x, c.y, c.z, c.pitch, c.heading, c.tilt, c.scaleY, c.scaleX, c.scaleZ, c.phase,
            c.cameraDistanceSq};
}

bool nearerToCamera(const BlendedSnapshot& a, const BlendedSnapshot& b)
{
    return a.cameraDistanceSq < b.cameraDistanceSq;
}

// Kept between frames so the pass allocates only when the count grows.
std::vector<BlendedSnapshot> BlendedHeap;

void drawFireSprite(const BlendedSnapshot& s)
{
    glColor3f(1.0f, 1.0f, 1.0f);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    bindTexture(TextureSlot::Fire);
    // Each sprite places itself from the current matrix, so it must leave it
    // as it found it.
    glPushMatrix();
    glTranslatef(s.x, s.y, s.z);
    glRotatef(angleTo(CameraEye.x, CameraEye.z, s.x, s.z) * -RadiansToDegrees + 90.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(std::cos(s.phase * 0.5f) * RadiansToDegrees, 0.0f, 0.0f, 1.0f);
    glScalef(s.scaleX, s.scaleY, s.scaleZ);
    glBegin(GL_QUADS);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(-0.5f, -0.5f, 0.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(0.5f, -0.5f, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(0.5f, 0.5f, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(-0.5f, 0.5f, 0.0f);
    glEnd();
    glPopMatrix();
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
}

void drawBirdQuad()
{
    glColor3f(0.0f, 0.0f, 0.4f);
    glDisable(GL_CULL_FACE);
    glDisable(GL_FOG);
    glEnable(GL_BLEND);
    bindTexture(TextureSlot::Birds);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-1.0f, -1.0f, -1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(1.0f, -1.0f, -1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(1.0f, -1.0f, 1.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-1.0f, -1.0f, 1.0f);
    glEnd();
    glEnable(GL_CULL_FACE);
    glEnable(GL_FOG);
    glDisable(GL_BLEND);
}

void drawOriented(const BlendedSnapshot& s)
{
    glPushMatrix();
    glTranslatef(s.x, s.y, s.z);
    glRotatef(s.heading * -RadiansToDegrees, 0.0f, 1.0f, 0.0f);
    glRotatef(s.pitch * -RadiansToDegrees, 1.0f, 0.0f, 0.0f);
    glRotatef(s.tilt * -RadiansToDegrees, 0.0f, 0.0f, 1.0f);
    glScalef(s.scaleX, s.scaleY, s.scaleZ);
    if (s.kind == BirdFlock)
        drawBirdQuad();
    else if (s.kind == BurningTree)
        glCallList(nearOrFar(s.cameraDistanceSq, TreeCrownList, TreeCrownCoarseList));
    else
        glCallList(nearOrFar(s.cameraDistanceSq, ShrubCrownList, ShrubCrownCoarseList));
    glPopMatrix();
}

void drawBlendedSnapshot(const BlendedSnapshot& s)
{
    switch (s.kind) {
    case Fire:
        drawFireSprite(s);
        break;
    case BirdFlock:
    case BurningTree:
    case BurningShrub:
        drawOriented(s);
        break;
    default:
        break;
    }
}

void pushActive(const std::vector<Character*>& list)
{
    for (Character* c : list) {
        if (!c->has(Active))
            continue;
        c->cameraDistanceSq = horizontalDistanceSq(c->x, c->z, CameraEye.x, CameraEye.z);
        BlendedHeap.push_back(snapshotOf(*c));
        std::push_heap(BlendedHeap.begin(), BlendedHeap.end(), nearerToCamera);
    }
}

}  // namespace

AnimationChoice chooseAnimation(const Character& c)
{
    const Body body = bodyOf(c.kind);
    const bool male = c.has(Male);
    for (const AnimationRow& row : body.rows) {
        if (holds(row.when, c))
            return {true, male ? row.male : row.female, row.flags, row.speed, row.blendRate};
    }
    return {false, MaleWalk, 0, 0.0f, body.blendRate};
}

TextureSlot skinOf(const Character& c)
{
    switch (c.kind) {
    case Orc:
        return TextureSlot::Orc;
    case Goblin:
        return TextureSlot::Goblin;
    case ZombieKing:
        return TextureSlot::ZombieKing;
    case Villager:
        if (!c.has(Male))
            return TextureSlot::PessentFemale;
        return c.has(AltSkin) ? TextureSlot::PessentMale : TextureSlot::PessentMale2;
    default:
        return TextureSlot::ZombieMale;
    }
}

void Character::draw()
{
    if (!has(Active))
        return;
    glPushMatrix();
    glTranslatef(viewX, y, viewZ);
    glRotatef(heading * -RadiansToDegrees, 0.0f, 1.0f, 0.0f);
    glRotatef(tilt * -RadiansToDegrees, 0.0f, 0.0f, 1.0f);
    if (scaledByRecord(kind))
        glScalef(scaleX, scaleY, scaleZ);

    if (isSkinnedWalker(kind)) {
        drawSkinnedWalker(*this);
    } else {
        switch (kind) {
        case DormantZombie:
            drawDormantZombie(*this);
            break;
        case Dragon:
            drawDragon(*this);
            break;
        case BurningTree:
            glCallList(nearOrFar(cameraDistanceSq, TreeTrunkList, TreeTrunkCoarseList));
            break;
        case BurningShrub:
            glCallList(nearOrFar(cameraDistanceSq, ShrubTrunkList, ShrubTrunkCoarseList));
            break;
        case PowerOrb:
            drawOrb(0.0f, 0.0f, 1.0f);
            break;
        case KeyPickup:
            drawOrb(1.0f, 1.0f, 0.0f);
            break;
        default:
            break;
        }
    }
    glPopMatrix();
}

void CharacterList::drawAll()
{
    for (Character* c : main)
        c->draw();
}

void CharacterList::drawBlended()
{
    BlendedHeap.clear();
    pushActive(main);
    pushActive(second);
    while (!BlendedHeap.empty()) {
        std::pop_heap(BlendedHeap.begin(), BlendedHeap.end(), nearerToCamera);
        drawBlendedSnapshot(BlendedHeap.back());
        BlendedHeap.pop_back();
    }
}
