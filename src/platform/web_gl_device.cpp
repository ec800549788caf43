#include "platform/web_gl_device.h"

#include <webgl/webgl1.h>
#include <webgl/webgl2.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// GL's fixed-function vertex stage for what the game uses: the light is
// directional and its specular term is multiplied by the material's, which
// stays black (the game never sets one), so only ambient and diffuse are
// computed. Normals are not normalised, as GL leaves them without
// GL_NORMALIZE, so a scaled tree is lit as a desktop driver lights it.
const char* const VertexShader = R"(#version 300 es
uniform mat4 uMvp;
uniform mat4 uModelview;
uniform mat3 uNormalMatrix;
uniform bool uLighting;
uniform bool uLight0;
uniform bool uColourMaterial;
uniform vec3 uLightDirection;
uniform vec4 uLightAmbient;
uniform vec4 uLightDiffuse;
uniform vec4 uSceneAmbient;
uniform vec4 uMaterialAmbient;
uniform vec4 uMaterialDiffuse;
uniform bvec3 uInherit;
uniform vec4 uCurrentColour;
uniform vec3 uCurrentNormal;
uniform vec2 uCurrentTexCoord;
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aColour;
layout(location = 3) in vec2 aTexCoord;
out vec4 vColour;
out vec2 vTexCoord;
out float vFogCoord;
void main() {
    vec4 colour = uInherit.x ? uCurrentColour : aColour;
    vec3 normal = uInherit.y ? uCurrentNormal : aNormal;
    vTexCoord = uInherit.z ? uCurrentTexCoord : aTexCoord;
    gl_Position = uMvp * aPosition;
    vFogCoord = abs((uModelview * aPosition).z);
    if (!uLighting) {
        vColour = clamp(colour, 0.0, 1.0);
        return;
    }
    vec4 ambient = uColourMaterial ? colour : uMaterialAmbient;
    vec4 diffuse = uColourMaterial ? colour : uMaterialDiffuse;
    vec3 lit = uSceneAmbient.rgb * ambient.rgb;
    if (uLight0) {
        float facing = max(dot(uNormalMatrix * normal, uLightDirection), 0.0);
        lit += uLightAmbient.rgb * ambient.rgb + facing * uLightDiffuse.rgb * diffuse.rgb;
    }
    vColour = clamp(vec4(lit, diffuse.a), 0.0, 1.0);
}
)";

// Texture modulation, then fog from the interpolated eye distance.
const char* const FragmentShader = R"(#version 300 es
precision highp float;
uniform bool uTexture;
uniform sampler2D uSampler;
uniform bool uFog;
uniform int uFogMode;
uniform float uFogStart;
uniform float uFogEnd;
uniform float uFogDensity;
uniform vec4 uFogColour;
in vec4 vColour;
in vec2 vTexCoord;
in float vFogCoord;
out vec4 fragColour;
void main() {
    vec4 colour = vColour;
    if (uTexture)
        colour *= texture(uSampler, vTexCoord);
    if (uFog) {
        float f;
        if (uFogMode == 0x2601)
            f = (uFogEnd - vFogCoord) / (uFogEnd - uFogStart);
        else if (uFogMode == 0x0800)
            f = exp(-uFogDensity * vFogCoord);
        else
            f = exp(-(uFogDensity * vFogCoord) * (uFogDensity * vFogCoord));
        colour.rgb = mix(uFogColour.rgb, colour.rgb, clamp(f, 0.0, 1.0));
    }
    fragColour = colour;
}
)";

struct Uniforms {
    GLint mvp, modelview, normalMatrix, lighting, light0, colourMaterial, lightDirection, lightAmbient,
        lightDiffuse, sceneAmbient, materialAmbient, materialDiffuse, inherit, currentColour, currentNormal,
        currentTexCoord, texture, sampler, fog, fogMode, fogStart, fogEnd, fogDensity, fogColour;
};

// The switches last sent, so a draw sends only what changed; -1 is unsent.
struct SentSwitches {
    int lighting = -1, light0 = -1, colourMaterial = -1, texture = -1, fog = -1;
    int inherit = -1;
    float colour[4] = {-1.0f, -1.0f, -1.0f, -1.0f};
    float normal[3] = {};
    float texCoord[2] = {};
};

GLuint Program = 0;
Uniforms U{};
SentSwitches Sent;
GLuint StreamBuffer = 0;
GLuint StreamArray = 0;
GLuint BoundArray = 0;

GLuint compileShader(GLenum type, const char* source)
{
    GLuint shader = emscripten_glCreateShader(type);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = 0;
    emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "web GL: shader does not compile: %s\n", log);
    }
    return shader;
}

void findUniforms()
{
    auto at = [](const char* name) { return emscripten_glGetUniformLocation(Program, name); };
    U = {at("uMvp"), at("uModelview"), at("uNormalMatrix"), at("uLighting"), at("uLight0"),
         at("uColourMaterial"), at("uLightDirection"), at("uLightAmbient"), at("uLightDiffuse"),
         at("uSceneAmbient"), at("uMaterialAmbient"), at("uMaterialDiffuse"), at("uInherit"),
         at("uCurrentColour"), at("uCurrentNormal"), at("uCurrentTexCoord"), at("uTexture"), at("uSampler"),
         at("uFog"), at("uFogMode"), at("uFogStart"), at("uFogEnd"), at("uFogDensity"), at("uFogColour")};
}

// The attribute layout of GlVertex, for the array bound now.
void describeVertices()
{
    const GLsizei stride = sizeof(GlVertex);
    emscripten_glEnableVertexAttribArray(0);
    emscripten_glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<void*>(offsetof(GlVertex, position)));
    emscripten_glEnableVertexAttribArray(1);
    emscripten_glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<void*>(offsetof(GlVertex, normal)));
    emscripten_glEnableVertexAttribArray(2);
    emscripten_glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<void*>(offsetof(GlVertex, colour)));
    emscripten_glEnableVertexAttribArray(3);
    emscripten_glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<void*>(offsetof(GlVertex, texCoord)));
}

void bindArray(GLuint array)
{
    if (array == BoundArray)
        return;
    emscripten_glBindVertexArray(array);
    BoundArray = array;
}

// The inverse transpose of the modelview's upper 3 x 3, which carries
// normals into eye space.
void normalMatrix(const GlMatrix& mv, float out[9])
{
    const float* m = mv.m;
    const float a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6], i = m[10];
    const float det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    const float s = det != 0.0f ? 1.0f / det : 0.0f;
    // The inverse transpose is the cofactor matrix over the determinant;
    // written here column by column, as GL takes it.
    out[0] = (e * i - f * h) * s;
    out[1] = (c * h - b * i) * s;
    out[2] = (b * f - c * e) * s;
    out[3] = (f * g - d * i) * s;
    out[4] = (a * i - c * g) * s;
    out[5] = (c * d - a * f) * s;
    out[6] = (d * h - e * g) * s;
    out[7] = (b * g - a * h) * s;
    out[8] = (a * e - b * d) * s;
}

void sendMatrices()
{
    const GlMatrix mvp = FixedGl.topProjection().times(FixedGl.topModelview());
    float normals[9];
    normalMatrix(FixedGl.topModelview(), normals);
    emscripten_glUniformMatrix4fv(U.mvp, 1, GL_FALSE, mvp.m);
    emscripten_glUniformMatrix4fv(U.modelview, 1, GL_FALSE, FixedGl.topModelview().m);
    emscripten_glUniformMatrix3fv(U.normalMatrix, 1, GL_FALSE, normals);
}

void sendLight()
{
    emscripten_glUniform3fv(U.lightDirection, 1, FixedGl.lightDirection);
    emscripten_glUniform4fv(U.lightAmbient, 1, FixedGl.lightAmbient);
    emscripten_glUniform4fv(U.lightDiffuse, 1, FixedGl.lightDiffuse);
    emscripten_glUniform4fv(U.sceneAmbient, 1, FixedGl.sceneAmbient);
    emscripten_glUniform4fv(U.materialAmbient, 1, FixedGl.materialAmbient);
    emscripten_glUniform4fv(U.materialDiffuse, 1, FixedGl.materialDiffuse);
}

void sendFog()
{
    emscripten_glUniform1i(U.fogMode, int(FixedGl.fogMode));
    emscripten_glUniform1f(U.fogStart, FixedGl.fogStart);
    emscripten_glUniform1f(U.fogEnd, FixedGl.fogEnd);
    emscripten_glUniform1f(U.fogDensity, FixedGl.fogDensity);
    emscripten_glUniform4fv(U.fogColour, 1, FixedGl.fogColour);
}

void sendSwitch(GLint location, int& sent, bool value)
{
    if (sent == int(value))
        return;
    emscripten_glUniform1i(location, value ? 1 : 0);
    sent = int(value);
}

void sendIfChanged(GLint location, float* sent, const float* value, int size)
{
    if (std::memcmp(sent, value, sizeof(float) * size) == 0)
        return;
    std::memcpy(sent, value, sizeof(float) * size);
    if (size == 4)
        emscripten_glUniform4fv(location, 1, value);
    else if (size == 3)
        emscripten_glUniform3fv(location, 1, value);
    else
        emscripten_glUniform2fv(location, 1, value);
}

void sendInherited(unsigned inherit)
{
    if (Sent.inherit != int(inherit)) {
        emscripten_glUniform3i(U.inherit, (inherit & InheritColour) != 0, (inherit & InheritNormal) != 0,
                               (inherit & InheritTexCoord) != 0);
        Sent.inherit = int(inherit);
    }
    if (inherit & InheritColour)
        sendIfChanged(U.currentColour, Sent.colour, FixedGl.colour, 4);
    if (inherit & InheritNormal)
        sendIfChanged(U.currentNormal, Sent.normal, FixedGl.normal, 3);
    if (inherit & InheritTexCoord)
        sendIfChanged(U.currentTexCoord, Sent.texCoord, FixedGl.texCoord, 2);
}

// Everything the next draw depends on, sent where it changed.
void prepareDraw(unsigned inherit)
{
    if (FixedGl.dirty & DirtyMatrices)
        sendMatrices();
    if (FixedGl.dirty & DirtyLight)
        sendLight();
    if (FixedGl.dirty & DirtyFog)
        sendFog();
    FixedGl.dirty = 0;
    sendSwitch(U.lighting, Sent.lighting, FixedGl.lighting);
    sendSwitch(U.light0, Sent.light0, FixedGl.light0);
    sendSwitch(U.colourMaterial, Sent.colourMaterial, FixedGl.colourMaterial);
    sendSwitch(U.texture, Sent.texture, FixedGl.textured());
    sendSwitch(U.fog, Sent.fog, FixedGl.fog);
    sendInherited(inherit);
}

} // namespace

bool startGlDevice()
{
    GLuint vertex = compileShader(GL_VERTEX_SHADER, VertexShader);
    GLuint fragment = compileShader(GL_FRAGMENT_SHADER, FragmentShader);
    Program = emscripten_glCreateProgram();
    emscripten_glAttachShader(Program, vertex);
    emscripten_glAttachShader(Program, fragment);
    emscripten_glLinkProgram(Program);
    GLint linked = 0;
    emscripten_glGetProgramiv(Program, GL_LINK_STATUS, &linked);
    if (!linked) {
        std::fprintf(stderr, "web GL: the fixed-function program does not link\n");
        return false;
    }
    emscripten_glUseProgram(Program);
    findUniforms();
    emscripten_glUniform1i(U.sampler, 0);
    Sent = SentSwitches{};
    FixedGl.dirty = ~0u;

    emscripten_glGenBuffers(1, &StreamBuffer);
    emscripten_glGenVertexArrays(1, &StreamArray);
    emscripten_glBindVertexArray(StreamArray);
    BoundArray = StreamArray;
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, StreamBuffer);
    describeVertices();
    return true;
}

void streamVertices(const GlVertex* vertices, int count)
{
    if (count <= 0)
        return;
    bindArray(StreamArray);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, StreamBuffer);
    emscripten_glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(sizeof(GlVertex)) * count, vertices, GL_STREAM_DRAW);
}

void drawStream(unsigned mode, int first, int count)
{
    if (count <= 0)
        return;
    prepareDraw(0);
    bindArray(StreamArray);
    emscripten_glDrawArrays(mode, first, count);
}

void drawStreamed(unsigned mode, const GlVertex* vertices, int count)
{
    streamVertices(vertices, count);
    drawStream(mode, 0, count);
}

unsigned createStaticVertices(const GlVertex* vertices, int count)
{
    if (count <= 0)
        return 0;
    GLuint array = 0;
    GLuint buffer = 0;
    emscripten_glGenVertexArrays(1, &array);
    emscripten_glGenBuffers(1, &buffer);
    bindArray(array);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, buffer);
    emscripten_glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(sizeof(GlVertex)) * count, vertices, GL_STATIC_DRAW);
    describeVertices();
    return array;
}

void drawStatic(unsigned handle, unsigned mode, int first, int count, unsigned inherit)
{
    if (!handle || count <= 0)
        return;
    prepareDraw(inherit);
    bindArray(handle);
    emscripten_glDrawArrays(mode, first, count);
}

void deviceEnable(unsigned capability, bool enabled)
{
    if (enabled)
        emscripten_glEnable(capability);
    else
        emscripten_glDisable(capability);
}

void deviceBindTexture(unsigned name) { emscripten_glBindTexture(GL_TEXTURE_2D, name); }

void deviceTexImage(int level, int internalFormat, int width, int height, unsigned format, const void* pixels)
{
    GLint alignment = 4;
    emscripten_glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    emscripten_glTexImage2D(GL_TEXTURE_2D, level, internalFormat, width, height, 0, format, GL_UNSIGNED_BYTE,
                            pixels);
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

void deviceGenerateMipmaps() { emscripten_glGenerateMipmap(GL_TEXTURE_2D); }

int deviceUnpackAlignment()
{
    GLint alignment = 4;
    emscripten_glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    return alignment;
}

void deviceGetFloats(unsigned name, float* out) { emscripten_glGetFloatv(name, out); }
