#include "assets/animation.h"

#include "assets/asset_tables.h"

void Skeleton::read(std::istream&) {}
Skeleton* SkeletonCache::get(const char*) { return nullptr; }
void Animation::read(std::istream&) {}

AnimationLibrary& AnimationLibrary::instance()
{
    static AnimationLibrary* library = new AnimationLibrary;
    return *library;
}

Animation* AnimationLibrary::load(const char*) { return nullptr; }
Animation* AnimationLibrary::get(AnimationSlot slot) const { return table[slot]; }

void AnimatedModel::attachSkeleton(const char*) {}
void AnimatedModel::play(Animation*, int, float) {}
void AnimatedModel::advance(float) {}
void AnimatedModel::advanceBlend(float) {}
void AnimatedModel::computePose() {}
void AnimatedModel::draw() const {}
