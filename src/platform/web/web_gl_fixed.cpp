// The fixed-function state calls of the browser build's GL layer: matrices,
// switches, the light, fog and queries, and the calls that reach WebGL's
// picture at once (clear, viewport, blending), which first draw what the
// batches hold. They are the GL 1.2 entry points themselves, defined here so
// the game's calls land in this layer at link time, in place of a desktop
// driver.
#include "platform/web/web_gl.h"
#include "platform/web/web_gl_batch.h"
#include "platform/web/web_gl_device.h"
#include "platform/web/web_gl_state.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstring>
#include <vector>

FixedGlState FixedGl;

namespace {

std::vector<bool> CompleteTextures;

float& at(GlMatrix& matrix, int row, int column) { return matrix.m[column * 4 + row]; }

// Rotation as Mesa builds it: the angle's sine and cosine in single
// precision, and the axis-aligned turns the game mostly makes written
// directly, so the matrices agree with the native build's to the last bit
// where they can.
GlMatrix rotation(float degrees, float x, float y, float z)
{
    const float s = std::sin(float(degrees * M_PI / 180.0));
    const float c = std::cos(float(degrees * M_PI / 180.0));
    GlMatrix r = GlMatrix::identity();
    if (x == 0.0f && y == 0.0f && z != 0.0f) {
        at(r, 0, 0) = c;
        at(r, 1, 1) = c;
        at(r, 0, 1) = z < 0.0f ? s : -s;
        at(r, 1, 0) = z < 0.0f ? -s : s;
        return r;
    }
    if (x == 0.0f && z == 0.0f && y != 0.0f) {
        at(r, 0, 0) = c;
        at(r, 2, 2) = c;
        at(r, 0, 2) = y < 0.0f ? -s : s;
        at(r, 2, 0) = y < 0.0f ? s : -s;
        return r;
    }
    if (y == 0.0f && z == 0.0f && x != 0.0f) {
        at(r, 1, 1) = c;
        at(r, 2, 2) = c;
        at(r, 1, 2) = x < 0.0f ? s : -s;
        at(r, 2, 1) = x < 0.0f ? -s : s;
        return r;
    }
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length <= 1.0e-4f)
        return r;
    x /= length;
    y /= length;
    z /= length;
    const float oneMinusC = 1.0f - c;
    at(r, 0, 0) = oneMinusC * x * x + c;
    at(r, 0, 1) = oneMinusC * x * y - z * s;
    at(r, 0, 2) = oneMinusC * z * x + y * s;
    at(r, 1, 0) = oneMinusC * x * y + z * s;
    at(r, 1, 1) = oneMinusC * y * y + c;
    at(r, 1, 2) = oneMinusC * y * z - x * s;
    at(r, 2, 0) = oneMinusC * z * x - y * s;
    at(r, 2, 1) = oneMinusC * y * z + x * s;
    at(r, 2, 2) = oneMinusC * z * z + c;
    return r;
}

void copy4(float* to, const GLfloat* from) { std::memcpy(to, from, 4 * sizeof(float)); }

// A directional light's position becomes its eye-space direction with the
// modelview of the moment, as GL stores it; positional lights (w != 0) are
// not drawn by the game and are taken as directions too.
void setLightPosition(const GLfloat* p)
{
    const float* m = FixedGl.topModelview().m;
    float eye[3];
    for (int row = 0; row < 3; ++row)
        eye[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row] * p[3];
    const float length = std::sqrt(eye[0] * eye[0] + eye[1] * eye[1] + eye[2] * eye[2]);
    for (int i = 0; i < 3; ++i)
        FixedGl.lightDirection[i] = length > 0.0f ? eye[i] / length : 0.0f;
}

} // namespace

GlMatrix GlMatrix::identity()
{
    GlMatrix r{};
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0f;
    return r;
}

GlMatrix GlMatrix::times(const GlMatrix& right) const
{
    GlMatrix r{};
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += m[k * 4 + row] * right.m[column * 4 + k];
            r.m[column * 4 + row] = sum;
        }
    return r;
}

GlMatrix& FixedGlState::currentMatrix()
{
    if (matrixMode == GL_PROJECTION)
        return projection[projectionTop];
    return modelview[modelviewTop];
}

void markTextureComplete(unsigned name)
{
    if (name >= CompleteTextures.size())
        CompleteTextures.resize(name + 1, false);
    CompleteTextures[name] = true;
    if (name == FixedGl.boundTexture)
        FixedGl.boundTextureComplete = true;
}

void forgetTexture(unsigned name)
{
    if (name < CompleteTextures.size())
        CompleteTextures[name] = false;
}

bool textureComplete(unsigned name) { return name < CompleteTextures.size() && CompleteTextures[name]; }

void fixedEnable(unsigned capability, bool enabled)
{
    switch (capability) {
    case GL_LIGHTING: FixedGl.lighting = enabled; return;
    case GL_LIGHT0: FixedGl.light0 = enabled; return;
    case GL_FOG: FixedGl.fog = enabled; return;
    case GL_TEXTURE_2D: FixedGl.texture2d = enabled; return;
    case GL_COLOR_MATERIAL: FixedGl.colourMaterial = enabled; return;
    case GL_DEPTH_TEST: FixedGl.depthTest = enabled; return;
    case GL_CULL_FACE: FixedGl.cullFace = enabled; return;
    case GL_BLEND: FixedGl.blend = enabled; return;
    // Switches the game does not use (GL_NORMALIZE, alpha test, other
    // lights) are not emulated; WebGL would reject them.
    default: return;
    }
}

void fixedMatrixMode(unsigned mode) { FixedGl.matrixMode = mode; }

void fixedLoadIdentity() { FixedGl.currentMatrix() = GlMatrix::identity(); }

// A push beyond the stack or a pop of its last entry is ignored, as GL
// ignores it (with an error the game never reads).
void fixedPushMatrix()
{
    if (FixedGl.matrixMode == GL_PROJECTION) {
        if (FixedGl.projectionTop + 1 < ProjectionStackDepth) {
            FixedGl.projection[FixedGl.projectionTop + 1] = FixedGl.projection[FixedGl.projectionTop];
            ++FixedGl.projectionTop;
        }
        return;
    }
    if (FixedGl.modelviewTop + 1 < ModelviewStackDepth) {
        FixedGl.modelview[FixedGl.modelviewTop + 1] = FixedGl.modelview[FixedGl.modelviewTop];
        ++FixedGl.modelviewTop;
    }
}

void fixedPopMatrix()
{
    int& top = FixedGl.matrixMode == GL_PROJECTION ? FixedGl.projectionTop : FixedGl.modelviewTop;
    if (top > 0)
        --top;
}

void fixedMultiply(const GlMatrix& right)
{
    GlMatrix& current = FixedGl.currentMatrix();
    current = current.times(right);
}

void fixedTranslate(float x, float y, float z)
{
    float* m = FixedGl.currentMatrix().m;
    for (int row = 0; row < 4; ++row)
        m[12 + row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
}

void fixedRotate(float degrees, float x, float y, float z) { fixedMultiply(rotation(degrees, x, y, z)); }

void fixedScale(float x, float y, float z)
{
    float* m = FixedGl.currentMatrix().m;
    for (int row = 0; row < 4; ++row) {
        m[row] *= x;
        m[4 + row] *= y;
        m[8 + row] *= z;
    }
}

void fixedBindTexture(unsigned name)
{
    FixedGl.boundTexture = name;
    FixedGl.boundTextureComplete = textureComplete(name);
}

extern "C" {

void glEnable(GLenum capability)
{
    if (!recordInList(ListOp::Enable, capability))
        fixedEnable(capability, true);
}

void glDisable(GLenum capability)
{
    if (!recordInList(ListOp::Disable, capability))
        fixedEnable(capability, false);
}

void glMatrixMode(GLenum mode)
{
    if (!recordInList(ListOp::MatrixMode, mode))
        fixedMatrixMode(mode);
}

void glLoadIdentity()
{
    if (!recordInList(ListOp::LoadIdentity))
        fixedLoadIdentity();
}

void glPushMatrix()
{
    if (!recordInList(ListOp::PushMatrix))
        fixedPushMatrix();
}

void glPopMatrix()
{
    if (!recordInList(ListOp::PopMatrix))
        fixedPopMatrix();
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    if (!recordInList(ListOp::Translate, 0, x, y, z))
        fixedTranslate(x, y, z);
}

void glRotatef(GLfloat degrees, GLfloat x, GLfloat y, GLfloat z)
{
    if (!recordInList(ListOp::Rotate, 0, degrees, x, y, z))
        fixedRotate(degrees, x, y, z);
}

void glScalef(GLfloat x, GLfloat y, GLfloat z)
{
    if (!recordInList(ListOp::Scale, 0, x, y, z))
        fixedScale(x, y, z);
}

void glMultMatrixf(const GLfloat* m)
{
    if (recordMatrixInList(m))
        return;
    GlMatrix right;
    std::memcpy(right.m, m, sizeof right.m);
    fixedMultiply(right);
}

void glBindTexture(GLenum, GLuint name)
{
    if (!recordInList(ListOp::BindTexture, name))
        fixedBindTexture(name);
}

void glLightfv(GLenum light, GLenum name, const GLfloat* values)
{
    if (light != GL_LIGHT0)
        return;
    if (name == GL_AMBIENT)
        copy4(FixedGl.lightAmbient, values);
    else if (name == GL_DIFFUSE)
        copy4(FixedGl.lightDiffuse, values);
    else if (name == GL_POSITION)
        setLightPosition(values);
}

void glLightModelfv(GLenum name, const GLfloat* values)
{
    if (name == GL_LIGHT_MODEL_AMBIENT)
        copy4(FixedGl.sceneAmbient, values);
}

// Colour material is always ambient and diffuse together, the one mode the
// game uses.
void glColorMaterial(GLenum, GLenum) {}

void glFogf(GLenum name, GLfloat value)
{
    switch (name) {
    case GL_FOG_START: FixedGl.fogStart = value; break;
    case GL_FOG_END: FixedGl.fogEnd = value; break;
    case GL_FOG_DENSITY: FixedGl.fogDensity = value; break;
    case GL_FOG_MODE: FixedGl.fogMode = unsigned(value); break;
    default: return;
    }
}

void glFogi(GLenum name, GLint value) { glFogf(name, GLfloat(value)); }

void glFogfv(GLenum name, const GLfloat* values)
{
    if (name != GL_FOG_COLOR) {
        glFogf(name, values[0]);
        return;
    }
    copy4(FixedGl.fogColour, values);
}

// Textures always modulate the lit colour, the game's one environment.
void glTexEnvi(GLenum, GLenum, GLint) {}

void glGetFloatv(GLenum name, GLfloat* out)
{
    if (name == GL_MODELVIEW_MATRIX)
        std::memcpy(out, FixedGl.topModelview().m, sizeof(GlMatrix::m));
    else if (name == GL_PROJECTION_MATRIX)
        std::memcpy(out, FixedGl.topProjection().m, sizeof(GlMatrix::m));
    else
        deviceGetFloats(name, out);
}

void glClearColor(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha)
{
    deviceClearColour(red, green, blue, alpha);
}

void glClear(GLbitfield mask)
{
    flushBatches();
    deviceClear(mask);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    flushBatches();
    deviceViewport(x, y, width, height);
}

void glBlendFunc(GLenum source, GLenum destination)
{
    flushBatches();
    deviceBlendFunc(source, destination);
}

void glFinish()
{
    flushBatches();
    deviceFinish();
}

void glFlush()
{
    flushBatches();
    deviceFlush();
}

// As GLU computes it, in double precision, then multiplied onto the current
// matrix in single precision, as glMultMatrixd does in Mesa.
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    const double radians = fovy / 2 * M_PI / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0)
        return;
    const double cotangent = std::cos(radians) / sine;
    GlMatrix m{};
    m.m[0] = float(cotangent / aspect);
    m.m[5] = float(cotangent);
    m.m[10] = float(-(zFar + zNear) / deltaZ);
    m.m[11] = -1.0f;
    m.m[14] = float(-2 * zNear * zFar / deltaZ);
    fixedMultiply(m);
}

} // extern "C"

bool startWebGl()
{
    FixedGl = FixedGlState{};
    for (GlMatrix& m : FixedGl.modelview)
        m = GlMatrix::identity();
    for (GlMatrix& m : FixedGl.projection)
        m = GlMatrix::identity();
    CompleteTextures.clear();
    resetBatches();
    return startGlDevice();
}

// The fixed state and the display lists live here, not in WebGL, and stay
// as they were; what WebGL held is made again.
bool restoreWebGl()
{
    resetBatches();
    if (!startGlDevice())
        return false;
    remakeTextures();
    return true;
}

void finishWebGlFrame() { flushBatches(); }
