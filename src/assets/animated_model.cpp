#include "assets/animation.h"

#include <algorithm>
#include <cmath>

namespace {

Matrix4 lerp(const Matrix4& from, const Matrix4& to, float t)
{
    Matrix4 result;
    for (size_t e = 0; e < result.size(); ++e)
        result[e] = from[e] + (to[e] - from[e]) * t;
    return result;
}

int frameCount(const Animation* animation) { return int(animation->frames.size()); }

// Keeps a frame index inside an animation whose content breaks the
// two-frame rule, so a short animation is posed from frames it has.
int clampFrame(int frame, int count) { return std::clamp(frame, 0, count - 1); }

}

void AnimatedModel::attachSkeleton(const char* bonesFile)
{
    parts = &SkeletonCache::get(bonesFile)->parts;
    while (drawPose.size() < parts->size()) {
        drawPose.push_back({});
        pose.push_back({});
    }
}

void AnimatedModel::play(Animation* next, int playFlags, float playSpeed)
{
    speed = playSpeed;
    if (next == animation) {
        flags |= playFlags & ~PlayFinished;
        return;
    }
    if (fadePose.size() < pose.size())
        fadePose.resize(pose.size());
    std::copy(pose.begin(), pose.end(), fadePose.begin());
    fadeFrom = animation;
    fadeWeight = 0.0f;
    animation = next;
    flags = playFlags;
    fraction = 0.0f;
    currentFrame = 0;
    nextFrame = 1;
}

void AnimatedModel::advance(float dt)
{
    if (!animation || (flags & PlayFinished) || frameCount(animation) == 0) {
        advanceBlend(dt);
        return;
    }
    const int count = frameCount(animation);
    step = std::fabs(dt * speed);
    if (!std::isfinite(step))
        step = 0.0f;
    fraction += step;
    // Whole loops change nothing; dropping them keeps a huge step from
    // spinning here for ever once fraction - 1 rounds back to fraction.
    if ((flags & PlayLoop) && fraction > float(count) + 1.0f)
        fraction = 1.0f + std::fmod(fraction - 1.0f, float(count));
    while (fraction > 1.0f) {
        ++currentFrame;
        if (currentFrame >= count) {
            if (flags & PlayLoop) {
                currentFrame = 0;
            } else {
                currentFrame = count - 1;
                flags |= PlayFinished;
            }
        }
        if (flags & PlayFinished) {
            nextFrame = currentFrame;
            fraction = 1.0f;
            return;
        }
        fraction -= 1.0f;
    }
    if (step > 0.0f)
        nextFrame = currentFrame + 1;
    else
        nextFrame = currentFrame - 1;
    if (nextFrame >= count)
        nextFrame = (flags & PlayLoop) ? 0 : count - 1;
    if (nextFrame < 0)
        nextFrame = (flags & PlayLoop) ? count - 1 : 0;
    advanceBlend(dt);
}

void AnimatedModel::advanceBlend(float dt)
{
    if (!fadeFrom)
        return;
    // As in advance, a step that is no finite number counts as none: a weight
    // that is not a number would never end the fade.
    const float step = std::fabs(dt) * blendRate;
    if (std::isfinite(step))
        fadeWeight += step;
    if (fadeWeight > 1.0f)
        fadeFrom = nullptr;
}

void AnimatedModel::computePose()
{
    if (!animation || !parts || animation->frames.empty())
        return;
    const int count = frameCount(animation);
    const auto& from = animation->frames[size_t(clampFrame(currentFrame, count))].matrices;
    const auto& to = animation->frames[size_t(clampFrame(nextFrame, count))].matrices;
    const size_t partCount = std::min(parts->size(), pose.size());
    for (size_t i = 0; i < partCount; ++i) {
        if (i >= from.size() || i >= to.size())
            continue;
        Matrix4 m = lerp(from[i], to[i], fraction);
        if (fadeFrom && i < fadePose.size())
            m = lerp(fadePose[i], m, fadeWeight);
        drawPose[i] = m;
        pose[i] = m;
    }
}

void AnimatedModel::draw() const
{
    glEnable(GL_TEXTURE_2D);
    if (!parts)
        return;
    const size_t partCount = std::min(parts->size(), drawPose.size());
    for (size_t i = 0; i < partCount; ++i) {
        glPushMatrix();
        glMultMatrixf(drawPose[i].data());
        (*parts)[i]->draw();
        glPopMatrix();
    }
}
