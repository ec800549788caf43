#include "platform/web_gl_batch.h"

#include "platform/web_gl_device.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The frame's gathered vertices and indices, and the runs of equal state
// over the indices; their storage is kept from frame to frame.
std::vector<EyeVertex> Vertices;
std::vector<uint32_t> Indices;
std::vector<DrawRun> Runs;

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

void transform(const GlMatrix& mv, const float* p, float* out)
{
    const float* m = mv.m;
    for (int row = 0; row < 4; ++row)
        out[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row] * p[3];
}

void runVertexStage(const VertexStage& stage, const GlVertex* in, int count, unsigned inherit, EyeVertex* out)
{
    const bool ownColour = !(inherit & InheritColour);
    const bool ownNormal = !(inherit & InheritNormal);
    const bool ownTexCoord = !(inherit & InheritTexCoord);
    for (int i = 0; i < count; ++i) {
        const GlVertex& v = in[i];
        EyeVertex& e = out[i];
        transform(stage.modelview, v.position, e.position);
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

// The run the next indices join: the last one while the state is the same.
DrawRun& runFor(unsigned primitive)
{
    DrawRun next;
    currentDrawState(primitive, next.state);
    if (Runs.empty() || !Runs.back().state.sameAs(next.state)) {
        next.firstIndex = int(Indices.size());
        Runs.push_back(next);
    }
    return Runs.back();
}

} // namespace

void batchVertices(const GlVertex* vertices, int count, const uint32_t* indices, int indexCount,
                   unsigned primitive, unsigned inherit)
{
    if (count <= 0 || indexCount <= 0)
        return;
    DrawRun& run = runFor(primitive);
    const uint32_t base = uint32_t(Vertices.size());
    const size_t firstIndex = Indices.size();
    Indices.resize(firstIndex + size_t(indexCount));
    uint32_t* to = Indices.data() + firstIndex;
    for (int i = 0; i < indexCount; ++i)
        to[i] = base + indices[i];
    run.indexCount += indexCount;

    VertexStage stage;
    prepareStage(stage);
    Vertices.resize(size_t(base) + size_t(count));
    runVertexStage(stage, vertices, count, inherit, Vertices.data() + base);
}

void flushBatches()
{
    if (Runs.empty())
        return;
    deviceDrawRuns(Vertices.data(), int(Vertices.size()), Indices.data(), int(Indices.size()), Runs.data(),
                   int(Runs.size()));
    Vertices.clear();
    Indices.clear();
    Runs.clear();
}

void resetBatches()
{
    Vertices.clear();
    Indices.clear();
    Runs.clear();
}
