#include "platform/web/web_gl_device.h"

#include <webgl/webgl1.h>
#include <webgl/webgl2.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Positions arrive in eye space, colours lit: what is left of GL's vertex
// stage is the projection. Linear fog's factor is linear in the eye
// distance, so it is computed here and interpolated; it is clamped per
// fragment, as GL clamps it. The other modes take the distance itself.
const char* const VertexShader = R"(
uniform mat4 uProjection;
#if FOG == 1
uniform float uFogEnd;
uniform float uFogScale;
#endif
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aColour;
layout(location = 2) in vec2 aTexCoord;
out vec4 vColour;
out vec2 vTexCoord;
out float vFog;
void main() {
    gl_Position = uProjection * aPosition;
    gl_PointSize = 1.0;
    vColour = aColour;
    vTexCoord = aTexCoord;
    float distance = abs(aPosition.z);
#if FOG == 1
    vFog = (uFogEnd - distance) * uFogScale;
#else
    vFog = distance;
#endif
}
)";

// Texture modulation, then fog.
const char* const FragmentShader = R"(
precision highp float;
#if TEXTURED
uniform sampler2D uSampler;
#endif
#if FOG
uniform vec4 uFogColour;
#endif
#if FOG >= 2
uniform float uFogDensity;
#endif
in vec4 vColour;
in vec2 vTexCoord;
in float vFog;
out vec4 fragColour;
void main() {
    vec4 colour = vColour;
#if TEXTURED
    colour *= texture(uSampler, vTexCoord);
#endif
#if FOG == 1
    float f = vFog;
#elif FOG == 2
    float f = exp(-uFogDensity * vFog);
#elif FOG == 3
    float f = exp(-(uFogDensity * vFog) * (uFogDensity * vFog));
#endif
#if FOG
    colour.rgb = mix(uFogColour.rgb, colour.rgb, clamp(f, 0.0, 1.0));
#endif
    fragColour = colour;
}
)";

// Fog kinds as the programs number them: none, GL_LINEAR, GL_EXP, GL_EXP2.
constexpr int FogKinds = 4;
constexpr int ProgramCount = 2 * FogKinds;

// One program and what it was last sent, so a run sends only what changed.
struct Program {
    GLuint id = 0;
    GLint projection = -1, fogEnd = -1, fogScale = -1, fogDensity = -1, fogColour = -1;
    bool sent = false;
    float sentProjection[16] = {};
    float sentFog[7] = {};
};

Program Programs[ProgramCount];
int UsedProgram = -1;
GLuint VertexBuffer = 0;
GLuint IndexBuffer = 0;
GLuint VertexLayout = 0;
GLuint BoundTexture = 0;
// WebGL's switches as last set; -1 is unknown.
int BlendOn = -1, CullOn = -1, DepthOn = -1;

// What WebGL was told that a new context must be told again; WebGL's own
// defaults until the game sets them (no viewport: the canvas's size).
struct DeviceSettings {
    bool viewportSet = false;
    int viewport[4] = {};
    unsigned blend[2] = {GL_ONE, GL_ZERO};
    float clearColour[4] = {};
};
DeviceSettings Settings;

void applySettings()
{
    if (Settings.viewportSet)
        emscripten_glViewport(Settings.viewport[0], Settings.viewport[1], Settings.viewport[2], Settings.viewport[3]);
    emscripten_glBlendFunc(Settings.blend[0], Settings.blend[1]);
    emscripten_glClearColor(Settings.clearColour[0], Settings.clearColour[1], Settings.clearColour[2],
                            Settings.clearColour[3]);
}

int fogKind(const DrawState& state)
{
    if (!state.fog)
        return 0;
    switch (state.fogMode) {
    case GL_LINEAR: return 1;
    case 0x0800: return 2; // GL_EXP
    default: return 3;     // GL_EXP2
    }
}

int programFor(const DrawState& state) { return (state.texture ? FogKinds : 0) + fogKind(state); }

GLuint compileShader(GLenum type, const std::string& source)
{
    GLuint shader = emscripten_glCreateShader(type);
    const char* text = source.c_str();
    emscripten_glShaderSource(shader, 1, &text, nullptr);
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

bool buildProgram(int index)
{
    const bool textured = index >= FogKinds;
    const int fog = index % FogKinds;
    const std::string header = "#version 300 es\n#define TEXTURED " + std::to_string(textured ? 1 : 0) +
                               "\n#define FOG " + std::to_string(fog) + "\n";
    GLuint vertex = compileShader(GL_VERTEX_SHADER, header + VertexShader);
    GLuint fragment = compileShader(GL_FRAGMENT_SHADER, header + FragmentShader);
    Program& p = Programs[index];
    p = Program{};
    p.id = emscripten_glCreateProgram();
    emscripten_glAttachShader(p.id, vertex);
    emscripten_glAttachShader(p.id, fragment);
    emscripten_glLinkProgram(p.id);
    emscripten_glDeleteShader(vertex);
    emscripten_glDeleteShader(fragment);
    GLint linked = 0;
    emscripten_glGetProgramiv(p.id, GL_LINK_STATUS, &linked);
    if (!linked) {
        std::fprintf(stderr, "web GL: the fixed-function program %d does not link\n", index);
        return false;
    }
    auto at = [&p](const char* name) { return emscripten_glGetUniformLocation(p.id, name); };
    p.projection = at("uProjection");
    p.fogEnd = at("uFogEnd");
    p.fogScale = at("uFogScale");
    p.fogDensity = at("uFogDensity");
    p.fogColour = at("uFogColour");
    emscripten_glUseProgram(p.id);
    emscripten_glUniform1i(at("uSampler"), 0);
    UsedProgram = index;
    return true;
}

// The attribute layout of EyeVertex, for the vertex array bound now.
void describeVertices()
{
    const GLsizei stride = sizeof(EyeVertex);
    emscripten_glEnableVertexAttribArray(0);
    emscripten_glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<void*>(offsetof(EyeVertex, position)));
    emscripten_glEnableVertexAttribArray(1);
    emscripten_glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<void*>(offsetof(EyeVertex, colour)));
    emscripten_glEnableVertexAttribArray(2);
    emscripten_glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<void*>(offsetof(EyeVertex, texCoord)));
}

void setSwitch(GLenum capability, int& current, bool wanted)
{
    if (current == int(wanted))
        return;
    if (wanted)
        emscripten_glEnable(capability);
    else
        emscripten_glDisable(capability);
    current = int(wanted);
}

void bindTexture(GLuint name)
{
    if (name == BoundTexture)
        return;
    emscripten_glBindTexture(GL_TEXTURE_2D, name);
    BoundTexture = name;
}

void sendProjection(Program& p, const DrawState& state)
{
    if (p.sent && std::memcmp(p.sentProjection, state.projection.m, sizeof p.sentProjection) == 0)
        return;
    std::memcpy(p.sentProjection, state.projection.m, sizeof p.sentProjection);
    emscripten_glUniformMatrix4fv(p.projection, 1, GL_FALSE, state.projection.m);
}

void sendFog(Program& p, const DrawState& state)
{
    const float fog[7] = {state.fogStart, state.fogEnd, state.fogDensity, state.fogColour[0],
                          state.fogColour[1], state.fogColour[2], state.fogColour[3]};
    if (p.sent && std::memcmp(p.sentFog, fog, sizeof fog) == 0)
        return;
    std::memcpy(p.sentFog, fog, sizeof fog);
    if (p.fogEnd >= 0) {
        emscripten_glUniform1f(p.fogEnd, state.fogEnd);
        emscripten_glUniform1f(p.fogScale, 1.0f / (state.fogEnd - state.fogStart));
    }
    if (p.fogDensity >= 0)
        emscripten_glUniform1f(p.fogDensity, state.fogDensity);
    if (p.fogColour >= 0)
        emscripten_glUniform4fv(p.fogColour, 1, state.fogColour);
}

void applyState(const DrawState& state)
{
    const int index = programFor(state);
    Program& p = Programs[index];
    if (index != UsedProgram) {
        emscripten_glUseProgram(p.id);
        UsedProgram = index;
    }
    sendProjection(p, state);
    sendFog(p, state);
    p.sent = true;
    if (state.texture)
        bindTexture(webTextureOf(state.texture));
    setSwitch(GL_BLEND, BlendOn, state.blend);
    setSwitch(GL_CULL_FACE, CullOn, state.cullFace);
    setSwitch(GL_DEPTH_TEST, DepthOn, state.depthTest);
}

} // namespace

bool DrawState::sameAs(const DrawState& other) const
{
    return primitive == other.primitive && texture == other.texture && blend == other.blend &&
           cullFace == other.cullFace && depthTest == other.depthTest && fog == other.fog &&
           (!fog || (fogMode == other.fogMode && fogStart == other.fogStart && fogEnd == other.fogEnd &&
                     fogDensity == other.fogDensity &&
                     std::memcmp(fogColour, other.fogColour, sizeof fogColour) == 0)) &&
           std::memcmp(projection.m, other.projection.m, sizeof projection.m) == 0;
}

bool startGlDevice()
{
    UsedProgram = -1;
    for (int i = 0; i < ProgramCount; ++i)
        if (!buildProgram(i))
            return false;
    emscripten_glGenBuffers(1, &VertexBuffer);
    emscripten_glGenBuffers(1, &IndexBuffer);
    emscripten_glGenVertexArrays(1, &VertexLayout);
    emscripten_glBindVertexArray(VertexLayout);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, VertexBuffer);
    emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, IndexBuffer);
    describeVertices();
    BoundTexture = 0;
    BlendOn = CullOn = DepthOn = -1;
    applySettings();
    return true;
}

void deviceDrawRuns(const EyeVertex* vertices, int vertexCount, const uint32_t* indices, int indexCount,
                    const DrawRun* runs, int runCount)
{
    if (vertexCount <= 0 || indexCount <= 0)
        return;
    emscripten_glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(sizeof(EyeVertex)) * vertexCount, vertices,
                            GL_STREAM_DRAW);
    emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(sizeof(uint32_t)) * indexCount, indices,
                            GL_STREAM_DRAW);
    for (int i = 0; i < runCount; ++i) {
        const DrawRun& run = runs[i];
        applyState(run.state);
        emscripten_glDrawElements(run.state.primitive, run.indexCount, GL_UNSIGNED_INT,
                                  reinterpret_cast<void*>(sizeof(uint32_t) * size_t(run.firstIndex)));
    }
}

void deviceClear(unsigned mask) { emscripten_glClear(mask); }

void deviceClearColour(float red, float green, float blue, float alpha)
{
    const float colour[4] = {red, green, blue, alpha};
    std::memcpy(Settings.clearColour, colour, sizeof colour);
    emscripten_glClearColor(red, green, blue, alpha);
}

void deviceViewport(int x, int y, int width, int height)
{
    Settings.viewportSet = true;
    const int viewport[4] = {x, y, width, height};
    std::memcpy(Settings.viewport, viewport, sizeof viewport);
    emscripten_glViewport(x, y, width, height);
}

void deviceBlendFunc(unsigned source, unsigned destination)
{
    Settings.blend[0] = source;
    Settings.blend[1] = destination;
    emscripten_glBlendFunc(source, destination);
}

void deviceFinish() { emscripten_glFinish(); }

// Hands what was sent so far to the browser's GPU process, which then draws
// it while the page prepares the rest of the frame.
void deviceFlush() { emscripten_glFlush(); }

unsigned deviceCreateTexture()
{
    GLuint name = 0;
    emscripten_glGenTextures(1, &name);
    return name;
}

// WebGL unbinds a deleted texture; the cache forgets it too.
void deviceDeleteTexture(unsigned name)
{
    if (name == 0)
        return;
    if (name == BoundTexture)
        BoundTexture = 0;
    emscripten_glDeleteTextures(1, &name);
}

void deviceSelectTexture(unsigned name) { bindTexture(name); }

void deviceTexParameter(unsigned parameter, int value)
{
    emscripten_glTexParameteri(GL_TEXTURE_2D, parameter, value);
}

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
