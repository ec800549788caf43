// The WebGL 2 half of the browser build's GL layer: one shader program that
// computes what GL's fixed-function pipeline computes (per-vertex lighting,
// colour material, texture modulation, per-fragment fog), the buffers that
// vertices are drawn from, and every call that reaches the browser's WebGL.
// Its program, buffers and caches are owned by web_gl_device.cpp.
#pragma once

#include "platform/web_gl_state.h"

// With the context current: compiles the program and makes the buffers.
// False (and a message on standard error) when the program does not build.
bool startGlDevice();

// Draws vertices held in memory (immediate mode, vertex arrays) through the
// stream buffer.
void drawStreamed(unsigned mode, const GlVertex* vertices, int count);

// The same in two steps, for several draws from one upload: the vertices
// into the stream buffer, then draws of parts of them.
void streamVertices(const GlVertex* vertices, int count);
void drawStream(unsigned mode, int first, int count);

// A display list's vertices, uploaded once; the handle is what drawStatic
// takes, 0 when nothing was uploaded.
unsigned createStaticVertices(const GlVertex* vertices, int count);

// Attributes a display list never set before a batch: at replay they take
// GL's current values, as they would in a desktop driver.
enum GlInherit : unsigned {
    InheritColour = 1u << 0,
    InheritNormal = 1u << 1,
    InheritTexCoord = 1u << 2,
};

void drawStatic(unsigned handle, unsigned mode, int first, int count, unsigned inherit);

// Switches that WebGL keeps itself (depth test, culling, blending).
void deviceEnable(unsigned capability, bool enabled);
void deviceBindTexture(unsigned name);

// One mipmap level from tightly packed rows, in a format WebGL 2 takes.
void deviceTexImage(int level, int internalFormat, int width, int height, unsigned format,
                    const void* pixels);
void deviceGenerateMipmaps();
int deviceUnpackAlignment();
// WebGL's own answer to a query the fixed-function state does not hold.
void deviceGetFloats(unsigned name, float* out);
