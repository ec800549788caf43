// The WebGL 2 half of the browser build's GL layer: the shader programs that
// compute what GL's fixed-function pipeline computes after the vertex stage
// (texture modulation, per-fragment fog), one for each combination of
// texturing and fog mode, so a pixel pays only for what is on; the buffers
// the gathered vertices are drawn from; and every call that reaches the
// browser's WebGL. Its programs, buffers and caches are owned by
// web_gl_device.cpp.
#pragma once

#include "platform/web/web_gl_state.h"

#include <cstdint>

// A vertex after GL's vertex stage: its eye-space position, its lit and
// clamped colour, its texture coordinate.
struct EyeVertex {
    float position[4];
    float colour[4];
    float texCoord[2];
};

// Everything one WebGL draw of gathered vertices depends on besides them.
struct DrawState {
    GlMatrix projection;
    unsigned primitive = 0; // GL_TRIANGLES, GL_LINES or GL_POINTS
    unsigned texture = 0;   // 0: untextured
    bool blend = false;
    bool cullFace = false;
    bool depthTest = false;
    bool fog = false;
    unsigned fogMode = 0;
    float fogStart = 0.0f;
    float fogEnd = 0.0f;
    float fogDensity = 0.0f;
    float fogColour[4] = {};

    bool sameAs(const DrawState& other) const;
};

// Indices [firstIndex, firstIndex + indexCount) of the gathered ones, drawn
// under state.
struct DrawRun {
    DrawState state;
    int firstIndex = 0;
    int indexCount = 0;
};

// With the context current: compiles the programs, makes the buffers and
// sets what WebGL was last told of the viewport, blending and the clear
// colour (its defaults at the first start). Called again on a context the
// browser gave back, which holds none of the old programs and buffers.
// False (and a message on standard error) when a program does not build.
bool startGlDevice();

// Uploads the vertices and indices and draws the runs in order.
void deviceDrawRuns(const EyeVertex* vertices, int vertexCount, const uint32_t* indices, int indexCount,
                    const DrawRun* runs, int runCount);

// Calls that reach WebGL's picture or textures at once; the batches are
// flushed before each.
void deviceClear(unsigned mask);
void deviceClearColour(float red, float green, float blue, float alpha);
void deviceViewport(int x, int y, int width, int height);
void deviceBlendFunc(unsigned source, unsigned destination);
void deviceFinish();
void deviceFlush();

// WebGL's textures, by WebGL's names (web_gl_textures.cpp maps GL's names
// onto them); deleting 0 does nothing.
unsigned deviceCreateTexture();
void deviceDeleteTexture(unsigned name);

// Binds the texture that uploads and parameters go to.
void deviceSelectTexture(unsigned name);
void deviceTexParameter(unsigned parameter, int value);

// One mipmap level from tightly packed rows, in a format WebGL 2 takes.
void deviceTexImage(int level, int internalFormat, int width, int height, unsigned format,
                    const void* pixels);
void deviceGenerateMipmaps();
int deviceUnpackAlignment();
// WebGL's own answer to a query the fixed-function state does not hold.
void deviceGetFloats(unsigned name, float* out);
