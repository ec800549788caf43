// The drawing calls of the browser build's GL layer: immediate mode, display
// lists and client vertex arrays, all turned into indexed primitives of
// whole vertices for the batches (web_gl_batch.h). GL lets a colour or
// normal given once stand for every vertex after it; here each vertex
// carries all its attributes, and GL's strips, fans, quads, quad strips,
// polygons and line loops become the triangles and lines a desktop driver
// cuts them into. The lists and the vertices being gathered are owned here.
#include "platform/web/web_gl_batch.h"
#include "platform/web/web_gl_state.h"

#include <GL/gl.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// One recorded call of a display list; Draw names a batch of the list's
// vertices and indices (counted from the batch's first vertex) and, in
// colour/normal/texCoord, the attributes current at its end, which GL
// leaves current after the list.
struct ListCommand {
    ListOp op;
    unsigned value = 0;
    float a[4] = {};
    int first = 0;
    int count = 0;
    int firstIndex = 0;
    int indexCount = 0;
    unsigned primitive = 0;
    unsigned inherit = 0;
    unsigned setAtEnd = 0;
    float colour[4] = {};
    float normal[3] = {};
    float texCoord[2] = {};
};

struct DisplayList {
    std::vector<ListCommand> commands;
    std::vector<GlMatrix> matrices;
    std::vector<GlVertex> vertices;
    std::vector<uint32_t> indices;
};

// The attributes a vertex takes, and which of them the list being compiled
// has set itself so far.
struct Attributes {
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float normal[3] = {0.0f, 0.0f, 1.0f};
    float texCoord[2] = {0.0f, 0.0f};
    unsigned set = 0;
};

struct ClientArray {
    bool enabled = false;
    int size = 0;
    int stride = 0;
    const float* pointer = nullptr;
};

std::vector<DisplayList> Lists(1);
DisplayList* Compiling = nullptr;
Attributes ListAttributes;

bool InsideBegin = false;
unsigned BeginMode = 0;
unsigned BatchInherit = 0;
// Gathered between glBegin and glEnd (or from client arrays), and the
// primitives cut from them.
std::vector<GlVertex> Gathered;
std::vector<uint32_t> Cut;

ClientArray VertexArray, NormalArray, ColourArray, TexCoordArray;

const unsigned AllAttributes = InheritColour | InheritNormal | InheritTexCoord;

// The attributes a vertex takes now: the list's own while compiling, GL's
// current ones otherwise.
const float* currentColour() { return Compiling ? ListAttributes.colour : FixedGl.colour; }
const float* currentNormal() { return Compiling ? ListAttributes.normal : FixedGl.normal; }
const float* currentTexCoord() { return Compiling ? ListAttributes.texCoord : FixedGl.texCoord; }

void setColour(float r, float g, float b, float a)
{
    float* target = Compiling ? ListAttributes.colour : FixedGl.colour;
    target[0] = r;
    target[1] = g;
    target[2] = b;
    target[3] = a;
    if (Compiling) {
        ListAttributes.set |= InheritColour;
        if (!InsideBegin)
            recordInList(ListOp::Colour, 0, r, g, b, a);
    }
}

void setNormal(float x, float y, float z)
{
    float* target = Compiling ? ListAttributes.normal : FixedGl.normal;
    target[0] = x;
    target[1] = y;
    target[2] = z;
    if (Compiling) {
        ListAttributes.set |= InheritNormal;
        if (!InsideBegin)
            recordInList(ListOp::Normal, 0, x, y, z);
    }
}

void setTexCoord(float s, float t)
{
    float* target = Compiling ? ListAttributes.texCoord : FixedGl.texCoord;
    target[0] = s;
    target[1] = t;
    if (Compiling) {
        ListAttributes.set |= InheritTexCoord;
        if (!InsideBegin)
            recordInList(ListOp::TexCoord, 0, s, t);
    }
}

void addVertex(float x, float y, float z, float w)
{
    if (!InsideBegin)
        return;
    if (Compiling && Gathered.empty())
        BatchInherit = AllAttributes & ~ListAttributes.set;
    GlVertex v;
    v.position[0] = x;
    v.position[1] = y;
    v.position[2] = z;
    v.position[3] = w;
    std::memcpy(v.normal, currentNormal(), sizeof v.normal);
    std::memcpy(v.colour, currentColour(), sizeof v.colour);
    std::memcpy(v.texCoord, currentTexCoord(), sizeof v.texCoord);
    Gathered.push_back(v);
}

void addTriangle(uint32_t a, uint32_t b, uint32_t c)
{
    Cut.push_back(a);
    Cut.push_back(b);
    Cut.push_back(c);
}

void addLine(uint32_t a, uint32_t b)
{
    Cut.push_back(a);
    Cut.push_back(b);
}

// A quad is cut along the diagonal from its first to its third vertex, as
// Mesa cuts it: the ground-hugging plants are quads that are not flat, and
// the other diagonal shows them differently.
void addQuad(uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    addTriangle(a, b, c);
    addTriangle(a, c, d);
}

// A strip's every other triangle is turned, as GL turns it, so all keep
// the strip's facing.
void cutStrip(uint32_t first, uint32_t count)
{
    for (uint32_t i = 0; i + 2 < count; ++i) {
        if (i % 2 == 0)
            addTriangle(first + i, first + i + 1, first + i + 2);
        else
            addTriangle(first + i + 1, first + i, first + i + 2);
    }
}

// A fan and a polygon are the triangles around their first vertex.
void cutFan(uint32_t first, uint32_t count)
{
    for (uint32_t i = 1; i + 1 < count; ++i)
        addTriangle(first, first + i, first + i + 1);
}

void cutLines(unsigned mode, uint32_t first, uint32_t count)
{
    if (mode == GL_LINES) {
        for (uint32_t i = 0; i + 1 < count; i += 2)
            addLine(first + i, first + i + 1);
        return;
    }
    for (uint32_t i = 0; i + 1 < count; ++i)
        addLine(first + i, first + i + 1);
    if (mode == GL_LINE_LOOP && count > 2)
        addLine(first + count - 1, first);
}

// GL's primitive over count vertices from first, cut into indices in Cut of
// a primitive WebGL draws; returns that primitive.
unsigned cutPrimitive(unsigned mode, uint32_t first, uint32_t count)
{
    switch (mode) {
    case GL_POINTS:
        for (uint32_t i = 0; i < count; ++i)
            Cut.push_back(first + i);
        return GL_POINTS;
    case GL_LINES:
    case GL_LINE_STRIP:
    case GL_LINE_LOOP: cutLines(mode, first, count); return GL_LINES;
    case GL_TRIANGLES:
        for (uint32_t i = 0; i + 2 < count; i += 3)
            addTriangle(first + i, first + i + 1, first + i + 2);
        return GL_TRIANGLES;
    case GL_TRIANGLE_STRIP: cutStrip(first, count); return GL_TRIANGLES;
    case GL_QUADS:
        for (uint32_t q = 0; q + 3 < count; q += 4)
            addQuad(first + q, first + q + 1, first + q + 2, first + q + 3);
        return GL_TRIANGLES;
    case GL_QUAD_STRIP:
        for (uint32_t q = 0; q + 3 < count; q += 2)
            addQuad(first + q, first + q + 1, first + q + 3, first + q + 2);
        return GL_TRIANGLES;
    default: cutFan(first, count); return GL_TRIANGLES;
    }
}

void recordBatch(unsigned primitive)
{
    // An attribute a batch inherited but then set itself keeps the value it
    // was set to for its earlier vertices too: a list that does that is
    // drawn by no part of the game.
    const unsigned inherit = BatchInherit & ~ListAttributes.set;
    ListCommand command{ListOp::Draw};
    command.primitive = primitive;
    command.first = int(Compiling->vertices.size());
    command.count = int(Gathered.size());
    command.firstIndex = int(Compiling->indices.size());
    command.indexCount = int(Cut.size());
    command.inherit = inherit;
    command.setAtEnd = ListAttributes.set;
    std::memcpy(command.colour, ListAttributes.colour, sizeof command.colour);
    std::memcpy(command.normal, ListAttributes.normal, sizeof command.normal);
    std::memcpy(command.texCoord, ListAttributes.texCoord, sizeof command.texCoord);
    Compiling->vertices.insert(Compiling->vertices.end(), Gathered.begin(), Gathered.end());
    Compiling->indices.insert(Compiling->indices.end(), Cut.begin(), Cut.end());
    Compiling->commands.push_back(command);
}

void replayDraw(const DisplayList& list, const ListCommand& c)
{
    batchVertices(list.vertices.data() + c.first, c.count, list.indices.data() + c.firstIndex, c.indexCount,
                  c.primitive, c.inherit);
    if (c.setAtEnd & InheritColour)
        std::memcpy(FixedGl.colour, c.colour, sizeof FixedGl.colour);
    if (c.setAtEnd & InheritNormal)
        std::memcpy(FixedGl.normal, c.normal, sizeof FixedGl.normal);
    if (c.setAtEnd & InheritTexCoord)
        std::memcpy(FixedGl.texCoord, c.texCoord, sizeof FixedGl.texCoord);
}

// Nested lists are followed as GL follows them, to a depth GL also allows.
void replayList(unsigned name, int depth)
{
    if (name == 0 || name >= Lists.size() || depth > 64)
        return;
    const DisplayList& list = Lists[name];
    for (const ListCommand& c : list.commands) {
        switch (c.op) {
        case ListOp::Enable: fixedEnable(c.value, true); break;
        case ListOp::Disable: fixedEnable(c.value, false); break;
        case ListOp::MatrixMode: fixedMatrixMode(c.value); break;
        case ListOp::LoadIdentity: fixedLoadIdentity(); break;
        case ListOp::PushMatrix: fixedPushMatrix(); break;
        case ListOp::PopMatrix: fixedPopMatrix(); break;
        case ListOp::Translate: fixedTranslate(c.a[0], c.a[1], c.a[2]); break;
        case ListOp::Rotate: fixedRotate(c.a[0], c.a[1], c.a[2], c.a[3]); break;
        case ListOp::Scale: fixedScale(c.a[0], c.a[1], c.a[2]); break;
        case ListOp::MultMatrix: fixedMultiply(list.matrices[c.value]); break;
        case ListOp::BindTexture: fixedBindTexture(c.value); break;
        case ListOp::CallList: replayList(c.value, depth + 1); break;
        case ListOp::Colour: std::memcpy(FixedGl.colour, c.a, sizeof FixedGl.colour); break;
        case ListOp::Normal: std::memcpy(FixedGl.normal, c.a, sizeof FixedGl.normal); break;
        case ListOp::TexCoord: std::memcpy(FixedGl.texCoord, c.a, sizeof FixedGl.texCoord); break;
        case ListOp::Draw: replayDraw(list, c); break;
        }
    }
}

// Element i of a client array, or the fallback when the array is off.
const float* arrayElement(const ClientArray& array, int i, const float* fallback)
{
    if (!array.enabled || !array.pointer)
        return fallback;
    const int stride = array.stride ? array.stride : array.size * int(sizeof(float));
    return reinterpret_cast<const float*>(reinterpret_cast<const char*>(array.pointer) + ptrdiff_t(i) * stride);
}

void gatherArrayElement(int i)
{
    GlVertex v;
    const float* p = arrayElement(VertexArray, i, nullptr);
    const float defaults[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    for (int k = 0; k < 4; ++k)
        v.position[k] = k < VertexArray.size ? p[k] : defaults[k];
    std::memcpy(v.normal, arrayElement(NormalArray, i, FixedGl.normal), sizeof v.normal);
    const float* colour = arrayElement(ColourArray, i, FixedGl.colour);
    const int colourSize = ColourArray.enabled ? ColourArray.size : 4;
    for (int k = 0; k < 4; ++k)
        v.colour[k] = k < colourSize ? colour[k] : 1.0f;
    std::memcpy(v.texCoord, arrayElement(TexCoordArray, i, FixedGl.texCoord), sizeof v.texCoord);
    Gathered.push_back(v);
}

ClientArray* clientArray(GLenum name)
{
    switch (name) {
    case GL_VERTEX_ARRAY: return &VertexArray;
    case GL_NORMAL_ARRAY: return &NormalArray;
    case GL_COLOR_ARRAY: return &ColourArray;
    case GL_TEXTURE_COORD_ARRAY: return &TexCoordArray;
    default: return nullptr;
    }
}

// Only float arrays are taken: the game gives no other kind.
void setPointer(ClientArray& array, GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    array.size = size;
    array.stride = stride;
    array.pointer = type == GL_FLOAT ? static_cast<const float*>(pointer) : nullptr;
}

// Runs of client array elements, each cut as its own primitive and all
// batched together: the terrain is hundreds of strips a frame.
void drawArrayRuns(GLenum mode, const GLint* first, const GLsizei* count, GLsizei runs)
{
    if (!VertexArray.enabled || !VertexArray.pointer)
        return;
    Gathered.clear();
    Cut.clear();
    unsigned primitive = GL_TRIANGLES;
    for (GLsizei run = 0; run < runs; ++run) {
        const uint32_t start = uint32_t(Gathered.size());
        for (GLint i = first[run]; i < first[run] + count[run]; ++i)
            gatherArrayElement(i);
        primitive = cutPrimitive(mode, start, uint32_t(Gathered.size()) - start);
    }
    batchVertices(Gathered.data(), int(Gathered.size()), Cut.data(), int(Cut.size()), primitive, 0);
}

} // namespace

bool recordInList(ListOp op, unsigned value, float a, float b, float c, float d)
{
    if (!Compiling)
        return false;
    ListCommand command{op};
    command.value = value;
    command.a[0] = a;
    command.a[1] = b;
    command.a[2] = c;
    command.a[3] = d;
    Compiling->commands.push_back(command);
    return true;
}

bool recordMatrixInList(const float* m)
{
    if (!Compiling)
        return false;
    GlMatrix matrix;
    std::memcpy(matrix.m, m, sizeof matrix.m);
    Compiling->matrices.push_back(matrix);
    return recordInList(ListOp::MultMatrix, unsigned(Compiling->matrices.size() - 1));
}

extern "C" {

void glBegin(GLenum mode)
{
    InsideBegin = true;
    BeginMode = mode;
    BatchInherit = 0;
    Gathered.clear();
}

void glEnd()
{
    if (!InsideBegin)
        return;
    InsideBegin = false;
    Cut.clear();
    const unsigned primitive = cutPrimitive(BeginMode, 0, uint32_t(Gathered.size()));
    if (Compiling)
        recordBatch(primitive);
    else
        batchVertices(Gathered.data(), int(Gathered.size()), Cut.data(), int(Cut.size()), primitive, 0);
}

void glVertex2f(GLfloat x, GLfloat y) { addVertex(x, y, 0.0f, 1.0f); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { addVertex(x, y, z, 1.0f); }
void glVertex3fv(const GLfloat* v) { addVertex(v[0], v[1], v[2], 1.0f); }
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { setColour(r, g, b, 1.0f); }
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { setColour(r, g, b, a); }
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) { setNormal(x, y, z); }
void glNormal3fv(const GLfloat* n) { setNormal(n[0], n[1], n[2]); }
void glTexCoord2f(GLfloat s, GLfloat t) { setTexCoord(s, t); }
void glTexCoord2fv(const GLfloat* t) { setTexCoord(t[0], t[1]); }

GLuint glGenLists(GLsizei range)
{
    if (range <= 0)
        return 0;
    const GLuint first = GLuint(Lists.size());
    Lists.resize(Lists.size() + size_t(range));
    return first;
}

void glNewList(GLuint name, GLenum)
{
    if (name == 0 || name >= Lists.size() || Compiling)
        return;
    Lists[name] = DisplayList{};
    Compiling = &Lists[name];
    ListAttributes = Attributes{};
}

void glEndList()
{
    if (!Compiling)
        return;
    // Lists are compiled once and replayed every frame: no spare room.
    Compiling->commands.shrink_to_fit();
    Compiling->vertices.shrink_to_fit();
    Compiling->indices.shrink_to_fit();
    Compiling = nullptr;
}

void glCallList(GLuint name)
{
    if (!recordInList(ListOp::CallList, name))
        replayList(name, 0);
}

void glEnableClientState(GLenum name)
{
    if (ClientArray* array = clientArray(name))
        array->enabled = true;
}

void glDisableClientState(GLenum name)
{
    if (ClientArray* array = clientArray(name))
        array->enabled = false;
}

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    setPointer(VertexArray, size, type, stride, pointer);
}

void glNormalPointer(GLenum type, GLsizei stride, const void* pointer)
{
    setPointer(NormalArray, 3, type, stride, pointer);
}

void glColorPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    setPointer(ColourArray, size, type, stride, pointer);
}

void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    setPointer(TexCoordArray, size, type, stride, pointer);
}

void glDrawArrays(GLenum mode, GLint first, GLsizei count) { drawArrayRuns(mode, &first, &count, 1); }

void glMultiDrawArrays(GLenum mode, const GLint* first, const GLsizei* count, GLsizei drawCount)
{
    drawArrayRuns(mode, first, count, drawCount);
}

} // extern "C"
