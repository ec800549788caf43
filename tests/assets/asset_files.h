// Builders for small content files in the game's formats (BMP, TGA, meshes,
// bones and animations), shared by the asset tests and the fuzzers' seed
// writer. Every builder returns the file's bytes.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace assetfiles {

inline void putU16(std::string& out, uint16_t v)
{
    out += char(v & 0xff);
    out += char(v >> 8);
}

inline void putU32(std::string& out, uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out += char((v >> shift) & 0xff);
}

template <typename T>
void putRaw(std::string& out, const T& value)
{
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.append(bytes, sizeof(T));
}

struct Bgr {
    uint8_t b, g, r;
};

// Rows bottom-up as BMP stores them, each padded to 4 bytes. imageSize is
// written into the header as given (0 asks the reader to compute it).
inline std::string bmpFile(int32_t width, int32_t height, const std::vector<Bgr>& pixels,
                           uint32_t imageSize, uint16_t bitsPerPixel = 24, uint32_t infoSize = 40)
{
    std::string rows;
    int absHeight = height < 0 ? -height : height;
    for (int y = 0; y < absHeight; ++y) {
        for (int x = 0; x < width; ++x) {
            size_t i = size_t(y) * size_t(width) + size_t(x);
            Bgr p = i < pixels.size() ? pixels[i] : Bgr{0, 0, 0};
            rows += char(p.b);
            rows += char(p.g);
            rows += char(p.r);
        }
        while (rows.size() % 4)
            rows += '\0';
    }
    std::string out = "BM";
    putU32(out, uint32_t(14 + infoSize + rows.size()));
    putU32(out, 0);
    putU32(out, 14 + infoSize);
    std::string info;
    putU32(info, 40);
    putU32(info, uint32_t(width));
    putU32(info, uint32_t(height));
    putU16(info, 1);
    putU16(info, bitsPerPixel);
    putU32(info, 0);
    putU32(info, imageSize);
    info.resize(infoSize, '\0');
    return out + info + rows;
}

// An 18-byte TGA header followed by the given bytes: the pixel block, or for
// files with an image ID, the ID and then the pixels.
inline std::string tgaFile(uint16_t width, uint16_t height, uint8_t depth, const std::string& data,
                           uint8_t idLength = 0, uint8_t descriptor = 0)
{
    std::string out;
    out += char(idLength);
    out += '\0';                      // no colour map
    out += char(depth == 8 ? 3 : 2);  // grey or true colour
    out.append(5, '\0');
    putU16(out, 0);
    putU16(out, 0);
    putU16(out, width);
    putU16(out, height);
    out += char(depth);
    out += char(descriptor);
    return out + data;
}

struct Vertex {
    std::array<float, 3> position;
    std::array<float, 3> normal;
    std::array<float, 2> texCoord;
};

// One mesh in the .mub encoding; `count` overrides the vertex count written.
inline std::string meshBytes(const std::string& name, const std::vector<Vertex>& vertices,
                             int64_t count = -1)
{
    std::string out = name + "\n";
    putU32(out, uint32_t(count < 0 ? int64_t(vertices.size()) : count));
    for (const Vertex& v : vertices)
        for (float f : v.position)
            putRaw(out, f);
    for (const Vertex& v : vertices)
        for (float f : v.normal)
            putRaw(out, f);
    for (const Vertex& v : vertices)
        for (float f : v.texCoord)
            putRaw(out, f);
    return out;
}

inline std::vector<Vertex> triangle(float z = 0.0f)
{
    return {
        {{-0.5f, -0.5f, z}, {0, 0, 1}, {0, 0}},
        {{0.5f, -0.5f, z}, {0, 0, 1}, {1, 0}},
        {{0.0f, 0.5f, z}, {0, 0, 1}, {0.5f, 1}},
    };
}

inline std::string bonesFile(const std::vector<std::string>& meshes, int64_t count = -1)
{
    std::string out;
    putU32(out, uint32_t(count < 0 ? int64_t(meshes.size()) : count));
    for (const std::string& mesh : meshes)
        out += mesh;
    return out;
}

using Matrix = std::array<float, 16>;

inline Matrix translation(float x, float y, float z)
{
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
}

inline Matrix filled(float value)
{
    Matrix m;
    m.fill(value);
    return m;
}

struct Frame {
    double time;
    std::vector<Matrix> matrices;
};

inline std::string animationFile(const std::vector<Frame>& frames, int64_t count = -1)
{
    std::string out;
    putU32(out, uint32_t(count < 0 ? int64_t(frames.size()) : count));
    for (const Frame& frame : frames) {
        putRaw(out, frame.time);
        putU32(out, uint32_t(frame.matrices.size()));
        for (const Matrix& m : frame.matrices)
            for (float f : m)
                putRaw(out, f);
    }
    return out;
}

}
