// AnimatedModel playback: advancing frames, finishing, cross-fades, replays
// of the current animation, poses from content that breaks the frame and
// matrix rules, and drawing the parts under their matrices.
#include "assets/animation.h"
#include "asset_files.h"
#include "support/gl_context.h"

#include <cmath>

using namespace assetfiles;

namespace {

// One frame per value; every matrix of frame f is filled with values[f].
Animation uniformAnimation(std::vector<float> values, size_t matrices = 2)
{
    Animation animation;
    for (float value : values)
        animation.frames.push_back({0.0, std::vector<Matrix4>(matrices, filled(value))});
    return animation;
}

class Playback : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        writeFile(dir.file("Two.mub"),
                  bonesFile({meshBytes("left", triangle()), meshBytes("right", triangle())}));
        model.attachSkeleton(dir.file("Two.mub").c_str());
    }

    void advanceAll(std::initializer_list<float> steps)
    {
        for (float dt : steps)
            model.advance(dt);
    }

    ScratchDir dir;
    AnimatedModel model;
};

}

TEST_F(Playback, AttachSizesThePosesForEveryPartAndNeverShrinks)
{
    ASSERT_NE(model.parts, nullptr);
    EXPECT_EQ(model.parts->size(), 2u);
    EXPECT_EQ(model.pose.size(), 2u);
    EXPECT_EQ(model.drawPose.size(), 2u);
    EXPECT_EQ(model.drawPose[1], Matrix4{});
    writeFile(dir.file("One.mub"), bonesFile({meshBytes("only", triangle())}));
    model.attachSkeleton(dir.file("One.mub").c_str());
    EXPECT_EQ(model.parts->size(), 1u);
    EXPECT_EQ(model.pose.size(), 2u);
    AnimatedModel other;
    other.attachSkeleton(dir.file("Two.mub").c_str());
    EXPECT_EQ(other.parts, &SkeletonCache::get(dir.file("Two.mub").c_str())->parts);
}

TEST_F(Playback, TwoFrameLoopAlternatesAndOncePlaybackFinishesOnTheLastFrame)
{
    Animation twoFrames = uniformAnimation({1, 5});
    model.play(&twoFrames, PlayLoop, 1.0f);
    EXPECT_EQ(model.fadeFrom, nullptr);   // the first animation has nothing to fade from
    int expected[] = {0, 1, 0, 1, 0};
    for (int frame : expected) {
        model.advance(1.0f);
        EXPECT_EQ(model.currentFrame, frame);
        EXPECT_EQ(model.nextFrame, 1 - frame);
        EXPECT_EQ(model.fraction, 1.0f);
    }

    AnimatedModel once;
    once.attachSkeleton(dir.file("Two.mub").c_str());
    once.play(&twoFrames, PlayOnce, 1.0f);
    once.advance(0.75f);
    once.computePose();
    EXPECT_FLOAT_EQ(once.pose[0][0], 4.0f);   // three quarters of the way from 1 to 5
    for (int i = 0; i < 3; ++i)
        once.advance(0.75f);
    EXPECT_TRUE(once.flags & PlayFinished);
    EXPECT_EQ(once.currentFrame, 1);
    EXPECT_EQ(once.nextFrame, 1);
    EXPECT_EQ(once.fraction, 1.0f);
    once.advance(10.0f);
    EXPECT_EQ(once.currentFrame, 1);
    EXPECT_EQ(once.fraction, 1.0f);
    once.computePose();
    EXPECT_EQ(once.pose[0], filled(5));
    EXPECT_EQ(once.drawPose[1], filled(5));
}

TEST_F(Playback, LargeStepsPassSeveralFramesAndTheSignOfSpeedIsIgnored)
{
    Animation five = uniformAnimation({0, 1, 2, 3, 4});
    model.play(&five, PlayLoop, 10.0f);
    model.advance(0.25f);
    EXPECT_EQ(model.currentFrame, 2);
    EXPECT_EQ(model.fraction, 0.5f);
    EXPECT_EQ(model.nextFrame, 3);
    EXPECT_EQ(model.step, 2.5f);

    AnimatedModel backwards;
    backwards.play(&five, PlayLoop, -10.0f);
    backwards.advance(0.25f);
    EXPECT_EQ(backwards.currentFrame, 2);
    EXPECT_EQ(backwards.nextFrame, 3);
    backwards.advance(-0.25f);   // 0.5 + 2.5: two more frames, fraction 1
    EXPECT_EQ(backwards.currentFrame, 4);
    EXPECT_EQ(backwards.fraction, 1.0f);
    EXPECT_EQ(backwards.nextFrame, 0);   // wraps when looping

    // A step of zero points nextFrame one frame back: wrapped when looping,
    // held at 0 otherwise.
    AnimatedModel still;
    still.play(&five, PlayLoop, 1.0f);
    still.advance(0.0f);
    EXPECT_EQ(still.nextFrame, 4);
    AnimatedModel stillOnce;
    stillOnce.play(&five, PlayOnce, 1.0f);
    stillOnce.advance(0.0f);
    EXPECT_EQ(stillOnce.nextFrame, 0);

    // A step too large for fraction - 1 to change fraction still ends.
    model.advance(1e30f);
    EXPECT_GE(model.fraction, 0.0f);
    EXPECT_LE(model.fraction, 1.0f);
    EXPECT_GE(model.currentFrame, 0);
    EXPECT_LT(model.currentFrame, 5);
}

TEST_F(Playback, SwitchCrossFadesFromTheOldPose)
{
    Animation walk = uniformAnimation({2, 2});
    Animation idle = uniformAnimation({10, 10});
    model.play(&walk, PlayLoop, 1.0f);
    model.advance(0.5f);
    model.computePose();
    const Matrix4 old = model.pose[0];
    EXPECT_EQ(old, filled(2));

    model.play(&idle, PlayLoop, 1.0f);
    EXPECT_EQ(model.fadeFrom, &walk);
    EXPECT_EQ(model.currentFrame, 0);
    EXPECT_EQ(model.nextFrame, 1);
    model.computePose();
    EXPECT_EQ(model.pose[0], old);
    EXPECT_EQ(model.drawPose[1], old);

    model.advance(0.5f);
    model.computePose();
    EXPECT_FLOAT_EQ(model.fadeWeight, 0.25f);
    EXPECT_FLOAT_EQ(model.pose[0][0], 4.0f);   // a quarter of the way from 2 to 10

    // blendRate 0.5: abs(dt) must sum to just over 2 before the fade ends.
    advanceAll({-0.5f, 0.5f, -0.5f});
    EXPECT_EQ(model.fadeFrom, &walk);
    EXPECT_EQ(model.fadeWeight, 1.0f);
    model.advance(0.01f);
    EXPECT_EQ(model.fadeFrom, nullptr);
    model.computePose();
    EXPECT_EQ(model.pose[0], filled(10));
}

TEST_F(Playback, AStepThatIsNoNumberLeavesTheCrossFadeWhereItWas)
{
    Animation walk = uniformAnimation({2, 2});
    Animation idle = uniformAnimation({10, 10});
    model.play(&walk, PlayLoop, 1.0f);
    model.advance(0.5f);
    model.computePose();
    model.play(&idle, PlayLoop, 1.0f);
    model.advance(0.5f);
    model.advance(NAN);
    model.advance(INFINITY);
    EXPECT_FLOAT_EQ(model.fadeWeight, 0.25f);
    model.computePose();
    EXPECT_FLOAT_EQ(model.pose[0][0], 4.0f);
    advanceAll({0.5f, 0.5f, 0.5f, 0.01f});
    EXPECT_EQ(model.fadeFrom, nullptr) << "the fade never ends";
}

TEST_F(Playback, PlayingTheCurrentAnimationAgainNeverRestartsIt)
{
    Animation four = uniformAnimation({0, 1, 2, 3});
    model.play(&four, PlayOnce, 1.0f);
    model.advance(1.5f);
    model.play(&four, PlayLoop | PlayFinished, 3.0f);
    EXPECT_EQ(model.speed, 3.0f);
    EXPECT_EQ(model.flags, PlayOnce | PlayLoop);
    EXPECT_EQ(model.currentFrame, 1);
    EXPECT_EQ(model.fraction, 0.5f);
    EXPECT_EQ(model.fadeFrom, nullptr);

    // Finished stays finished when the same animation is played again; the
    // finishing tick leaves the cross-fade alone, later ticks still run it.
    Animation two = uniformAnimation({0, 1});
    model.play(&two, PlayOnce, 1.0f);
    model.advance(5.0f);
    ASSERT_TRUE(model.flags & PlayFinished);
    EXPECT_EQ(model.fadeWeight, 0.0f);
    model.play(&two, PlayLoop, 1.0f);
    EXPECT_TRUE(model.flags & PlayFinished);
    model.advance(1.0f);
    EXPECT_EQ(model.currentFrame, 1);
    EXPECT_EQ(model.fraction, 1.0f);
    EXPECT_EQ(model.fadeFrom, &four);
    EXPECT_FLOAT_EQ(model.fadeWeight, 0.5f);
}

TEST_F(Playback, ShortContentNeverReadsPastItsFramesOrMatrices)
{
    Animation steady = uniformAnimation({3, 3});
    model.play(&steady, PlayLoop, 1.0f);
    model.computePose();
    ASSERT_EQ(model.pose[1], filled(3));

    // No frames at all: the pose stays as it was, whatever is advanced.
    Animation empty;
    model.play(&empty, PlayLoop, 1.0f);
    advanceAll({0.5f, 3.0f, 0.5f});
    model.computePose();
    EXPECT_EQ(model.pose[0], filled(3));
    EXPECT_EQ(model.drawPose[1], filled(3));

    // One frame: shown as it is, looping or not; the switch asked for frame 1.
    Animation single = uniformAnimation({7});
    model.play(&single, PlayLoop, 1.0f);
    model.advance(2.5f);   // past the cross-fade
    for (int i = 0; i < 3; ++i) {
        model.advance(0.7f);
        model.computePose();
        EXPECT_EQ(model.pose[0], filled(7));
    }
    AnimatedModel once;
    once.attachSkeleton(dir.file("Two.mub").c_str());
    once.play(&single, PlayOnce, 1.0f);
    once.computePose();
    EXPECT_EQ(once.pose[1], filled(7));
    once.advance(2.0f);
    EXPECT_TRUE(once.flags & PlayFinished);
    EXPECT_EQ(once.currentFrame, 0);

    // Frames with one matrix for two parts: part 1 keeps its last pose, also
    // when only the frame being moved towards lacks it.
    Animation narrow = uniformAnimation({9, 9}, 1);
    model.play(&narrow, PlayLoop, 1.0f);
    model.advance(2.5f);
    model.computePose();
    EXPECT_EQ(model.pose[0], filled(9));
    EXPECT_EQ(model.pose[1], filled(7));
    Animation uneven = uniformAnimation({4, 4});
    uneven.frames[1].matrices.resize(1);
    model.play(&uneven, PlayLoop, 1.0f);
    model.advance(2.5f);
    ASSERT_EQ(model.nextFrame, 1);
    model.computePose();
    EXPECT_EQ(model.pose[0], filled(4));
    EXPECT_EQ(model.pose[1], filled(7));
    EXPECT_EQ(model.drawPose[1], filled(7));
    model.draw();
    glDisable(GL_TEXTURE_2D);

    // Without an animation nothing is computed.
    AnimatedModel idle;
    idle.attachSkeleton(dir.file("Two.mub").c_str());
    idle.advance(1.0f);
    idle.computePose();
    EXPECT_EQ(idle.pose[0], Matrix4{});
}

TEST_F(Playback, DrawPlacesEveryPartUnderItsMatrix)
{
    Animation spread;
    spread.frames.push_back({0.0, {translation(-0.5f, 0, 0), translation(0.5f, 0, 0)}});
    spread.frames.push_back({1.0, {translation(-0.5f, 0, 0), translation(0.5f, 0.5f, 0)}});
    model.play(&spread, PlayLoop, 1.0f);
    model.computePose();

    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBindTexture(GL_TEXTURE_2D, 0);
    glColor3f(0, 1, 0);
    glScalef(0.5f, 0.5f, 1.0f);
    model.draw();
    glDisable(GL_TEXTURE_2D);
    glLoadIdentity();
    // Part 0 at x = -0.25, part 1 at x = +0.25 in clip space; nothing between.
    EXPECT_EQ(readPixel(300, 300), (std::array<uint8_t, 4>{0, 255, 0, 255}));
    EXPECT_EQ(readPixel(500, 300), (std::array<uint8_t, 4>{0, 255, 0, 255}));
    EXPECT_EQ(readPixel(400, 380), (std::array<uint8_t, 4>{0, 0, 0, 255}));
    GLfloat modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    EXPECT_EQ(modelview[12], 0.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // Half way to frame 1, part 1 has risen half of frame 1's 0.5.
    model.advance(0.5f);
    model.computePose();
    EXPECT_FLOAT_EQ(model.drawPose[1][13], 0.25f);
}
