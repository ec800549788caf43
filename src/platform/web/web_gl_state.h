// The browser build's OpenGL 1.2 layer: the fixed-function state a desktop
// driver keeps between calls (matrix stacks, switches, the light, fog, the
// current vertex attributes), one program-wide record, FixedGl, owned by
// web_gl_fixed.cpp. The drawing half (web_gl_draw.cpp) and the batches
// (web_gl_batch.cpp) read it. Only the calls and the state the game uses
// are kept: one light, colour material, texture modulation.
#pragma once

#include <cstdint>

// A column-major 4 x 4 matrix, as GL stores it.
struct GlMatrix {
    float m[16];

    static GlMatrix identity();
    GlMatrix times(const GlMatrix& right) const;
};

// One vertex with every attribute it is drawn with, as the WebGL half's
// buffers hold it.
struct GlVertex {
    float position[4];
    float normal[3];
    float colour[4];
    float texCoord[2];
};

constexpr int ModelviewStackDepth = 32;
constexpr int ProjectionStackDepth = 4;

struct FixedGlState {
    GlMatrix modelview[ModelviewStackDepth];
    GlMatrix projection[ProjectionStackDepth];
    int modelviewTop = 0;
    int projectionTop = 0;
    unsigned matrixMode = 0x1700; // GL_MODELVIEW

    bool lighting = false;
    bool light0 = false;
    bool fog = false;
    bool texture2d = false;
    bool colourMaterial = false;
    // WebGL's own switches, applied when the draws they govern reach it.
    bool blend = false;
    bool cullFace = false;
    bool depthTest = false;

    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float normal[3] = {0.0f, 0.0f, 1.0f};
    float texCoord[2] = {0.0f, 0.0f};

    float sceneAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float materialAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float materialDiffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    float lightAmbient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float lightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    // The light's direction in eye space, unit length, as GL stores it
    // when the position is given (directional lights only).
    float lightDirection[3] = {0.0f, 0.0f, 1.0f};

    unsigned fogMode = 0x0800; // GL_EXP
    float fogStart = 0.0f;
    float fogEnd = 1.0f;
    float fogDensity = 1.0f;
    float fogColour[4] = {0.0f, 0.0f, 0.0f, 0.0f};

    // The texture bound to GL_TEXTURE_2D and whether it holds an image: a
    // name without one draws untextured, as GL does, not black as WebGL does.
    unsigned boundTexture = 0;
    bool boundTextureComplete = false;

    GlMatrix& currentMatrix();
    const GlMatrix& topModelview() const { return modelview[modelviewTop]; }
    const GlMatrix& topProjection() const { return projection[projectionTop]; }
    bool textured() const { return texture2d && boundTextureComplete; }
};

extern FixedGlState FixedGl;

// Marks texture names that hold an image (web_gl_textures.cpp's uploads),
// and those whose image is gone.
void markTextureComplete(unsigned name);
void forgetTexture(unsigned name);
bool textureComplete(unsigned name);

// WebGL's texture behind a GL texture name; 0 while the name has none
// (web_gl_textures.cpp).
unsigned webTextureOf(unsigned name);
// On a new context: every texture made again from the layer's copies.
void remakeTextures();

// The operations behind the GL entry points that a display list can hold,
// so that replaying a list runs the same code as the call did
// (web_gl_fixed.cpp).
void fixedEnable(unsigned capability, bool enabled);
void fixedMatrixMode(unsigned mode);
void fixedLoadIdentity();
void fixedPushMatrix();
void fixedPopMatrix();
void fixedMultiply(const GlMatrix& right);
void fixedTranslate(float x, float y, float z);
void fixedRotate(float degrees, float x, float y, float z);
void fixedScale(float x, float y, float z);
void fixedBindTexture(unsigned name);

// What a display list records besides vertices (web_gl_draw.cpp).
enum class ListOp : uint8_t {
    Enable, Disable, MatrixMode, LoadIdentity, PushMatrix, PopMatrix, Translate, Rotate, Scale,
    MultMatrix, BindTexture, CallList, Colour, Normal, TexCoord, Draw
};

// While a list is being compiled: records the call and returns true, and the
// entry point then does nothing more (GL_COMPILE). False otherwise.
bool recordInList(ListOp op, unsigned value = 0, float a = 0.0f, float b = 0.0f, float c = 0.0f,
                  float d = 0.0f);
bool recordMatrixInList(const float* m);
