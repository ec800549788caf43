#include "platform/web/web_gl_batch.h"

#include "platform/web/web_gl_device.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Storage that only grows, so a frame after the first allocates nothing
// and fills nothing it does not write.
template <typename T>
struct GrowingArray {
    std::vector<T> storage;
    size_t used = 0;

    T* append(size_t count)
    {
        if (used + count > storage.size())
            storage.resize(std::max(used + count, 2 * storage.size()));
        T* at = storage.data() + used;
        used += count;
        return at;
    }
    T* data() { return storage.data(); }
    void shrinkTo(size_t count) { used = count; }
    void clear() { used = 0; }
};

// The frame's gathered vertices and indices, and the runs of equal state
// over the indices.
GrowingArray<EyeVertex> Vertices;
GrowingArray<uint32_t> Indices;
std::vector<DrawRun> Runs;

// One submission's vertices in eye and clip space, which of the clip
// volume's sides each lies beyond, and where each lands among the gathered
// vertices (-1: in no primitive that is drawn).
struct ClipVertex {
    float eye[4];
    float clip[4];
    unsigned outside;
};
GrowingArray<ClipVertex> Positions;
GrowingArray<int32_t> Placed;

// GL's vertex stage for the game's light, reduced to what stays the same
// for every vertex of one submission. The light is directional and its
// specular term is multiplied by the material's, which stays black (the
// game never sets one), so only ambient and diffuse are computed. Normals
// are not normalised, as GL leaves them without GL_NORMALIZE: the light's
// direction is carried back through the modelview instead (the dot product
// of the inverse transpose times the normal with the light equals that of
// the normal with the inverse times the light), so a scaled tree is lit as
// a desktop driver lights it.
struct VertexStage {
    GlMatrix modelview;
    bool lit = false;
    bool colourMaterial = false;
    float light[3] = {};
    // With colour material the vertex colour multiplies ambient + facing *
    // diffuse; without, the material's colours are folded in.
    float ambient[3] = {};
    float diffuse[3] = {};
    float alpha = 1.0f;
};

// The inverse of the modelview's upper 3 x 3 applied to v: the adjugate
// over the determinant (none where it is singular, as the normal matrix
// then holds none).
void applyInverse(const GlMatrix& mv, const float v[3], float out[3])
{
    const float* m = mv.m;
    const float a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6], i = m[10];
    const float det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    const float s = det != 0.0f ? 1.0f / det : 0.0f;
    out[0] = ((e * i - f * h) * v[0] + (c * h - b * i) * v[1] + (b * f - c * e) * v[2]) * s;
    out[1] = ((f * g - d * i) * v[0] + (a * i - c * g) * v[1] + (c * d - a * f) * v[2]) * s;
    out[2] = ((d * h - e * g) * v[0] + (b * g - a * h) * v[1] + (a * e - b * d) * v[2]) * s;
}

void prepareStage(VertexStage& stage)
{
    const FixedGlState& gl = FixedGl;
    stage.modelview = gl.topModelview();
    stage.lit = gl.lighting;
    if (!stage.lit)
        return;
    stage.colourMaterial = gl.colourMaterial;
    if (gl.light0)
        applyInverse(stage.modelview, gl.lightDirection, stage.light);
    else
        stage.light[0] = stage.light[1] = stage.light[2] = 0.0f;
    for (int c = 0; c < 3; ++c) {
        const float ambientLight = gl.sceneAmbient[c] + (gl.light0 ? gl.lightAmbient[c] : 0.0f);
        const float diffuseLight = gl.light0 ? gl.lightDiffuse[c] : 0.0f;
        if (stage.colourMaterial) {
            stage.ambient[c] = ambientLight;
            stage.diffuse[c] = diffuseLight;
        } else {
            stage.ambient[c] = ambientLight * gl.materialAmbient[c];
            stage.diffuse[c] = diffuseLight * gl.materialDiffuse[c];
        }
    }
    stage.alpha = gl.materialDiffuse[3];
}

float clamped(float value) { return std::min(std::max(value, 0.0f), 1.0f); }

void shade(const VertexStage& stage, const float* colour, const float* normal, float* out)
{
    if (!stage.lit) {
        for (int c = 0; c < 4; ++c)
            out[c] = clamped(colour[c]);
        return;
    }
    const float facing =
        std::max(normal[0] * stage.light[0] + normal[1] * stage.light[1] + normal[2] * stage.light[2], 0.0f);
    if (stage.colourMaterial) {
        for (int c = 0; c < 3; ++c)
            out[c] = clamped(colour[c] * (stage.ambient[c] + facing * stage.diffuse[c]));
        out[3] = clamped(colour[3]);
        return;
    }
    for (int c = 0; c < 3; ++c)
        out[c] = clamped(stage.ambient[c] + facing * stage.diffuse[c]);
    out[3] = clamped(stage.alpha);
}

void transform(const GlMatrix& matrix, const float* p, float* out)
{
    const float* m = matrix.m;
    for (int row = 0; row < 4; ++row)
        out[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row] * p[3];
}

// One bit for each side of the clip volume the position lies beyond.
unsigned outsideBits(const float* clip)
{
    const float w = clip[3];
    return unsigned(clip[0] < -w) | unsigned(clip[0] > w) << 1 | unsigned(clip[1] < -w) << 2 |
           unsigned(clip[1] > w) << 3 | unsigned(clip[2] < -w) << 4 | unsigned(clip[2] > w) << 5;
}

void placePositions(const GlMatrix& modelview, const GlMatrix& projection, const GlVertex* in, int count,
                    ClipVertex* out)
{
    for (int i = 0; i < count; ++i) {
        ClipVertex& v = out[i];
        transform(modelview, in[i].position, v.eye);
        transform(projection, v.eye, v.clip);
        v.outside = outsideBits(v.clip);
    }
}

// Whether GL would draw nothing of the triangle: it lies wholly beyond one
// side of the clip volume, or culling is on and it faces away (clockwise
// in the window, which the sign of the determinant of its clip x, y and w
// gives while all three lie in front of the eye).
bool triangleUnseen(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c, bool culling)
{
    if (a.outside & b.outside & c.outside)
        return true;
    if (!culling || a.clip[3] <= 0.0f || b.clip[3] <= 0.0f || c.clip[3] <= 0.0f)
        return false;
    const float* p = a.clip;
    const float* q = b.clip;
    const float* r = c.clip;
    const float facing = p[0] * (q[1] * r[3] - r[1] * q[3]) - p[1] * (q[0] * r[3] - r[0] * q[3]) +
                         p[3] * (q[0] * r[1] - r[0] * q[1]);
    return facing <= 0.0f;
}

// The indices of the primitives that may show, counted from the gathered
// vertices' end; marks the vertices they use in Placed.
int keepSeenPrimitives(const uint32_t* indices, int indexCount, unsigned primitive, bool culling,
                       const ClipVertex* positions, int32_t* placed, uint32_t* out)
{
    int kept = 0;
    if (primitive != GL_TRIANGLES) {
        for (int i = 0; i < indexCount; ++i) {
            out[kept++] = indices[i];
            placed[indices[i]] = 0;
        }
        return kept;
    }
    for (int i = 0; i + 2 < indexCount; i += 3) {
        const uint32_t a = indices[i], b = indices[i + 1], c = indices[i + 2];
        if (triangleUnseen(positions[a], positions[b], positions[c], culling))
            continue;
        out[kept++] = a;
        out[kept++] = b;
        out[kept++] = c;
        placed[a] = placed[b] = placed[c] = 0;
    }
    return kept;
}

// GL's vertex stage for the vertices the kept primitives use, gathered in
// their order; each one's place is noted in placed.
void gatherUsedVertices(const VertexStage& stage, const GlVertex* in, int count, unsigned inherit,
                        const ClipVertex* positions, int32_t* placed)
{
    const bool ownColour = !(inherit & InheritColour);
    const bool ownNormal = !(inherit & InheritNormal);
    const bool ownTexCoord = !(inherit & InheritTexCoord);
    for (int i = 0; i < count; ++i) {
        if (placed[i] < 0)
            continue;
        placed[i] = int32_t(Vertices.used);
        const GlVertex& v = in[i];
        EyeVertex& e = *Vertices.append(1);
        std::memcpy(e.position, positions[i].eye, sizeof e.position);
        shade(stage, ownColour ? v.colour : FixedGl.colour, ownNormal ? v.normal : FixedGl.normal, e.colour);
        const float* texCoord = ownTexCoord ? v.texCoord : FixedGl.texCoord;
        e.texCoord[0] = texCoord[0];
        e.texCoord[1] = texCoord[1];
    }
}

void currentDrawState(unsigned primitive, DrawState& state)
{
    const FixedGlState& gl = FixedGl;
    state.projection = gl.topProjection();
    state.primitive = primitive;
    state.texture = gl.textured() ? gl.boundTexture : 0;
    state.blend = gl.blend;
    state.cullFace = gl.cullFace;
    state.depthTest = gl.depthTest;
    state.fog = gl.fog;
    state.fogMode = gl.fogMode;
    state.fogStart = gl.fogStart;
    state.fogEnd = gl.fogEnd;
    state.fogDensity = gl.fogDensity;
    std::memcpy(state.fogColour, gl.fogColour, sizeof state.fogColour);
}

// The run that indices from firstIndex join: the last one while the state
// is the same.
DrawRun& runFor(unsigned primitive, size_t firstIndex)
{
    DrawRun next;
    currentDrawState(primitive, next.state);
    if (Runs.empty() || !Runs.back().state.sameAs(next.state)) {
        next.firstIndex = int(firstIndex);
        Runs.push_back(next);
    }
    return Runs.back();
}

} // namespace

// Triangles that GL would not draw (wholly outside the view, or facing away
// while culling is on) are left out here, and so are the vertices only
// they use: a software rasteriser pays for every vertex and triangle it is
// given, and most of the game's face away or lie outside the view.
void batchVertices(const GlVertex* vertices, int count, const uint32_t* indices, int indexCount,
                   unsigned primitive, unsigned inherit)
{
    if (count <= 0 || indexCount <= 0)
        return;
    Positions.clear();
    ClipVertex* positions = Positions.append(size_t(count));
    placePositions(FixedGl.topModelview(), FixedGl.topProjection(), vertices, count, positions);

    Placed.clear();
    int32_t* placed = Placed.append(size_t(count));
    std::fill(placed, placed + count, -1);
    const size_t firstIndex = Indices.used;
    uint32_t* out = Indices.append(size_t(indexCount));
    const int kept = keepSeenPrimitives(indices, indexCount, primitive, FixedGl.cullFace, positions, placed, out);
    Indices.shrinkTo(firstIndex + size_t(kept));
    if (kept == 0)
        return;

    VertexStage stage;
    prepareStage(stage);
    gatherUsedVertices(stage, vertices, count, inherit, positions, placed);
    for (int i = 0; i < kept; ++i)
        out[i] = uint32_t(placed[out[i]]);
    runFor(primitive, firstIndex).indexCount += kept;
}

void flushBatches()
{
    if (Runs.empty())
        return;
    deviceDrawRuns(Vertices.data(), int(Vertices.used), Indices.data(), int(Indices.used), Runs.data(),
                   int(Runs.size()));
    resetBatches();
}

void resetBatches()
{
    Vertices.clear();
    Indices.clear();
    Runs.clear();
}
