// The browser build's GL layer gathers a frame's draws instead of sending
// each to WebGL: every vertex goes through GL's fixed-function vertex stage
// (modelview, one light with colour material) as it arrives, and is kept
// with the state it is drawn under; a flush then draws each run of equal
// state as one WebGL draw, in the order the game drew them. A WebGL draw
// is dear in a software rasteriser, and the game makes about a thousand a
// frame, most of them a few vertices of a display list under a transform
// of its own. The gathered vertices and runs are owned by web_gl_batch.cpp.
#pragma once

#include "platform/web/web_gl_state.h"

#include <cstdint>

// Attributes a display list never set before a batch: at replay they take
// GL's current values, as they would in a desktop driver.
enum GlInherit : unsigned {
    InheritColour = 1u << 0,
    InheritNormal = 1u << 1,
    InheritTexCoord = 1u << 2,
};

// Vertices with indices into them, drawn as primitive (GL_TRIANGLES,
// GL_LINES or GL_POINTS) under GL's current state; the attributes named in
// inherit take GL's current values instead of the vertices' own.
void batchVertices(const GlVertex* vertices, int count, const uint32_t* indices, int indexCount,
                   unsigned primitive, unsigned inherit);

// Draws everything gathered. Whatever else reaches WebGL's picture or
// textures (a clear, the viewport, an upload, the end of a frame) flushes
// first.
void flushBatches();

// Forgets anything gathered (a new context).
void resetBatches();
