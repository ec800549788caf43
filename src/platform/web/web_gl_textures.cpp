// Texture uploads for the browser build's GL layer. WebGL takes neither BGR
// nor BGRA pixels nor GL 1's internal formats given as a component count,
// so each upload is converted here into rows WebGL takes: the game's BMP and
// TGA pixels arrive as they are stored on disk, blue first. An upload or a
// parameter first draws what the batches hold, which may sample the
// texture as it was.
//
// Mipmaps asked for (gluBuild2DMipmaps) are made only once a minifying
// filter that reads them is set: the game filters without them, and a
// software rasteriser samples a texture of one level much faster than one
// of many, though the picture is the same.
//
// The layer names textures itself and keeps each one's converted levels
// and parameters, since a lost WebGL context takes every texture with it:
// when the browser gives the context back, they are made again from these
// copies, under the names the game holds.
#include "platform/web/web_gl_batch.h"
#include "platform/web/web_gl_device.h"
#include "platform/web/web_gl_state.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace {

// WebGL 2's unsized and sized formats, as numbers: GL/gl.h has no names
// for the sized ones.
constexpr int WebRgb8 = 0x8051;
constexpr int WebRgba8 = 0x8058;

// What the layer keeps of a texture name besides WebGL's texture: whether
// its mipmaps were asked for and are made, and its minifying filter (GL's
// initial one reads mipmaps).
struct MipmapRecord {
    bool wanted = false;
    bool made = false;
    int minFilter = GL_NEAREST_MIPMAP_LINEAR;
};

// One uploaded level as WebGL was given it; no pixels for a level that was
// only allocated.
struct TextureLevel {
    int width = 0;
    int height = 0;
    int internalFormat = 0;
    unsigned format = 0;
    std::vector<uint8_t> pixels;
};

struct ParameterValue {
    unsigned name;
    int value;
};

// What the layer keeps of a texture name: WebGL's texture (0 until the name
// is first used), and what made it.
struct TextureRecord {
    unsigned device = 0;
    std::vector<TextureLevel> levels;
    std::vector<ParameterValue> parameters;
    MipmapRecord mipmaps;
};

std::vector<TextureRecord> Textures(1);
unsigned NextName = 1;

TextureRecord& recordOf(unsigned name)
{
    if (name >= Textures.size())
        Textures.resize(name + 1);
    return Textures[name];
}

MipmapRecord& mipmapsOf(unsigned name) { return recordOf(name).mipmaps; }

// WebGL's texture for the bound name, made at its first use, as GL makes a
// texture object at the first bind of its name.
void selectBoundTexture()
{
    const unsigned name = FixedGl.boundTexture;
    if (name != 0 && recordOf(name).device == 0)
        recordOf(name).device = deviceCreateTexture();
    deviceSelectTexture(webTextureOf(name));
}

void keepParameter(TextureRecord& record, unsigned name, int value)
{
    for (ParameterValue& kept : record.parameters)
        if (kept.name == name) {
            kept.value = value;
            return;
        }
    record.parameters.push_back({name, value});
}

void keepLevel(TextureRecord& record, int level, TextureLevel&& kept)
{
    if (size_t(level) >= record.levels.size())
        record.levels.resize(size_t(level) + 1);
    record.levels[size_t(level)] = std::move(kept);
}

// A texture made again on a new context: parameters, levels, then the
// mipmaps if they had been made.
void remakeTexture(TextureRecord& record)
{
    record.device = deviceCreateTexture();
    deviceSelectTexture(record.device);
    for (const ParameterValue& kept : record.parameters)
        deviceTexParameter(kept.name, kept.value);
    for (size_t level = 0; level < record.levels.size(); ++level) {
        const TextureLevel& kept = record.levels[level];
        if (kept.width > 0)
            deviceTexImage(int(level), kept.internalFormat, kept.width, kept.height, kept.format,
                           kept.pixels.empty() ? nullptr : kept.pixels.data());
    }
    if (record.mipmaps.made)
        deviceGenerateMipmaps();
}

bool readsMipmaps(int minFilter) { return minFilter != GL_NEAREST && minFilter != GL_LINEAR; }

// With the texture selected in WebGL: its mipmaps, made from its base
// level as it stands.
void makeMipmaps(MipmapRecord& record)
{
    deviceGenerateMipmaps();
    record.made = true;
}

// Mipmaps asked for are made before their base level changes, as GL made
// them when they were asked for.
void settleMipmaps(MipmapRecord& record)
{
    if (record.wanted && !record.made)
        makeMipmaps(record);
}

struct PixelLayout {
    int components = 0;
    // Where red, green, blue and alpha sit in a pixel; -1 where absent.
    int red = -1, green = -1, blue = -1, alpha = -1;
};

PixelLayout sourceLayout(GLenum format)
{
    switch (format) {
    case GL_LUMINANCE: return {1, 0, 0, 0, -1};
    case GL_LUMINANCE_ALPHA: return {2, 0, 0, 0, 1};
    case GL_ALPHA: return {1, -1, -1, -1, 0};
    case GL_RGB: return {3, 0, 1, 2, -1};
    case GL_BGR_EXT: return {3, 2, 1, 0, -1};
    case GL_RGBA: return {4, 0, 1, 2, 3};
    case GL_BGRA_EXT: return {4, 2, 1, 0, 3};
    default: return {};
    }
}

// What WebGL is given for a GL 1 internal format: its format and the
// internal format it is stored as.
struct Target {
    GLenum format = 0;
    int internalFormat = 0;
    int components = 0;
};

Target targetFor(GLint internalFormat)
{
    switch (internalFormat) {
    case 1:
    case GL_LUMINANCE:
    case GL_LUMINANCE8: return {GL_LUMINANCE, GL_LUMINANCE, 1};
    case 2:
    case GL_LUMINANCE_ALPHA:
    case GL_LUMINANCE8_ALPHA8: return {GL_LUMINANCE_ALPHA, GL_LUMINANCE_ALPHA, 2};
    case GL_ALPHA:
    case GL_ALPHA8: return {GL_ALPHA, GL_ALPHA, 1};
    case 3:
    case GL_RGB:
    case GL_RGB8: return {GL_RGB, WebRgb8, 3};
    default: return {GL_RGBA, WebRgba8, 4};
    }
}

uint8_t channel(const uint8_t* pixel, int at, uint8_t missing) { return at < 0 ? missing : pixel[at]; }

// GL's conversion: a grey source fills red, green and blue; a grey target
// takes red.
void convertPixel(const uint8_t* in, const PixelLayout& from, const Target& to, uint8_t* out)
{
    const uint8_t r = channel(in, from.red, 0);
    const uint8_t g = channel(in, from.green, 0);
    const uint8_t b = channel(in, from.blue, 0);
    const uint8_t a = channel(in, from.alpha, 255);
    switch (to.format) {
    case GL_LUMINANCE: out[0] = r; return;
    case GL_LUMINANCE_ALPHA: out[0] = r; out[1] = a; return;
    case GL_ALPHA: out[0] = a; return;
    case GL_RGB: out[0] = r; out[1] = g; out[2] = b; return;
    default: out[0] = r; out[1] = g; out[2] = b; out[3] = a; return;
    }
}

// Rows read at GL's unpack alignment, written tightly packed.
std::vector<uint8_t> convertImage(int width, int height, const PixelLayout& from, const Target& to,
                                  const void* pixels)
{
    const int alignment = deviceUnpackAlignment();
    const size_t rowBytes = (size_t(width) * size_t(from.components) + size_t(alignment) - 1) /
                            size_t(alignment) * size_t(alignment);
    std::vector<uint8_t> out(size_t(width) * size_t(height) * size_t(to.components));
    const uint8_t* source = static_cast<const uint8_t*>(pixels);
    uint8_t* target = out.data();
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = source + size_t(y) * rowBytes;
        for (int x = 0; x < width; ++x, target += to.components)
            convertPixel(row + size_t(x) * size_t(from.components), from, to, target);
    }
    return out;
}

bool upload(GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLenum format, GLenum type,
            const void* pixels)
{
    const PixelLayout from = sourceLayout(format);
    const Target to = targetFor(internalFormat);
    // Only bytes are taken, in the formats the game's readers produce.
    if (type != GL_UNSIGNED_BYTE || from.components == 0 || width <= 0 || height <= 0)
        return false;
    flushBatches();
    selectBoundTexture();
    settleMipmaps(mipmapsOf(FixedGl.boundTexture));
    TextureLevel kept{width, height, to.internalFormat, to.format, {}};
    if (pixels)
        kept.pixels = convertImage(width, height, from, to, pixels);
    deviceTexImage(level, to.internalFormat, width, height, to.format, pixels ? kept.pixels.data() : nullptr);
    if (FixedGl.boundTexture != 0)
        keepLevel(recordOf(FixedGl.boundTexture), level, std::move(kept));
    if (level == 0)
        markTextureComplete(FixedGl.boundTexture);
    return true;
}

} // namespace

unsigned webTextureOf(unsigned name) { return name < Textures.size() ? Textures[name].device : 0; }

void remakeTextures()
{
    for (TextureRecord& record : Textures)
        if (record.device != 0)
            remakeTexture(record);
}

extern "C" {

// Names are not handed out again once deleted: the game makes its textures
// once.
void glGenTextures(GLsizei count, GLuint* names)
{
    for (GLsizei i = 0; i < count; ++i)
        names[i] = NextName++;
}

void glTexImage2D(GLenum, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint, GLenum format,
                  GLenum type, const void* pixels)
{
    upload(level, internalFormat, width, height, format, type, pixels);
}

void glTexParameteri(GLenum, GLenum name, GLint value)
{
    flushBatches();
    selectBoundTexture();
    deviceTexParameter(name, value);
    if (FixedGl.boundTexture != 0)
        keepParameter(recordOf(FixedGl.boundTexture), name, value);
    if (name != GL_TEXTURE_MIN_FILTER)
        return;
    MipmapRecord& record = mipmapsOf(FixedGl.boundTexture);
    record.minFilter = value;
    if (readsMipmaps(value))
        settleMipmaps(record);
}

// GL takes a deleted texture's name out of its binding; the name holds no
// image any more.
void glDeleteTextures(GLsizei count, const GLuint* names)
{
    if (count <= 0)
        return;
    flushBatches();
    for (GLsizei i = 0; i < count; ++i) {
        forgetTexture(names[i]);
        if (names[i] == FixedGl.boundTexture) {
            FixedGl.boundTexture = 0;
            FixedGl.boundTextureComplete = false;
        }
        if (names[i] < Textures.size()) {
            deviceDeleteTexture(Textures[names[i]].device);
            Textures[names[i]] = TextureRecord{};
        }
    }
}

// The game's pictures are all powers of two in size, which GLU keeps as they
// are; one of another size is uploaded as it is, where GLU would scale it.
// The levels below are WebGL's box filter rather than GLU's.
GLint gluBuild2DMipmaps(GLenum, GLint internalFormat, GLsizei width, GLsizei height, GLenum format, GLenum type,
                        const void* data)
{
    if (!upload(0, internalFormat, width, height, format, type, data))
        return GLU_INVALID_ENUM;
    MipmapRecord& record = mipmapsOf(FixedGl.boundTexture);
    record.wanted = true;
    record.made = false;
    if (readsMipmaps(record.minFilter))
        makeMipmaps(record);
    return 0;
}

} // extern "C"
