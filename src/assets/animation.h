// Skeletons (rigid body parts, one mesh each), keyframed animations of one
// matrix per part per frame, their caches, and AnimatedModel, the per-
// character player that advances, cross-fades, poses and draws a skeleton.
// The caches own every skeleton and animation for the life of the process;
// an AnimatedModel only refers to them.
#pragma once

#include "assets/mub_model.h"

#include <array>
#include <istream>
#include <memory>
#include <string>
#include <vector>

using Matrix4 = std::array<float, 16>;   // glMultMatrixf order

struct Skeleton {
    std::vector<std::unique_ptr<MubModel>> parts;
    std::string fileName;

    // Reads a bones file's part count and parts, touching no GL; parts the
    // stream does not hold are not made (Truncated), and when the memory
    // runs out no part is kept (OutOfMemory).
    ContentFailure read(std::istream& in);
    void compileParts();
};

namespace SkeletonCache {
Skeleton* get(const char* fileName);
}

struct AnimationFrame {
    double time = 0.0;
    std::vector<Matrix4> matrices;
};

struct Animation {
    std::vector<AnimationFrame> frames;
    std::string fileName;

    // Reads an animation file's frames; a short stream keeps the frames
    // whose time was read and the matrices read whole (Truncated). When the
    // memory runs out no frame is kept (OutOfMemory).
    ContentFailure read(std::istream& in);
};

enum AnimationSlot : int;

struct AnimationLibrary {
    std::vector<std::unique_ptr<Animation>> loaded;
    Animation* table[28] = {};

    static AnimationLibrary& instance();
    // Finds the animation by its path, byte for byte, or reads it; a file
    // that cannot be opened shows its notice once and stays as an animation
    // with no frames. Every file that fails is named on standard error.
    Animation* load(const char* fileName);
    void loadTable();
    Animation* get(AnimationSlot slot) const;
};

enum PlayFlags : int {
    PlayLoop = 0x1,
    PlayOnce = 0x2,
    PlayFinished = 0x4,
};

struct AnimatedModel {
    std::vector<Matrix4> pose;
    std::vector<Matrix4> drawPose;
    const std::vector<std::unique_ptr<MubModel>>* parts = nullptr;
    Animation* animation = nullptr;
    int currentFrame = 0;
    int nextFrame = 0;
    float fraction = 0.0f;
    float step = 0.0f;
    Animation* fadeFrom = nullptr;
    std::vector<Matrix4> fadePose;
    float fadeWeight = 0.0f;
    float blendRate = 0.5f;
    float speed = 0.0f;
    int flags = 0;

    void attachSkeleton(const char* bonesFile);
    void play(Animation* next, int playFlags, float playSpeed);
    void advance(float dt);
    void advanceBlend(float dt);
    // A part whose frames lack its matrix keeps its last pose, and an
    // animation with no frames leaves the whole pose as it was.
    void computePose();
    void draw() const;
};
