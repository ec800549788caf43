// Runs drawing in GL feedback mode and decodes what comes back: the polygons
// (with window position, colour and texture coordinate of each vertex) and
// the pass-through markers, in the order GL produced them.
#pragma once

#include <GL/gl.h>

#include <functional>
#include <vector>

struct FeedbackVertex {
    float x, y, z;          // window coordinates
    float r, g, b, a;
    float s, t, p, q;
};

struct FeedbackResult {
    std::vector<std::vector<FeedbackVertex>> polygons;
    std::vector<float> passThrough;
    bool overflowed = false;
    int vertexCount() const;
};

// Draws with the current matrices in GL_3D_COLOR_TEXTURE feedback mode.
FeedbackResult captureFeedback(const std::function<void()>& draw, int bufferFloats = 1 << 20);

// An orthographic view where one world unit is mapped linearly: world
// x in -range..range to window x 0..800, y likewise to 0..600, and depth
// from world z. toWorld undoes the mapping for a window position.
void setWorldOrtho(float range);
struct WorldPoint {
    float x, y, z;
};
WorldPoint toWorld(const FeedbackVertex& v, float range);
