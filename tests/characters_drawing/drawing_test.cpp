// Character drawing: the animation chosen per kind and state, the skins, and
// what reaches GL (read back through feedback mode: vertices and the pass-
// through markers that stand in for the scenery display lists).
#include "app/camera.h"
#include "assets/animation.h"
#include "assets/asset_tables.h"
#include "assets/image_files.h"
#include "characters/character.h"
#include "characters/character_drawing.h"
#include "characters/character_list.h"
#include "support/gl_context.h"

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <vector>

namespace {

// ---- The pure choice --------------------------------------------------

Character& body(Character& c, uint32_t kind, uint32_t flags, uint32_t state, float health = 35.0f)
{
    c.kind = kind;
    c.flags = flags;
    c.state = state;
    c.health = health;
    return c;
}

void expectChoice(const AnimationChoice& got, AnimationSlot slot, int flags, float speed, float blendRate)
{
    EXPECT_TRUE(got.plays);
    EXPECT_EQ(got.slot, slot);
    EXPECT_EQ(got.flags, flags);
    EXPECT_FLOAT_EQ(got.speed, speed);
    EXPECT_FLOAT_EQ(got.blendRate, blendRate);
}

TEST(ChooseAnimation, VillagersAndZombiesByStateInFirstMatchOrder)
{
    Character c;
    // Dying: die once, fast blend; the sex picks the body.
    expectChoice(chooseAnimation(body(c, Villager, Male, Walk, -1.0f)), MaleDie, PlayOnce, 20, 6);
    expectChoice(chooseAnimation(body(c, Villager, 0, Walk, -1.0f)), FemaleDie, PlayOnce, 20, 6);
    // Falling comes before dying.
    expectChoice(chooseAnimation(body(c, Villager, Male | Falling, Dying, -1.0f)), MaleFall, PlayLoop, 20, 1);
    // Burning walkers walk afraid, forwards or back; in the water they swim.
    expectChoice(chooseAnimation(body(c, Villager, Male | Burning, Walk)), MaleWalkAfraid, PlayLoop, 30, 1);
    expectChoice(chooseAnimation(body(c, Villager, Burning, WalkBack)), FemaleWalkAfraid, PlayLoop, -30, 1);
    expectChoice(chooseAnimation(body(c, Villager, Male | Burning | Swimming, Walk)), MaleSwim, PlayLoop, 10, 1);
    expectChoice(chooseAnimation(body(c, Villager, Swimming, Attack)), FemaleSwimAttack, PlayLoop, 40, 1);
    expectChoice(chooseAnimation(body(c, Zombie, Male, Walk)), MaleWalk, PlayLoop, 30, 1);
    expectChoice(chooseAnimation(body(c, Zombie, 0, WalkBack)), FemaleWalk, PlayLoop, -30, 1);
    expectChoice(chooseAnimation(body(c, ZombieKing, Male, Attack)), MaleAttack, PlayLoop, 40, 1);
    expectChoice(chooseAnimation(body(c, Villager, 0, Stand)), FemaleIdle, PlayLoop, 1, 0.5f);
    expectChoice(chooseAnimation(body(c, Villager, Male, Idle)), MaleIdle, PlayLoop, 1, 0.5f);
    // Rising or in the Dying state while not below 0: no new animation.
    for (uint32_t state : {Rise, Dying}) {
        const AnimationChoice none = chooseAnimation(body(c, Zombie, Male, state));
        EXPECT_FALSE(none.plays);
        EXPECT_FLOAT_EQ(none.blendRate, 1.0f);
    }
    // A zombie in the ground is its body dead; its blend rate is left alone.
    const AnimationChoice dormant = chooseAnimation(body(c, DormantZombie, 0, Rise));
    expectChoice(dormant, FemaleDie, PlayOnce, 20, KeepBlendRate);
}

TEST(ChooseAnimation, OrcsAndGoblinsHaveTheirOwnOrder)
{
    Character c;
    expectChoice(chooseAnimation(body(c, Orc, Falling, Walk, -1.0f)), OrcFall, PlayOnce, 2, 5);
    expectChoice(chooseAnimation(body(c, Orc, Swimming, Walk, -1.0f)), OrcDie, PlayOnce, 10, 5);
    expectChoice(chooseAnimation(body(c, Orc, Swimming, Attack)), OrcSwim, PlayLoop, 10, 5);
    expectChoice(chooseAnimation(body(c, Orc, Male, WalkBack)), OrcWalk, PlayLoop, -20, 5);
    expectChoice(chooseAnimation(body(c, Orc, 0, Stand)), OrcIdle, PlayLoop, 1, 5);
    expectChoice(chooseAnimation(body(c, Orc, 0, Attack)), OrcAttack, PlayLoop, 10, 5);
    // Goblins test dying and swimming before falling.
    expectChoice(chooseAnimation(body(c, Goblin, Falling, Walk, -1.0f)), GoblinDie, PlayOnce, 20, 5);
    expectChoice(chooseAnimation(body(c, Goblin, Falling | Swimming, Walk)), GoblinSwim, PlayLoop, 10, 5);
    expectChoice(chooseAnimation(body(c, Goblin, Falling, Attack)), GoblinFall, PlayLoop, 2, 5);
    expectChoice(chooseAnimation(body(c, Goblin, 0, Idle)), GoblinIdle, PlayLoop, 2, 5);
    expectChoice(chooseAnimation(body(c, Goblin, 0, Attack)), GoblinAttack, PlayLoop, 20, 5);
    EXPECT_FALSE(chooseAnimation(body(c, Orc, 0, Rise)).plays);
    // Kinds without a skeleton play nothing.
    for (uint32_t kind : std::initializer_list<uint32_t>{Fire, Dragon, BirdFlock, BurningTree, PowerOrb,
                                                          KeyPickup})
        EXPECT_FALSE(chooseAnimation(body(c, kind, Male, Walk)).plays) << kind;
}

TEST(ChooseAnimation, Skins)
{
    Character c;
    EXPECT_EQ(skinOf(body(c, Villager, Male | AltSkin, Walk)), TextureSlot::PessentMale);
    EXPECT_EQ(skinOf(body(c, Villager, Male, Walk)), TextureSlot::PessentMale2);
    EXPECT_EQ(skinOf(body(c, Villager, AltSkin, Walk)), TextureSlot::PessentFemale);
    EXPECT_EQ(skinOf(body(c, Zombie, 0, Walk)), TextureSlot::ZombieMale);
    EXPECT_EQ(skinOf(body(c, DormantZombie, Male, Walk)), TextureSlot::ZombieMale);
    EXPECT_EQ(skinOf(body(c, ZombieKing, Male, Walk)), TextureSlot::ZombieKing);
    EXPECT_EQ(skinOf(body(c, Orc, 0, Walk)), TextureSlot::Orc);
    EXPECT_EQ(skinOf(body(c, Goblin, 0, Walk)), TextureSlot::Goblin);
}

// ---- Through GL -------------------------------------------------------

struct Vec3 {
    float x, y, z;
};

// One thing GL reported in feedback mode: a point, a polygon, or a marker.
struct FeedbackItem {
    GLenum token;
    std::vector<Vec3> vertices;   // world coordinates
    float marker = 0.0f;
    Vec3 centroid() const
    {
        Vec3 sum{0, 0, 0};
        for (const Vec3& v : vertices) {
            sum.x += v.x;
            sum.y += v.y;
            sum.z += v.z;
        }
        const float n = float(vertices.size());
        return {sum.x / n, sum.y / n, sum.z / n};
    }
};

constexpr float OrthoHalf = 1000.0f;
constexpr float OrthoDepth = 2000.0f;

class CharacterDrawingTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        Characters.clear();
        if (TextureTable[0] == 0)
            glGenTextures(TextureCount, TextureTable);
        makeMarkerLists();
        makeAnimations();
        glEnable(GL_LIGHTING);
        glEnable(GL_CULL_FACE);
        CameraEye = {250.0f, 250.0f};
        CameraForward = {1.0f, 0.0f};
        // A tilted view, so that no flat shape is seen edge-on; positions are
        // recovered through the inverse of this rotation.
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-OrthoHalf, OrthoHalf, -OrthoHalf, OrthoHalf, -OrthoDepth, OrthoDepth);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRotatef(35.0f, 1.0f, 0.0f, 0.0f);
        glRotatef(25.0f, 0.0f, 1.0f, 0.0f);
        glGetFloatv(GL_MODELVIEW_MATRIX, view.data());
    }

    void TearDown() override
    {
        Characters.clear();
        glLoadIdentity();
    }

    // Every scenery list and the sphere become a marker and one point at the
    // origin, so that feedback shows which list was called and where.
    void makeMarkerLists()
    {
        GLuint* lists[] = {&TreeTrunkList, &TreeTrunkCoarseList, &TreeCrownList, &TreeCrownCoarseList,
                           &ShrubTrunkList, &ShrubTrunkCoarseList, &ShrubCrownList,
                           &ShrubCrownCoarseList, &SphereList};
        static GLuint base = 0;
        if (base == 0)
            base = glGenLists(9);
        for (GLuint i = 0; i < 9; ++i) {
            *lists[i] = base + i;
            glNewList(base + i, GL_COMPILE);
            glPassThrough(float(base + i));
            glBegin(GL_POINTS);
            glVertex3f(0.0f, 0.0f, 0.0f);
            glEnd();
            glEndList();
        }
    }

    // Every slot gets its own four-frame animation.
    void makeAnimations()
    {
        static std::vector<std::unique_ptr<Animation>> owned;
        AnimationLibrary& library = AnimationLibrary::instance();
        if (!owned.empty())
            return;
        for (int slot = 0; slot < AnimationSlotCount; ++slot) {
            auto animation = std::make_unique<Animation>();
            for (int frame = 0; frame < 4; ++frame)
                animation->frames.push_back({frame * 0.1, {}});
            library.table[slot] = animation.get();
            owned.push_back(std::move(animation));
        }
    }

    Vec3 toWorld(const GLfloat* window) const
    {
        // Window to eye coordinates under the orthographic projection ...
        const float eye[3] = {window[0] / 800.0f * 2.0f * OrthoHalf - OrthoHalf,
                              window[1] / 600.0f * 2.0f * OrthoHalf - OrthoHalf,
                              (0.5f - window[2]) * 2.0f * OrthoDepth};
        // ... and through the transpose of the view rotation.
        return {view[0] * eye[0] + view[1] * eye[1] + view[2] * eye[2],
                view[4] * eye[0] + view[5] * eye[1] + view[6] * eye[2],
                view[8] * eye[0] + view[9] * eye[1] + view[10] * eye[2]};
    }

    template <typename Draw>
    std::vector<FeedbackItem> capture(Draw draw)
    {
        static std::vector<GLfloat> buffer(1 << 20);
        glFeedbackBuffer(GLsizei(buffer.size()), GL_3D, buffer.data());
        glRenderMode(GL_FEEDBACK);
        draw();
        const GLint count = glRenderMode(GL_RENDER);
        EXPECT_GE(count, 0) << "feedback buffer overflow";
        std::vector<FeedbackItem> items;
        for (GLint i = 0; i < count;) {
            FeedbackItem item{GLenum(buffer[size_t(i++)]), {}, 0.0f};
            int vertices = 0;
            switch (item.token) {
            case GL_PASS_THROUGH_TOKEN:
                item.marker = buffer[size_t(i++)];
                break;
            case GL_POINT_TOKEN:
            case GL_BITMAP_TOKEN:
            case GL_DRAW_PIXEL_TOKEN:
            case GL_COPY_PIXEL_TOKEN:
                vertices = 1;
                break;
            case GL_LINE_TOKEN:
            case GL_LINE_RESET_TOKEN:
                vertices = 2;
                break;
            case GL_POLYGON_TOKEN:
                vertices = int(buffer[size_t(i++)]);
                break;
            default:
                ADD_FAILURE() << "unknown feedback token " << item.token;
                return items;
            }
            for (int v = 0; v < vertices; ++v, i += 3)
                item.vertices.push_back(toWorld(&buffer[size_t(i)]));
            items.push_back(item);
        }
        return items;
    }

    static std::vector<float> markers(const std::vector<FeedbackItem>& items)
    {
        std::vector<float> found;
        for (const FeedbackItem& item : items)
            if (item.token == GL_PASS_THROUGH_TOKEN)
                found.push_back(item.marker);
        return found;
    }

    static bool samePoint(const Vec3& a, const Vec3& b)
    {
        return std::fabs(a.x - b.x) < 1e-3f && std::fabs(a.y - b.y) < 1e-3f && std::fabs(a.z - b.z) < 1e-3f;
    }

    // The flat shapes drawn, in order: GL may hand a quad back as triangles,
    // so polygons that follow one another sharing a corner are one shape,
    // holding each corner once.
    static std::vector<FeedbackItem> polygons(const std::vector<FeedbackItem>& items)
    {
        std::vector<FeedbackItem> found;
        bool joinable = false;
        for (const FeedbackItem& item : items) {
            if (item.token != GL_POLYGON_TOKEN) {
                joinable = false;
                continue;
            }
            bool shares = false;
            if (joinable)
                for (const Vec3& v : item.vertices)
                    for (const Vec3& w : found.back().vertices)
                        shares = shares || samePoint(v, w);
            if (!shares) {
                found.push_back({GL_POLYGON_TOKEN, {}, 0.0f});
                joinable = true;
            }
            for (const Vec3& v : item.vertices) {
                bool known = false;
                for (const Vec3& w : found.back().vertices)
                    known = known || samePoint(v, w);
                if (!known)
                    found.back().vertices.push_back(v);
            }
        }
        return found;
    }

    static Character* place(uint32_t kind, float x, float y, float z, uint32_t flags = Active)
    {
        auto* c = new Character;
        c->setKind(kind, false);
        c->x = c->viewX = x;
        c->y = y;
        c->z = c->viewZ = z;
        c->health = 35.0f;
        c->state = Walk;
        c->flags = flags;
        Characters.add(c);
        return c;
    }

    static GLint boundTexture()
    {
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        return bound;
    }

    std::array<GLfloat, 16> view{};
};

void expectAt(const Vec3& got, float x, float y, float z)
{
    EXPECT_NEAR(got.x, x, 0.05f);
    EXPECT_NEAR(got.y, y, 0.05f);
    EXPECT_NEAR(got.z, z, 0.05f);
}

TEST_F(CharacterDrawingTest, DyingMaleVillagerPlaysTheMaleDieOnceAndHoldsIt)
{
    Character* villager = place(Villager, 250.0f, 0.0f, 240.0f, Active | Male);
    villager->health = -1.0f;
    villager->draw();
    ASSERT_NE(villager->model, nullptr);
    Animation* die = AnimationLibrary::instance().get(MaleDie);
    EXPECT_EQ(villager->model->animation, die);
    EXPECT_TRUE(villager->model->flags & PlayOnce);
    EXPECT_FLOAT_EQ(villager->model->blendRate, 6.0f);
    EXPECT_EQ(boundTexture(), GLint(TextureTable[int(TextureSlot::PessentMale2)]));

    // Frame after frame it reaches the last frame and stays there.
    for (int frame = 0; frame < 20; ++frame) {
        villager->model->advance(0.1f);
        villager->draw();
    }
    EXPECT_EQ(villager->model->animation, die);
    EXPECT_EQ(villager->model->currentFrame, 3);
    villager->model->advance(0.1f);
    EXPECT_EQ(villager->model->currentFrame, 3);
}

TEST_F(CharacterDrawingTest, BurningWalkerWalksAfraidAndSwimsInTheWater)
{
    Character* villager = place(Villager, 250.0f, 0.0f, 240.0f, Active | Burning);
    villager->draw();
    ASSERT_NE(villager->model, nullptr);
    EXPECT_EQ(villager->model->animation, AnimationLibrary::instance().get(FemaleWalkAfraid));
    EXPECT_EQ(boundTexture(), GLint(TextureTable[int(TextureSlot::PessentFemale)]));
    villager->set(Swimming);
    villager->draw();
    EXPECT_EQ(villager->model->animation, AnimationLibrary::instance().get(FemaleSwim));
}

TEST_F(CharacterDrawingTest, FemaleZombieWearsTheFemaleBodyAndTheZombieSkin)
{
    Character* zombie = place(Zombie, 250.0f, 0.0f, 240.0f, Active);
    delete zombie->model;
    zombie->model = nullptr;
    zombie->draw();   // makes the missing model
    ASSERT_NE(zombie->model, nullptr);
    EXPECT_EQ(zombie->model->parts, &SkeletonCache::get("Data/Bones/FemaleBones.mub")->parts);
    EXPECT_EQ(zombie->model->animation, AnimationLibrary::instance().get(FemaleWalk));
    EXPECT_EQ(boundTexture(), GLint(TextureTable[int(TextureSlot::ZombieMale)]));
}

TEST_F(CharacterDrawingTest, WrappedCharacterAtViewPositionFireSpriteUnwrapped)
{
    CameraEye = {498.0f, 250.0f};
    Character* orb = place(PowerOrb, 2.0f, 1.0f, 250.0f);
    orb->viewX = 501.0f;
    auto* fire = new Character;
    fire->kind = Fire;
    fire->x = 2.0f;
    fire->y = 1.0f;
    fire->z = 250.0f;
    fire->scaleX = fire->scaleY = fire->scaleZ = 2.0f;
    fire->flags = Active;
    Characters.add(fire);

    const auto solid = capture([] { Characters.drawAll(); });
    ASSERT_EQ(markers(solid), std::vector<float>{float(SphereList)});
    expectAt(solid.back().vertices.at(0), 501.0f, 1.0f, 250.0f);

    const auto blended = capture([] { Characters.drawBlended(); });
    const auto sprites = polygons(blended);
    ASSERT_FALSE(sprites.empty());
    expectAt(sprites.front().centroid(), 2.0f, 1.0f, 250.0f);
}

TEST_F(CharacterDrawingTest, SeeThroughThingsAreDrawnFarthestFirst)
{
    auto addFire = [](float x, float z) {
        auto* fire = new Character;
        fire->kind = Fire;
        fire->x = x;
        fire->y = 2.0f;
        fire->z = z;
        fire->flags = Active;
        Characters.add(fire);
        return fire;
    };
    addFire(260.0f, 250.0f);   // 10 away
    addFire(250.0f, 270.0f);   // 20 away
    Character* birds = place(BirdFlock, 250.0f, 30.0f, 235.0f);   // 15 away
    birds->scaleX = birds->scaleY = birds->scaleZ = 1.0f;
    place(BirdFlock, 250.0f, 30.0f, 200.0f, 0);   // inactive: not drawn

    auto drawn = polygons(capture([] { Characters.drawBlended(); }));
    ASSERT_EQ(drawn.size(), 3u);
    expectAt(drawn[0].centroid(), 250.0f, 2.0f, 270.0f);
    expectAt(drawn[1].centroid(), 250.0f, 29.0f, 235.0f);
    expectAt(drawn[2].centroid(), 260.0f, 2.0f, 250.0f);
    EXPECT_FLOAT_EQ(Characters.second[0]->cameraDistanceSq, 100.0f);
    EXPECT_FLOAT_EQ(Characters.second[1]->cameraDistanceSq, 400.0f);

    // The order is by distance, not by the order of the lists.
    std::swap(Characters.second[0], Characters.second[1]);
    drawn = polygons(capture([] { Characters.drawBlended(); }));
    ASSERT_EQ(drawn.size(), 3u);
    expectAt(drawn[0].centroid(), 250.0f, 2.0f, 270.0f);
    expectAt(drawn[2].centroid(), 260.0f, 2.0f, 250.0f);
}

TEST_F(CharacterDrawingTest, BurningTreesNearTheCameraUseTheFineLists)
{
    Character* tree = place(BurningTree, 252.0f, 0.0f, 250.0f, Active | Burning);
    // Distinct distances, so the far-to-near order is known: tree first.
    Character* shrub = place(BurningShrub, 250.0f, 0.0f, 248.5f, Active | Burning);
    auto drawBoth = [] {
        Characters.drawBlended();   // refreshes cameraDistanceSq
        Characters.drawAll();
    };
    EXPECT_EQ(markers(capture(drawBoth)),
              (std::vector<float>{float(TreeCrownList), float(ShrubCrownList), float(TreeTrunkList),
                                  float(ShrubTrunkList)}));

    tree->x = tree->viewX = 253.0f;
    shrub->z = shrub->viewZ = 247.5f;
    EXPECT_EQ(markers(capture(drawBoth)),
              (std::vector<float>{float(TreeCrownCoarseList), float(ShrubCrownCoarseList),
                                  float(TreeTrunkCoarseList), float(ShrubTrunkCoarseList)}));
}

TEST_F(CharacterDrawingTest, DragonFlapsItsWingsWithPhase)
{
    Character* dragon = place(Dragon, 250.0f, 5.0f, 240.0f);
    dragon->phase = 0.0f;
    const auto still = capture([&] { dragon->draw(); });
    ASSERT_EQ(markers(still).size(), 2u);   // body and head
    std::vector<Vec3> points;
    for (const FeedbackItem& item : still)
        if (item.token == GL_POINT_TOKEN)
            points.push_back(item.vertices.at(0));
    ASSERT_EQ(points.size(), 2u);
    expectAt(points[0], 250.0f, 5.0f, 240.0f);

    dragon->phase = 1.57075f;
    const auto beat = capture([&] { dragon->draw(); });
    std::vector<Vec3> moved;
    for (const FeedbackItem& item : beat)
        if (item.token == GL_POINT_TOKEN)
            moved.push_back(item.vertices.at(0));
    ASSERT_EQ(moved.size(), 2u);
    expectAt(moved[0], 250.0f, 5.0f, 240.0f);
    const float headShift =
        std::hypot(moved[1].x - points[1].x, moved[1].y - points[1].y, moved[1].z - points[1].z);
    EXPECT_GT(headShift, 0.1f);
}

TEST_F(CharacterDrawingTest, EveryKindLeavesTheMatrixAndStackAsFound)
{
    const std::initializer_list<uint32_t> kinds = {Orc, DormantZombie, Zombie, Fire, Dragon,
                                                   BirdFlock, Villager, Goblin, BurningTree,
                                                   BurningShrub, PowerOrb, KeyPickup, ZombieKing,
                                                   4u, 12u, 20u};
    for (uint32_t kind : kinds) {
        Characters.clear();
        Character* c = place(kind, 255.0f, 1.0f, 250.0f, Active | Male);
        c->heading = 1.0f;
        c->tilt = 0.3f;
        if (kind == DormantZombie)
            c->model = new AnimatedModel;
        GLint depthBefore = 0, depthAfter = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
        Characters.drawAll();
        Characters.drawBlended();
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
        EXPECT_EQ(depthAfter, depthBefore) << kind;
        std::array<GLfloat, 16> after{};
        glGetFloatv(GL_MODELVIEW_MATRIX, after.data());
        EXPECT_EQ(after, view) << kind;
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << kind;
    }
}

}  // namespace
